#!/usr/bin/env bash
# Runs the Windows window (vantor-log-analyzer.exe) under Wine on Xvfb, as a
# player has it: a prefix without Wine's own fonts, nothing remembered, and
# the game's folder (in the Wine user's profile) holding the example logs and
# a fourth log with a record that cannot be counted. Starts it with
# --player Alia, checks the caption and the client size, presses Go! and
# saves the window with the warning about the skipped record over it; then
# closes the warning, opens the By log window (Ctrl+B), selects its first row
# and saves it with its chart.
#
#   bash scripts/screenshot-windows.sh                  at 96 dpi: docs/screenshot-windows.png
#                                                       and docs/screenshot-windows-by-log.png
#   bash scripts/screenshot-windows.sh --dpi 144 FILE   at another DPI: FILE and FILE's name with -by-log
#   bash scripts/screenshot-windows.sh --language ru_RU FILE
#                                                       as on a Windows in that language (ru_RU, el_GR,
#                                                       he_IL, th_TH or pl_PL): a log in its code page
#                                                       and script, the window alone, its first item clicked
#   ... --larger                                        remembered as closed 200 x 100 pixels larger
#                                                       than its first size: starts at that size
#   ... --all-actions                                   the All Actions window (Ctrl+E) in place of By log,
#                                                       once it has read the logs: FILE's name with -all-actions
#   ... --follow                                        started with --follow instead of Go!: waits for
#                                                       the first tally, appends to the last log, waits
#                                                       for the update and saves the window with its
#                                                       gains and By log (FILE, else
#                                                       docs/screenshot-windows-session.png)
#   ... --players FILE                                  no player given: types "al" in the Player ID box
#                                                       and saves the window with the IDs it offers
#   ... --chart FILE                                    a year of logs (scripts/chart-logs.sh): the By log
#                                                       window with its first two rows chosen (Ctrl+click)
#                                                       and the mouse resting on the chart, tip and all
set -euo pipefail
cd "$(dirname "$0")/.."

dpi=96
out=docs/screenshot-windows.png
language=""
larger=false
all_actions=false
follow=false
named=false
players=""
chart=false
usage="usage: $0 [--dpi N FILE | --language LL_CC FILE | --chart FILE [--dpi N]] [--larger] [--all-actions | --follow | --players FILE]"
while [ $# -gt 0 ]; do
    case "$1" in
        --dpi) # FILE may be left out after --chart FILE
            dpi=${2:?$usage}
            if [ $# -ge 3 ] && [ "${3#--}" = "$3" ]; then out=$3; named=true; shift 3; else $chart || { echo "$usage" >&2; exit 2; }; shift 2; fi ;;
        --language) language=${2:?$usage}; out=${3:?$usage}; named=true; shift 3 ;;
        --chart) chart=true; out=${2:?$usage}; named=true; shift 2 ;;
        --larger) larger=true; shift ;;
        --all-actions) all_actions=true; shift ;;
        --follow) follow=true; shift ;;
        --players) players=${2:?$usage}; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
# A player and three pickups in the language's script, the bytes of its code page.
player=Alia
case "$language" in
    "") ;;
    ru_RU) player='Странник' records='2026-01-05 10:00:00\t\xD1\xF2\xF0\xE0\xED\xED\xE8\xEA\tForest01\t[Pickup]\t120,44\t\xD8\xEA\xF3\xF0\xE0 \xE2\xEE\xEB\xEA\xE0(3)\r\n2026-01-05 10:01:00\t\xD1\xF2\xF0\xE0\xED\xED\xE8\xEA\tForest01\t[Pickup]\t120,44\t\xC7\xE5\xEB\xFC\xE5 \xE7\xE4\xEE\xF0\xEE\xE2\xFC\xFF(12)\r\n2026-01-05 10:02:00\t\xD1\xF2\xF0\xE0\xED\xED\xE8\xEA\tForest01\t[Pickup]\t120,44\t\xC6\xE5\xEB\xE5\xE7\xED\xE0\xFF \xF0\xF3\xE4\xE0(7)\r\n' ;;
    el_GR) player='Αλέξης' records='2026-01-05 10:00:00\t\xC1\xEB\xDD\xEE\xE7\xF2\tForest01\t[Pickup]\t120,44\t\xCE\xDF\xF6\xEF\xF2(3)\r\n2026-01-05 10:01:00\t\xC1\xEB\xDD\xEE\xE7\xF2\tForest01\t[Pickup]\t120,44\t\xD6\xDF\xEB\xF4\xF1\xEF \xE6\xF9\xDE\xF2(12)\r\n2026-01-05 10:02:00\t\xC1\xEB\xDD\xEE\xE7\xF2\tForest01\t[Pickup]\t120,44\t\xC4\xDD\xF1\xEC\xE1 \xEB\xFD\xEA\xEF\xF5(7)\r\n' ;;
    he_IL) player='שלום' records='2026-01-05 10:00:00\t\xF9\xEC\xE5\xED\tForest01\t[Pickup]\t120,44\t\xE7\xF8\xE1 \xE1\xF8\xE6\xEC(3)\r\n2026-01-05 10:01:00\t\xF9\xEC\xE5\xED\tForest01\t[Pickup]\t120,44\t\xF9\xE9\xF7\xE5\xE9 \xF8\xE9\xF4\xE5\xE9(12)\r\n2026-01-05 10:02:00\t\xF9\xEC\xE5\xED\tForest01\t[Pickup]\t120,44\t\xF2\xE5\xF8 \xE6\xE0\xE1(7)\r\n' ;;
    th_TH) player='สมชาย' records='2026-01-05 10:00:00\t\xCA\xC1\xAA\xD2\xC2\tForest01\t[Pickup]\t120,44\t\xB4\xD2\xBA\xE0\xCB\xC5\xE7\xA1(3)\r\n2026-01-05 10:01:00\t\xCA\xC1\xAA\xD2\xC2\tForest01\t[Pickup]\t120,44\t\xC2\xD2\xBF\xD7\xE9\xB9\xBE\xC5\xD1\xA7(12)\r\n2026-01-05 10:02:00\t\xCA\xC1\xAA\xD2\xC2\tForest01\t[Pickup]\t120,44\t\xCB\xB9\xD1\xA7\xCB\xC1\xD2\xBB\xE8\xD2(7)\r\n' ;;
    pl_PL) player='Łukasz' records='2026-01-05 10:00:00\t\xA3ukasz\tForest01\t[Pickup]\t120,44\t\xAFelazny miecz(3)\r\n2026-01-05 10:01:00\t\xA3ukasz\tForest01\t[Pickup]\t120,44\tMikstura \xBFycia(12)\r\n2026-01-05 10:02:00\t\xA3ukasz\tForest01\t[Pickup]\t120,44\tSk\xF3ra wilka(7)\r\n' ;;
    *) echo "$0: no logs for the language $language" >&2; exit 2 ;;
esac
$follow && ! $named && out=docs/screenshot-windows-session.png
by_log_out="${out%.png}-by-log.png"

bash scripts/setup.sh wine wine64 xvfb xdotool x11-utils imagemagick locales
bash scripts/test-windows.sh --build-only
build=build/windows-cross

# A prefix of its own: the tests' prefix uses Wine's null driver, this one X11.
export WINEPREFIX="$PWD/$build/wine-prefix-screenshot" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Wine takes the system's ANSI code page from the locale.
if [ -n "$language" ] && ! locale -a | grep -qx "$language.utf8"; then
    $([ "$(id -u)" -eq 0 ] || echo sudo) localedef -i "$language" -c -f UTF-8 "$language.UTF-8"
fi
export LC_ALL="${language:-C}.UTF-8"
# The first display nobody else uses (other builds may take pictures too).
display=74
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1280x900x24 -dpi "$dpi" -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2> /dev/null
    wineserver -k 2> /dev/null || true
    kill "$xvfb" 2> /dev/null || true
}
trap cleanup EXIT
sleep 1

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating a Wine prefix in $WINEPREFIX"
    wine wineboot --init 2>&1 | grep -v 'syswow64' || true
    wineserver -w
fi
# As a player's prefix: none of Wine's fonts linked in (an older run of this
# script linked them), nothing remembered from the last run.
find "$WINEPREFIX/drive_c/windows/Fonts" -lname '/usr/share/wine/fonts/*' -delete
wine reg delete 'HKCU\Software\Vantor Log Analyzer' /f > /dev/null 2>&1 || true
width=$(( 7845 * dpi / 1440 ))
height=$(( 4320 * dpi / 1440 ))
if $larger; then
    # The window's place as the window saves it: its frame's edges (4 pixels
    # each side and a caption of 23 at 96 dpi), the DPI, not maximised.
    width=$((width + 200)) height=$((height + 100))
    frame_width=$((width + 8 * dpi / 96)) frame_height=$((height + 27 * dpi / 96))
    wine reg add 'HKCU\Software\Vantor Log Analyzer' /v window /t REG_SZ \
        /d "40 40 $((40 + frame_width)) $((40 + frame_height)) $dpi 0" /f > /dev/null
fi
# The DPI that Wine reports to programs.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null
wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD \
    /d "$dpi" /f > /dev/null
wineserver -w
# The game's log folder in the Wine user's profile, where the window starts.
profile=$(wine cmd /c 'echo %USERPROFILE%' 2> /dev/null | tr -d '\r')
logs="$(winepath -u "$profile")/My Documents/Halvern/ZENTHARA/LOG"
rm -rf "$logs"
mkdir -p "$logs"
if [ -n "$language" ]; then
    printf '%b' "$records" > "$logs/ActionLog0105.txt"
elif $chart; then
    bash scripts/chart-logs.sh "$logs"
else
cp examples/logs/* "$logs/"
printf '%b' '2026-01-04 10:00:00\tAlia\tForest01\t[Pickup]\t120,44\tRed Potion(2)\r\n' \
    '2026-01-04 10:00:09\tAlia\tForest01\t[Pickup]\t121,44\tBlue Widget(x2)\r\n' \
    '2026-01-04 10:01:30\tAlia\tMine02\t[Pickup]\t130,50\tIron Ore C.(6)\r\n' > "$logs/ActionLog0104.txt"
fi

follow_argument=()
$follow && follow_argument=(--follow)
if [ -n "$players" ]; then
    # Other players met on the way: some whose IDs start with "al", some that hold it.
    for id in Aldric Aldric Aldric Aldric Aldric Alianne Alianne Malia Malia Malia Malia Kalia; do
        printf '2026-01-05 09:00:00\t%s\tForest01\t[Pickup]\t120,44\tRed Potion(1)\r\n' "$id"
    done > "$logs/ActionLog0105.txt"
    wine "$build/win32/vantor-log-analyzer.exe" > /dev/null 2>&1 &
else
    wine "$build/win32/vantor-log-analyzer.exe" --player "$player" "${follow_argument[@]}" > /dev/null 2>&1 &
fi
app=$!
find_window() {
    local found=""
    for _ in $(seq 100); do
        found=$(xdotool search --name "$1" 2> /dev/null | head -n 1) && [ -n "$found" ] && break
        sleep 0.2
    done
    [ -n "$found" ] || { echo "no window named $1 appeared" >&2; exit 1; }
    echo "$found"
}
window=$(find_window '^Vantor Log Analyzer$')
sleep 1

# Without a window manager Wine's X window is the client area alone.
info=$(xwininfo -id "$window")
echo "$info" | grep -E 'xwininfo|Width|Height'
echo "$info" | grep -q '"Vantor Log Analyzer"' || { echo "wrong caption" >&2; exit 1; }
shown_width=$(echo "$info" | sed -n 's/^ *Width: //p') shown_height=$(echo "$info" | sed -n 's/^ *Height: //p')
# Larger: the frame's size above is 96 dpi's scaled, which Wine draws a
# few pixels smaller at other DPIs.
slack=0
$larger && slack=4
[ "$shown_width" -ge "$width" ] && [ "$shown_width" -le $((width + slack)) ] &&
    [ "$shown_height" -ge "$height" ] && [ "$shown_height" -le $((height + slack)) ] ||
    { echo "client area is not $width x $height" >&2; exit 1; }
width=$shown_width height=$shown_height

# Positions in twips, as the control table gives them.
at() { echo $(( $1 * dpi / 1440 )) $(( $2 * dpi / 1440 )); }
click() {
    xdotool mousemove --window "$window" $(at "$1" "$2") click 1
    sleep 0.3
}
if $follow; then
    # No message during play: the skipped record is counted on the status line.
    sleep 3
    printf '%b' '2026-01-04 10:02:00\tAlia\tForest01\t[Pickup]\t122,44\tRed Potion(5)\r\n' \
        '2026-01-04 10:03:00\tAlia\tForest01\t[Pickup]\t123,46\tFeather(7)\r\n' \
        '2026-01-04 10:04:00\tAlia\tMine02\t[Pickup]\t131,51\tSilver Ring(1)\r\n' >> "$logs/ActionLog0104.txt"
    sleep 3
    click 3000 1530                          # the first item
    xdotool mousemove --window "$window" $(at 7000 3900)  # no tip in the picture
    sleep 1
    mkdir -p "$(dirname "$out")"
    import -window "$window" "$out"
    echo "saved $out"
    xdotool key --window "$window" ctrl+b
    by_log=$(find_window '^By Log: ')
    sleep 1
    xdotool mousemove --window "$by_log" $(( 60 * dpi / 96 )) $(( 70 * dpi / 96 )) click 1
    xdotool mousemove --window "$by_log" 2 2
    sleep 1
    import -window "$by_log" "$by_log_out"
    echo "saved $by_log_out"
    exit 0
fi
if [ -n "$players" ]; then
    click 1920 620                           # the Player ID box
    xdotool type --delay 150 al
    sleep 1
    # The offer is a window of its own over the window: the screen where the window is.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    mkdir -p "$(dirname "$players")"
    import -window root -crop "${width}x${height}+$X+$Y" +repage "$players"
    echo "saved $players"
    exit 0
fi
click 3100 600                               # Go!
if $chart; then
    sleep 3
    xdotool key --window "$window" ctrl+b
    by_log=$(find_window '^By Log: ')
    sleep 1
    # The first two rows of the table, the second with Ctrl; then the chart.
    xdotool mousemove --window "$by_log" $(( 60 * dpi / 96 )) $(( 66 * dpi / 96 )) click 1
    xdotool keydown ctrl mousemove --window "$by_log" $(( 60 * dpi / 96 )) $(( 80 * dpi / 96 )) click 1 keyup ctrl
    xdotool mousemove --window "$by_log" $(( 300 * dpi / 96 )) $(( 470 * dpi / 96 ))
    sleep 1
    xdotool mousemove_relative 1 0
    sleep 2
    # The tip is a window of its own: the screen where the window is.
    eval "$(xdotool getwindowgeometry --shell "$by_log")"
    mkdir -p "$(dirname "$out")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
    echo "saved $out"
    exit 0
fi
if [ -n "$language" ]; then
    # The window alone, with its first item clicked and no tip.
    sleep 2
    click 3000 1530
    xdotool mousemove --window "$window" $(at 7000 3900)
    sleep 1
    mkdir -p "$(dirname "$out")"
    import -window "$window" "$out"
    echo "saved $out"
    exit 0
fi
box=""
for _ in $(seq 50); do
    box=$(xdotool search --name '^Vantor Log Analyzer$' 2> /dev/null | grep -vx "$window" | head -n 1) && [ -n "$box" ] && break
    sleep 0.2
done
[ -n "$box" ] || { echo "no warning about the skipped record" >&2; exit 1; }
xdotool mousemove --window "$window" $(at 7000 3900)  # off the list: no item's tip in the picture
# Without a window manager the warning sits in the middle of the screen:
# the picture shows it over the window's lower right, clear of the options,
# on a plain desktop.
sleep 1
eval "$(xdotool getwindowgeometry --shell "$box")"
box_width=$WIDTH box_height=$HEIGHT
xdotool windowmove "$box" $((1280 - WIDTH)) $((900 - HEIGHT))  # off the window, which X keeps no picture of under it
sleep 1
box_left=$(( 2400 * dpi / 1440 )) box_top=$(( 2000 * dpi / 1440 ))
box_width=$((box_width + 2)) box_height=$((box_height + 2))  # and a frame
canvas="$((box_left + box_width > width ? box_left + box_width : width))x$((box_top + box_height > height ? box_top + box_height : height))"
mkdir -p "$(dirname "$out")"
tmp=$(mktemp -d)
import -window "$window" "$tmp/window.png"
import -window "$box" "$tmp/box.png"
convert -size "$canvas" xc:'#3a6ea5' "$tmp/window.png" -geometry +0+0 -composite \
    \( "$tmp/box.png" -bordercolor '#404040' -border 1 \) -geometry "+$box_left+$box_top" -composite "$out"
rm -rf "$tmp"
echo "saved $out"
xdotool key --window "$box" Return           # closes the warning
sleep 1

if $all_actions; then
    all_actions_out="${out%.png}-all-actions.png"
    xdotool key --window "$window" ctrl+e
    all=$(find_window '^All Actions: ')
    sleep 2
    xdotool mousemove --window "$all" 2 2
    import -window "$all" "$all_actions_out"
    echo "saved $all_actions_out"
    exit 0
fi
xdotool key --window "$window" ctrl+b
by_log=$(find_window '^By Log: ')
sleep 1
# The first row of the table: under the range's row and the header.
xdotool mousemove --window "$by_log" $(( 60 * dpi / 96 )) $(( 70 * dpi / 96 )) click 1
xdotool mousemove --window "$by_log" 2 2
sleep 1
import -window "$by_log" "$by_log_out"
echo "saved $by_log_out"
