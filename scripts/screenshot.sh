#!/usr/bin/env bash
# Runs the window under Xvfb at 96 dpi for a player whose game folder holds
# the example logs plus one record that cannot be counted (a home folder made
# for it), with Alia given on the command line: presses Go!, answers the
# message about the skipped record, clicks the first item, checks the caption
# and the client size, and saves docs/screenshot.png; then opens the By log
# window with Ctrl+B, clicks its first row and saves docs/screenshot-by-log.png.
#
#   bash scripts/screenshot.sh                           the two pictures above
#   bash scripts/screenshot.sh --players FILE [--dpi N]  no player given: types "al" in the Player ID box
#                                                        and saves the window with the IDs it offers, as
#                                                        on a screen of N dpi (96; Qt scales the window)
set -euo pipefail
cd "$(dirname "$0")/.."

players=""
dpi=96
usage="usage: $0 [--players FILE [--dpi N]]"
while [ $# -gt 0 ]; do
    case "$1" in
        --players) players=${2:?$usage}; shift 2 ;;
        --dpi) dpi=${2:?$usage}; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done

bash scripts/setup.sh
for tool in Xvfb:xvfb xdotool:xdotool xwd:x11-apps convert:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${tool##*:}"
done
cmake --preset release >/dev/null
cmake --build --preset release --target vantor-log-analyzer

export DISPLAY=:73
Xvfb "$DISPLAY" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
# A player's home folder, made for the pictures and removed after (a scratch
# folder if that name is taken). Its settings go there too.
home=/home/alia
[ -e "$home" ] && home=$(mktemp -d)
logs="$home/My Documents/Halvern/ZENTHARA/LOG"
mkdir -p "$logs"
cp examples/logs/* "$logs/"
printf '2026-01-03 07:07:00\tAlia\tForest01\t[Pickup]\t124,46\tArrow Bundle(x)\r\n' >>"$logs/ActionLog0103.txt"
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$home"' EXIT
if [ -n "$players" ]; then
    # Other players met on the way: some whose IDs start with "al", some that hold it.
    for id in Aldric Aldric Aldric Aldric Aldric Alianne Alianne Malia Malia Malia Malia Kalia; do
        printf '2026-01-04 09:00:00\t%s\tForest01\t[Pickup]\t120,44\tRed Potion(1)\r\n' "$id"
    done >"$logs/ActionLog0104.txt"
    HOME=$home QT_SCALE_FACTOR=$(awk "BEGIN { print $dpi / 96 }") build/release/qt/vantor-log-analyzer 2>/dev/null &
else
    HOME=$home build/release/qt/vantor-log-analyzer --player Alia 2>/dev/null &
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
echo "$info" | grep -q 'Width: 523' && echo "$info" | grep -q 'Height: 288' ||
    { echo "client area is not 523 x 288" >&2; exit 1; }

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
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
