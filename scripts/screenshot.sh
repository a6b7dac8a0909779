#!/usr/bin/env bash
# Runs the window under Xvfb at 96 dpi for a player whose game folder holds
# the example logs plus one record that cannot be counted (a home folder made
# for it), with Alia given on the command line: presses Go!, answers the
# message about the skipped record, clicks the first item, checks the caption
# and the client size, and saves docs/screenshot.png; then opens the By log
# window with Ctrl+B, clicks its first row and saves docs/screenshot-by-log.png;
# last the All Actions window with Ctrl+E, once it has read the logs:
# docs/screenshot-all-actions.png.
#
#   bash scripts/screenshot.sh                           at 96 dpi, into docs/
#   bash scripts/screenshot.sh --dpi 144 DIR             at another DPI (the window scaled by DPI / 96), into DIR
#   bash scripts/screenshot.sh --follow FILE             started with --follow: waits for the first tally,
#                                                        appends to the last log, waits for the update, and
#                                                        saves the window with its gains as FILE and By log
#                                                        as FILE's name with -by-log
#   bash scripts/screenshot.sh --players FILE            no player given: types "al" in the Player ID box
#                                                        and saves the window with the IDs it offers
#   bash scripts/screenshot.sh --chart FILE              a year of logs (scripts/chart-logs.sh): the By log
#                                                        window with its first two rows chosen (Ctrl+click)
#                                                        and the mouse resting on the chart, tip and all
#   ... --dpi N                                          with --follow, --players or --chart: at N dpi
set -euo pipefail
cd "$(dirname "$0")/.."

dpi=96
out=docs
follow=""
players=""
chart=""
usage="usage: $0 [--dpi N DIR] | [--follow FILE | --players FILE | --chart FILE] [--dpi N]"
while [ $# -gt 0 ]; do
    case "$1" in
        --follow) follow=${2:?$usage}; shift 2 ;;
        --players) players=${2:?$usage}; shift 2 ;;
        --chart) chart=${2:?$usage}; shift 2 ;;
        --dpi)
            dpi=${2:?$usage}
            shift 2
            if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then out=$1; shift; fi ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
# Pixels at 96 dpi, at the DPI asked for.
px() { echo $(( $1 * dpi / 96 )); }

bash scripts/setup.sh
for tool in Xvfb:xvfb xdotool:xdotool xwd:x11-apps convert:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${tool##*:}"
done
cmake --preset release >/dev/null
cmake --build --preset release --target vantor-log-analyzer

# The first display nobody else uses (other builds may take pictures too).
display=73
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1600x1200x24 -dpi "$dpi" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
# The chart: Qt scales the windows as on a desktop at that DPI.
[ -z "$chart" ] || export QT_FONT_DPI=$dpi
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
# Qt on X11 scales by Xft.dpi, which Xvfb has none of: the same scale by hand.
if [ -z "$chart" ]; then
    export QT_SCALE_FACTOR
    QT_SCALE_FACTOR=$(awk "BEGIN { print $dpi / 96 }")
fi
if [ -n "$players" ]; then
    # Other players met on the way: some whose IDs start with "al", some that hold it.
    for id in Aldric Aldric Aldric Aldric Aldric Alianne Alianne Malia Malia Malia Malia Kalia; do
        printf '2026-01-04 09:00:00\t%s\tForest01\t[Pickup]\t120,44\tRed Potion(1)\r\n' "$id"
    done >"$logs/ActionLog0104.txt"
    HOME=$home build/release/qt/vantor-log-analyzer 2>/dev/null &
else
    HOME=$home build/release/qt/vantor-log-analyzer --player Alia ${follow:+--follow} 2>/dev/null &
fi
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

if [ -n "$players" ]; then
    sleep 1
    # The middle of the Player ID box, at the table's place and size in twips.
    xdotool mousemove --window "$window" $(( (1320 + 600) * dpi / 1440 )) $(( (480 + 140) * dpi / 1440 )) click 1
    xdotool type --delay 150 al
    sleep 1
    # The offer is a window of its own over the window: the screen where the window is.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    mkdir -p "$(dirname "$players")"
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$players"
    echo "saved $players"
    exit 0
fi

info=$(xwininfo -id "$window")
echo "$info" | grep -E 'xwininfo|Width|Height'
echo "$info" | grep -q '"Vantor Log Analyzer"' || { echo "wrong caption" >&2; exit 1; }
# 523 x 288 scaled, give or take the rounding of a half pixel.
width=$(echo "$info" | sed -n 's/^ *Width: //p') height=$(echo "$info" | sed -n 's/^ *Height: //p')
[ $((width * 96 / dpi)) -eq 523 ] || [ $(((width + 1) * 96 / dpi)) -eq 523 ] || { echo "client width $width is not 523 scaled" >&2; exit 1; }
[ $((height * 96 / dpi)) -eq 288 ] || [ $(((height + 1) * 96 / dpi)) -eq 288 ] || { echo "client height $height is not 288 scaled" >&2; exit 1; }

click() { xdotool mousemove --window "$1" "$(px "$2")" "$(px "$3")" click 1; sleep 0.3; }
mkdir -p "$out"

if [ -n "$follow" ]; then
    # No message during play: the skipped record is counted on the status line.
    sleep 2
    printf '%b' '2026-01-03 07:08:00\tAlia\tForest01\t[Pickup]\t124,47\tFeather(19)\r\n' \
        '2026-01-03 07:09:00\tAlia\tForest01\t[Pickup]\t125,47\tRed Potion(3)\r\n' \
        '2026-01-03 07:10:00\tAlia\tForest01\t[Pickup]\t125,48\tSilver Ring(1)\r\n' >>"$logs/ActionLog0103.txt"
    sleep 2
    click "$window" 240 105                     # the first item
    xdotool mousemove --window "$window" "$(px 500)" "$(px 280)"  # no tip in the picture
    sleep 0.5
    xwd -id "$window" -silent | convert xwd:- "$follow"
    echo "saved $follow"
    xdotool windowfocus --sync "$window" key ctrl+b
    by_log=$(find_window '^By Log: Alia, Picked Up$')
    sleep 0.5
    click "$by_log" 60 62                       # the first row
    xwd -id "$by_log" -silent | convert xwd:- "${follow%.png}-by-log.png"
    echo "saved ${follow%.png}-by-log.png"
    exit 0
fi
click "$window" 210 40                          # Go!
box=$(find_window '^Vantor Log Analyzer$' "$window")  # the skipped record
xdotool windowfocus --sync "$box" key Return
sleep 0.5
click "$window" 240 105                         # the first item
mkdir -p "$out"
xwd -id "$window" -silent | convert xwd:- "$out/screenshot.png"
echo "saved $out/screenshot.png"

xdotool windowfocus --sync "$window" key ctrl+b
by_log=$(find_window '^By Log: Alia, Picked Up$')
sleep 0.5
click "$by_log" 60 62                           # the first row
xwd -id "$by_log" -silent | convert xwd:- "$out/screenshot-by-log.png"
echo "saved $out/screenshot-by-log.png"

xdotool windowfocus --sync "$window" key ctrl+e
all_actions=$(find_window '^All Actions: Alia$')
sleep 1
xwd -id "$all_actions" -silent | convert xwd:- "$out/screenshot-all-actions.png"
echo "saved $out/screenshot-all-actions.png"
