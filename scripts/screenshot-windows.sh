#!/usr/bin/env bash
# Runs the Windows window (vantor-log-analyzer.exe) under Wine on Xvfb for a
# player whose game folder (in the Wine user's profile) holds the example
# logs, with Alia given on the command line: presses Go!, clicks the first
# item, checks the caption and the client size, and saves
# docs/screenshot-windows.png.
#
#   bash scripts/screenshot-windows.sh                  at 96 dpi
#   bash scripts/screenshot-windows.sh --dpi 144 FILE   at another DPI, saved to FILE
set -euo pipefail
cd "$(dirname "$0")/.."

dpi=96
out=docs/screenshot-windows.png
case "${1:-}" in
    "") ;;
    --dpi) dpi=$2; out=${3:?usage: $0 [--dpi N FILE]} ;;
    *) echo "usage: $0 [--dpi N FILE]" >&2; exit 2 ;;
esac

bash scripts/setup.sh wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick
bash scripts/test-windows.sh --build-only
build=build/windows-cross

# A prefix of its own: the tests' prefix uses Wine's null driver, this one X11.
export WINEPREFIX="$PWD/$build/wine-prefix-screenshot" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
export DISPLAY=:74
Xvfb "$DISPLAY" -screen 0 1024x768x24 -dpi "$dpi" -nolisten tcp > /dev/null 2>&1 &
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
ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"  # see test-windows.sh
# The DPI that Wine reports to programs.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null
wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD \
    /d "$dpi" /f > /dev/null
wineserver -w
# The game's log folder in the Wine user's profile, where the window starts.
profile=$(wine cmd /c 'echo %USERPROFILE%' 2> /dev/null | tr -d '\r')
logs="$(winepath -u "$profile")/My Documents/Halvern/ZENTHARA/LOG"
mkdir -p "$logs"
cp examples/logs/* "$logs/"

wine "$build/win32/vantor-log-analyzer.exe" --player Alia > /dev/null 2>&1 &
app=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name '^Vantor Log Analyzer$' 2> /dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1

# Without a window manager Wine's X window is the client area alone.
info=$(xwininfo -id "$window")
echo "$info" | grep -E 'xwininfo|Width|Height'
width=$(( 7845 * dpi / 1440 ))
height=$(( 4320 * dpi / 1440 ))
echo "$info" | grep -q '"Vantor Log Analyzer"' || { echo "wrong caption" >&2; exit 1; }
echo "$info" | grep -q "Width: $width\$" && echo "$info" | grep -q "Height: $height\$" ||
    { echo "client area is not $width x $height" >&2; exit 1; }

# Positions in twips, as the control table gives them.
at() { echo $(( $1 * dpi / 1440 )) $(( $2 * dpi / 1440 )); }
click() {
    xdotool mousemove --window "$window" $(at "$1" "$2") click 1
    sleep 0.3
}
click 3100 600                               # Go!
sleep 1
click 3200 1540                              # the first item
xdotool mousemove --window "$window" $(at 7000 3900)  # off the list: no item's tip in the picture
sleep 1
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "saved $out"
