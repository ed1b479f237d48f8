#!/usr/bin/env bash
# Runs every benchmark of the build in ./build and prints its report.
set -euo pipefail
cd "$(dirname "$0")/.."
for b in build/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
