#!/usr/bin/env bash
# Builds and runs every test: the normal build and its Debian package, the
# build under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz
# targets.
# Starts a virtual X server for the window tests when there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=$(nproc)

if [ -z "${DISPLAY:-}" ]; then
  # The server picks a free display number and reports it.
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$display_file" >/tmp/veltraed-xvfb.log 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$display_file"' EXIT
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n1 "$display_file")
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

# Sanitizer settings for every test program; leaks inside system libraries
# (Mesa, Qt, fontconfig) are suppressed by name.
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Mesa's software renderer draws on the caller's thread: the same pixels, and
# no worker threads for the leak checker to stop at a test's exit.
export LP_NUM_THREADS=0
# Nor does it keep a shader cache on disk: its writer thread, stopped only as
# the program exits, can be caught half-way by the leak checker's tracer.
export MESA_SHADER_CACHE_DISABLE=true

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$JOBS"
  (cd "$dir" && ctest --output-on-failure -j"$JOBS")
}

echo "== Formatting (.clang-format)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== Tests"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Debian package"
./scripts/check-package.sh build
echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELTRA_SANITIZE=ON
echo "== Fuzz targets"
run_suite build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_FUZZ=ON -DVELTRA_BUILD_QT=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
