#!/usr/bin/env bash
# Makes docs/screenshot.png: the main window of dalvogui right after a generation run.
# Runs the real program on a virtual X display (Xvfb), clicks its generate button with xdotool,
# waits for the engine's files, and captures the window with ImageMagick's import.
#   scripts/screenshot.sh [build-dir]      (default: build; builds dalvo and dalvogui there)
# The program works in a throw-away temporary directory, so no real work directory is touched.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
out=docs/screenshot.png

if [ -z "${DALVO_SCREENSHOT_INNER:-}" ]; then
  for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/install_deps.sh)" >&2; exit 1; }
  done
  cmake -S . -B "$build" >/dev/null
  cmake --build "$build" -j "$(nproc)" --target dalvo dalvogui
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  # A fixed screen and DPI keep the picture the same from run to run.
  DALVO_SCREENSHOT_INNER=1 TMPDIR="$tmp" \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$build"
  echo "screenshot: wrote $out"
  exit 0
fi

# Inside the virtual display from here on.
unset QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb
work="$TMPDIR/dalvo work dir"
"$build/app/dalvogui" &
gui=$!
trap 'kill "$gui" 2>/dev/null || true' EXIT

win=$(xdotool search --sync --onlyvisible --name '^Dalvo  -' | head -n 1)
sleep 1  # let the window paint once

# Command1, "Click here to generate the VERY long numbers!": 16,112 px in the client area,
# 249 x 25 px; its centre, relative to the window (there is no window manager, so no frame).
xdotool mousemove --window "$win" 140 124 click 1

# The run is finished once the renamed files are there and the marker is gone.
for _ in $(seq 1 300); do
  if [ -f "$work/kelvatrons_perspective_nov_1989_nr_2.txt" ] && [ ! -e "$work/dalvoopc.tmp" ]; then
    break
  fi
  sleep 0.1
done
[ -f "$work/kelvatrons_perspective_nov_1989_nr_2.txt" ] || { echo "screenshot: generation did not finish" >&2; exit 1; }
xdotool mousemove 0 0  # no hover highlight in the picture
sleep 1                # the last tick, the list refresh and a repaint
import -window "$win" "$out"
