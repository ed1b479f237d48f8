#!/usr/bin/env bash
# Starts the editor on a virtual X display and saves a picture of both of its
# windows as docs/screenshot.png (or the path given as the first argument).
# A window manager draws the title bars when one is installed (openbox);
# without one the windows show without frames.
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-docs/screenshot.png}
editor=${VELTRAED:-build/qt/veltraed}
display=:${SCREENSHOT_DISPLAY:-93}
[ -x "$editor" ] || { echo "no editor at $editor: run make build first" >&2; exit 1; }

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# Wide enough that the editor, centred, stands clear of the preview at (0, 0).
Xvfb "$display" -screen 0 1400x760x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
fi

"$editor" >/dev/null 2>&1 &
pids+=($!)
sleep 3  # start-up, and the preview turning for a while

mkdir -p "$(dirname "$output")"
# The desktop is black: trim it away around the two windows.
import -window root png:- | convert png:- -trim +repage "$output"
echo "saved $output"
