#!/usr/bin/env bash
# Runs every benchmark of the build in ./build and prints its report.
# Starts a virtual X server for the window benchmarks when there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."

# Recovery copies of the editors that the benchmarks start stay out of the user's state folder.
state_dir=$(mktemp -d)
export XDG_STATE_HOME=$state_dir
trap 'rm -rf "$state_dir"' EXIT

if [ -z "${DISPLAY:-}" ]; then
  # The server picks a free display number and reports it.
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$display_file"; rm -rf "$state_dir"' EXIT
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n1 "$display_file")
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

for b in build/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
