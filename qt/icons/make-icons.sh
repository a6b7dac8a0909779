#!/usr/bin/env bash
# Renders the program's icon from its SVG drawings into vantor-SIZE.png for
# the window, the menu entry and the .deb (16 to 256 pixels), and packs 16,
# 24, 32, 48 and 256 into win32/icons/vantor-log-analyzer.ico for the .exe and
# the .msi: every image 32-bit with alpha, which Windows scales smoothly to
# the sizes between (20 pixels at 125 %), the 256-pixel one stored as PNG, as
# Windows expects it.
# 16 and 24 pixels come from their own pixel-aligned drawings; every other
# size from vantor-log-analyzer.svg. Run it after changing a drawing and
# commit what it writes.
#
#   bash qt/icons/make-icons.sh
set -euo pipefail
cd "$(dirname "$0")"
bash ../../scripts/setup.sh librsvg2-bin icoutils

for size in 16 24 32 48 64 128 256; do
    source=vantor-log-analyzer.svg
    [ -f "vantor-log-analyzer-$size.svg" ] && source="vantor-log-analyzer-$size.svg"
    rsvg-convert --width "$size" --height "$size" --output "vantor-$size.png" "$source"
done

ico=../../win32/icons/vantor-log-analyzer.ico
icotool --create --bit-depth=32 --output "$ico" vantor-16.png vantor-24.png vantor-32.png vantor-48.png --raw=vantor-256.png
icotool --list "$ico"
