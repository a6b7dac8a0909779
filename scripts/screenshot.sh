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
#   bash scripts/screenshot.sh                at 96 dpi, into docs/
#   bash scripts/screenshot.sh --dpi 144 DIR  at another DPI (the window scaled by DPI / 96), into DIR
set -euo pipefail
cd "$(dirname "$0")/.."

dpi=96
out=docs
case "${1:-}" in
    "") ;;
    --dpi) dpi=${2:?usage: $0 [--dpi N DIR]}; out=${3:?usage: $0 [--dpi N DIR]} ;;
    *) echo "usage: $0 [--dpi N DIR]" >&2; exit 2 ;;
esac

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
# Qt on X11 scales by Xft.dpi, which Xvfb has none of: the same scale by hand.
[ "$dpi" = 96 ] || export QT_SCALE_FACTOR=$(awk "BEGIN { print $dpi / 96 }")
# A player's home folder, made for the pictures and removed after (a scratch
# folder if that name is taken). Its settings go there too.
home=/home/alia
[ -e "$home" ] && home=$(mktemp -d)
logs="$home/My Documents/Halvern/ZENTHARA/LOG"
mkdir -p "$logs"
cp examples/logs/* "$logs/"
printf '2026-01-03 07:07:00\tAlia\tForest01\t[Pickup]\t124,46\tArrow Bundle(x)\r\n' >>"$logs/ActionLog0103.txt"
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

info=$(xwininfo -id "$window")
echo "$info" | grep -E 'xwininfo|Width|Height'
echo "$info" | grep -q '"Vantor Log Analyzer"' || { echo "wrong caption" >&2; exit 1; }
# Rounded, as Qt scales them.
width=$(((523 * dpi + 48) / 96)) height=$(((288 * dpi + 48) / 96))
echo "$info" | grep -q "Width: $width" && echo "$info" | grep -q "Height: $height" ||
    { echo "client area is not $width x $height" >&2; exit 1; }

# At pixels of 96 dpi.
click() { xdotool mousemove --window "$1" $(($2 * dpi / 96)) $(($3 * dpi / 96)) click 1; sleep 0.3; }
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
