#!/usr/bin/env bash
# CPU use of the running editor with its preview animating, on a virtual X
# display with Mesa's software renderer, measured over 10 s of wall time and
# set against a busy loop measured the same way in the same run (one core
# kept fully busy, as a polling main loop would): once with the placeholder
# turning, once with an example script drawn (veltraed_tour opens the example
# file and selects the animated, blended flame). Also reports the time from
# starting the process to its first preview frame.
#
#   bench_editor_cpu.sh [seconds]    VELTRAED=path overrides the program
set -euo pipefail

seconds=${1:-10}
here=$(cd "$(dirname "$0")" && pwd)
editor=${VELTRAED:-}
for candidate in "$here/../qt/veltraed" "$here/../build/qt/veltraed"; do
  [ -z "$editor" ] && [ -x "$candidate" ] && editor=$candidate
done
[ -x "$editor" ] || { echo "veltraed not found: build it first or set VELTRAED" >&2; exit 1; }
tour="$(dirname "$editor")/veltraed_tour"

ticks_per_second=$(getconf CLK_TCK)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -f "${report:-}"
}
trap cleanup EXIT

# User plus system time of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
now() { date +%s.%N; }

# Prints the CPU seconds that process $1 uses over $seconds of wall time.
measure() {
  local pid=$1 start_ticks end_ticks start end
  start_ticks=$(cpu_ticks "$pid"); start=$(now)
  sleep "$seconds"
  end_ticks=$(cpu_ticks "$pid"); end=$(now)
  awk -v t=$((end_ticks - start_ticks)) -v hz="$ticks_per_second" -v w="$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" \
    'BEGIN { printf "%.3f %.3f\n", t / hz, w }'
}

# A display of its own: the server picks a free number and reports it.
display_number=$(mktemp)
Xvfb -displayfd 1 -screen 0 1400x900x24 -nolisten tcp >"$display_number" 2>/dev/null &
xvfb=$!
pids+=("$xvfb")
for _ in $(seq 50); do [ -s "$display_number" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$display_number")
rm -f "$display_number"
export LIBGL_ALWAYS_SOFTWARE=1

# The editor: start-up to the first frame, then its steady use.
report=$(mktemp)
launched=$(now)
VELTRAED_REPORT_FIRST_FRAME=1 "$editor" 2>"$report" >/dev/null &
editor_pid=$!
pids+=("$editor_pid")
for _ in $(seq 200); do grep -q 'first preview frame' "$report" && break; sleep 0.05; done
first_frame=$(sed -n 's/.*first preview frame at \([0-9.]*\).*/\1/p' "$report")
[ -n "$first_frame" ] || { echo "the editor drew no preview frame" >&2; cat "$report" >&2; exit 1; }
sleep 1
xvfb_start=$(cpu_ticks "$xvfb")
read -r editor_cpu editor_wall < <(measure "$editor_pid")
xvfb_cpu=$(awk -v t=$(($(cpu_ticks "$xvfb") - xvfb_start)) -v hz="$ticks_per_second" 'BEGIN { printf "%.3f", t / hz }')
kill "$editor_pid"

# The editor drawing an example script, once the tour has selected it.
script_cpu=0 script_wall=1
if [ -x "$tour" ]; then
  "$tour" >"$report" 2>/dev/null &
  tour_pid=$!
  pids+=("$tour_pid")
  for _ in $(seq 200); do grep -q '^ready' "$report" && break; sleep 0.05; done
  sleep 1
  read -r script_cpu script_wall < <(measure "$tour_pid")
  kill "$tour_pid"
fi

# The baseline: a loop that never waits.
bash -c 'while :; do :; done' &
busy_pid=$!
pids+=("$busy_pid")
sleep 0.2
read -r busy_cpu busy_wall < <(measure "$busy_pid")
kill "$busy_pid"

awk -v ec="$editor_cpu" -v ew="$editor_wall" -v xc="$xvfb_cpu" -v bc="$busy_cpu" -v bw="$busy_wall" \
    -v sc="$script_cpu" -v sw="$script_wall" \
    -v launched="$launched" -v first="$first_frame" 'BEGIN {
  editor = 100 * ec / ew; busy = 100 * bc / bw
  script = 100 * sc / sw
  printf "editor, placeholder:  %.3f s CPU over %.1f s wall = %.1f %% of one core (target <= 10 %%)\n", ec, ew, editor
  printf "  X server meanwhile: %.3f s CPU = %.1f %% of one core\n", xc, 100 * xc / ew
  if (sc > 0) printf "editor, flame script: %.3f s CPU over %.1f s wall = %.1f %% of one core (target <= 10 %%)\n", sc, sw, script
  printf "busy-loop baseline:   %.3f s CPU over %.1f s wall = %.1f %% of one core\n", bc, bw, busy
  printf "editor / busy loop:   %.3f (placeholder)", editor / busy
  if (sc > 0) printf ", %.3f (flame script)", script / busy
  printf "\nstart to first frame: %.0f ms\n", 1000 * (first - launched)
}'
