#!/usr/bin/env bash
# Runs the window under Xvfb at 96 dpi for a player whose game folder holds
# the example logs (a home folder made for it), with Alia given on the command
# line: presses Go!, clicks the first item, checks the caption and the client
# size, and saves docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for tool in Xvfb:xvfb xdotool:xdotool xwd:x11-apps convert:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${tool##*:}"
done
cmake --preset release >/dev/null
cmake --build --preset release --target vantor-log-analyzer

export DISPLAY=:73
Xvfb "$DISPLAY" -screen 0 800x600x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
# A player's home folder, made for the picture and removed after (a scratch
# folder if that name is taken).
home=/home/alia
[ -e "$home" ] && home=$(mktemp -d)
mkdir -p "$home/My Documents/Halvern/ZENTHARA/LOG"
cp examples/logs/* "$home/My Documents/Halvern/ZENTHARA/LOG/"
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$home"' EXIT
HOME=$home build/release/qt/vantor-log-analyzer --player Alia 2>/dev/null &
app=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true; rm -rf "$home"' EXIT

window=""
for _ in $(seq 50); do
    window=$(xdotool search --name '^Vantor Log Analyzer$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }

info=$(xwininfo -id "$window")
echo "$info" | grep -E 'xwininfo|Width|Height'
echo "$info" | grep -q '"Vantor Log Analyzer"' || { echo "wrong caption" >&2; exit 1; }
echo "$info" | grep -q 'Width: 523' && echo "$info" | grep -q 'Height: 288' ||
    { echo "client area is not 523 x 288" >&2; exit 1; }

click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
click 210 40                                   # Go!
sleep 0.5
click 240 105                                  # the first item
mkdir -p docs
xwd -id "$window" -silent | convert xwd:- docs/screenshot.png
echo "saved docs/screenshot.png"
