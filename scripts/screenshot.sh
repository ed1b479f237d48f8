#!/usr/bin/env bash
# Starts the editor on a virtual X display, opens the example file, selects a
# script and its first stage (build/qt/veltraed_tour plays the user), and
# saves a picture of both windows as docs/screenshot.png (or the path given
# as the first argument). A window manager draws the title bars when one is
# installed (openbox); without one the windows show without frames.
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-docs/screenshot.png}
tour=${VELTRAED_TOUR:-build/qt/veltraed_tour}
[ -x "$tour" ] || { echo "no $tour: run make build first" >&2; exit 1; }

pids=()
cleanup() {  # the last started first, the X server last
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# A display of its own (the server picks a free number and reports it), wide
# enough that the editor, centred, stands clear of the preview at (0, 0).
display_number=$(mktemp)
Xvfb -displayfd 1 -screen 0 1400x760x24 -nolisten tcp >"$display_number" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$display_number" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$display_number")
rm -f "$display_number"

if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
fi

progress=$(mktemp)
trap 'cleanup; rm -f "$progress"' EXIT
"$tour" "$PWD/examples" >"$progress" 2>/dev/null &
pids+=($!)
for _ in $(seq 200); do grep -q '^ready' "$progress" && break; sleep 0.1; done
grep -q '^ready' "$progress" || { echo "the editor did not get through the tour" >&2; exit 1; }
sleep 1  # the preview animating for a while

mkdir -p "$(dirname "$output")"
# The desktop is black: trim it away around the two windows.
import -window root png:- | convert png:- -trim +repage "$output"
echo "saved $output"
