#!/usr/bin/env bash
# Draws the window icon at 48 and 256 pixels in the design of
# qt/icons/vantor-16.png and vantor-32.png (a window: dark frame, blue title
# bar with three light buttons, grey text lines on white), then packs the four
# sizes into vantor-log-analyzer.ico (the 256-pixel image stored as PNG, as
# Windows expects it). Needs ImageMagick and icoutils.
#
#   bash win32/icons/make-icon.sh
set -euo pipefail
cd "$(dirname "$0")"

# The design on the 32-pixel grid: colour and cells (x0,y0 to x1,y1 inclusive).
shapes=(
    "#28283C 1 3 30 28"   # frame
    "#265CB4 2 4 29 8"    # title bar
    "#EBEBF5 21 5 22 7"   # its three buttons
    "#EBEBF5 24 5 25 7"
    "#EBEBF5 27 5 28 7"
    "#FAFAFA 2 9 29 27"   # client area
    "#96A0AF 5 12 19 13"  # text lines
    "#96A0AF 5 16 25 17"
    "#96A0AF 5 20 19 21"
    "#96A0AF 5 24 25 25"
)

draw() {
    local size=$1 args=() colour x0 y0 x1 y1
    # A cell edge at grid position g lies at pixel g * size / 32, rounded.
    edge() { echo $(( ($1 * size + 16) / 32 )); }
    for shape in "${shapes[@]}"; do
        read -r colour x0 y0 x1 y1 <<< "$shape"
        args+=(-fill "$colour" -draw "rectangle $(edge "$x0"),$(edge "$y0") $(( $(edge $((x1 + 1))) - 1 )),$(( $(edge $((y1 + 1))) - 1 ))")
    done
    convert -size "${size}x${size}" xc:none +antialias "${args[@]}" -strip "PNG32:vantor-$size.png"
}

draw 48
draw 256
icotool -c -o vantor-log-analyzer.ico ../../qt/icons/vantor-16.png ../../qt/icons/vantor-32.png vantor-48.png \
    -r vantor-256.png
icotool -l vantor-log-analyzer.ico
