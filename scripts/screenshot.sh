#!/usr/bin/env bash
# Runs the window under Xvfb at 96 dpi for a player whose game folder holds
# the example logs plus one record that cannot be counted (a home folder made
# for it), with Alia given on the command line: presses Go!, answers the
# message about the skipped record, clicks the first item, checks the caption
# and the client size, and saves docs/screenshot.png; then opens the By log
# window with Ctrl+B, clicks its first row and saves docs/screenshot-by-log.png.
#
#   bash scripts/screenshot.sh                 the two pictures above
#   bash scripts/screenshot.sh --chart FILE    a year of logs (scripts/chart-logs.sh): the By log
#                                              window with its first two rows chosen (Ctrl+click)
#                                              and the mouse resting on the chart, tip and all
#   ... --dpi N                                the screen at N dpi instead of 96 (QT_FONT_DPI)
set -euo pipefail
cd "$(dirname "$0")/.."

dpi=96
chart=""
usage="usage: $0 [--chart FILE] [--dpi N]"
while [ $# -gt 0 ]; do
    case "$1" in
        --chart) chart=${2:?$usage}; shift 2 ;;
        --dpi) dpi=${2:?$usage}; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
# A position at 96 dpi, in the screen's pixels.
px() { echo $(( $1 * dpi / 96 )); }

bash scripts/setup.sh
for tool in Xvfb:xvfb xdotool:xdotool xwd:x11-apps convert:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${tool##*:}"
done
cmake --preset release >/dev/null
cmake --build --preset release --target vantor-log-analyzer

export DISPLAY=:73
Xvfb "$DISPLAY" -screen 0 1280x900x24 -dpi "$dpi" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
export QT_FONT_DPI=$dpi  # Qt then scales the windows as on a desktop at that DPI
# A player's home folder, made for the pictures and removed after (a scratch
# folder if that name is taken). Its settings go there too.
home=/home/alia
[ -e "$home" ] && home=$(mktemp -d)
logs="$home/My Documents/Halvern/ZENTHARA/LOG"
mkdir -p "$logs"
if [ -n "$chart" ]; then
    bash scripts/chart-logs.sh "$logs"
else
    cp examples/logs/* "$logs/"
    printf '2026-01-03 07:07:00\tAlia\tForest01\t[Pickup]\t124,46\tArrow Bundle(x)\r\n' >>"$logs/ActionLog0103.txt"
fi
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$home"' EXIT
HOME=$home build/release/qt/vantor-log-analyzer --player Alia 2>/dev/null &
app=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true; rm -rf "$home"' EXIT

# find_window NAME [NOT]: the first window whose name matches NAME, other than NOT.
find_window() {
    local id
    for _ in $(seq 50); do
        for id in $(xdotool search --name "$1" 2>/dev/null); do
            [ "$id" != "${2:-}" ] && { echo "$id"; return; }
        done
        sleep 0.1
    done
    echo "no window named $1 appeared" >&2
    return 1
}
window=$(find_window '^Vantor Log Analyzer$')
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }

if [ -n "$chart" ]; then
    click "$window" "$(px 210)" "$(px 40)"        # Go!
    sleep 2
    xdotool windowfocus --sync "$window" key ctrl+b
    by_log=$(find_window '^By Log: Alia, Picked Up$')
    sleep 0.5
    click "$by_log" "$(px 60)" "$(px 62)"          # the first row
    xdotool keydown ctrl
    click "$by_log" "$(px 60)" "$(px 83)"          # and the second
    xdotool keyup ctrl
    xdotool mousemove --window "$by_log" "$(px 300)" "$(px 470)"  # on the chart, for its tip
    sleep 1
    xdotool mousemove_relative 1 0
    sleep 3
    # The tip is a window of its own (of 32 bits, which the screen's picture
    # leaves out): laid over the window's picture where it shows.
    eval "$(xdotool getwindowgeometry --shell "$by_log")"
    tip=$(xwininfo -root -children | awk '/"vantor-log-analyzer": \("vantor/ { print $1 " " $NF; exit }')
    [ -n "$tip" ] || { echo "no tip appeared over the chart" >&2; exit 1; }
    at=${tip#* }
    tip_x=$(( $(echo "$at" | cut -d+ -f2) - X )) tip_y=$(( $(echo "$at" | cut -d+ -f3) - Y ))
    mkdir -p "$(dirname "$chart")"
    tmp=$(mktemp -d)
    xwd -id "$by_log" -silent | convert xwd:- "$tmp/window.png"
    xwd -id "${tip%% *}" -silent | convert xwd:- "$tmp/tip.png"
    convert "$tmp/window.png" "$tmp/tip.png" -geometry "+$tip_x+$tip_y" -composite "$chart"
    rm -rf "$tmp"
    echo "saved $chart"
    exit 0
fi

info=$(xwininfo -id "$window")
echo "$info" | grep -E 'xwininfo|Width|Height'
echo "$info" | grep -q '"Vantor Log Analyzer"' || { echo "wrong caption" >&2; exit 1; }
echo "$info" | grep -q 'Width: 523' && echo "$info" | grep -q 'Height: 288' ||
    { echo "client area is not 523 x 288" >&2; exit 1; }

click "$window" 210 40                          # Go!
box=$(find_window '^Vantor Log Analyzer$' "$window")  # the skipped record
xdotool windowfocus --sync "$box" key Return
sleep 0.5
click "$window" 240 105                         # the first item
mkdir -p docs
xwd -id "$window" -silent | convert xwd:- docs/screenshot.png
echo "saved docs/screenshot.png"

xdotool windowfocus --sync "$window" key ctrl+b
by_log=$(find_window '^By Log: Alia, Picked Up$')
sleep 0.5
click "$by_log" 60 62                           # the first row
xwd -id "$by_log" -silent | convert xwd:- docs/screenshot-by-log.png
echo "saved docs/screenshot-by-log.png"
