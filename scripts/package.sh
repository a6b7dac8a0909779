#!/usr/bin/env bash
# Makes the downloads for players in build/packages/:
#
#   vantor-log-analyzer_VERSION_amd64.deb            Debian and Ubuntu
#   vantor-log-analyzer-VERSION-windows-x64.zip      Windows, portable
#   vantor-log-analyzer-VERSION-windows-x64.msi      Windows, per-user installer
#
# It installs what is missing, builds the Linux release (preset package-linux)
# and the Windows cross build (windows-cross), and packs each with CPack
# (workflow presets package-linux and package-windows). VERSION is the one in
# CMakeLists.txt's project().
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/setup.sh dpkg-dev wixl
# The cross compiler and libcsv's source, then build/windows-cross.
bash scripts/test-windows.sh --build-only

# strip writes the time into each .exe's header: the commit's time instead,
# so that the .zip and the .msi hold the same bytes, and a commit packs the
# same .exe files whenever it is packed.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}"
mkdir -p build/packages
rm -f build/packages/*.deb build/packages/*.zip build/packages/*.msi
cmake --workflow --preset package-linux
cmake --workflow --preset package-windows
# CPack's External generator leaves its metadata beside the .msi; no download.
rm -f build/packages/*.json

echo "== packages"
ls -l build/packages/*.deb build/packages/*.zip build/packages/*.msi
