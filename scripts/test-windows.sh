#!/usr/bin/env bash
# Cross-builds the core, vantor-tally.exe, the window vantor-log-analyzer.exe
# and their tests for 64-bit Windows (preset windows-cross), runs the tests
# under Wine, and checks that vantor-tally.exe prints the same bytes as the
# Linux build (tsv with CR LF line ends).
#
#   bash scripts/test-windows.sh               build and test
#   bash scripts/test-windows.sh --build-only  just build build/windows-cross/cli/vantor-tally.exe
#                                              and build/windows-cross/win32/vantor-log-analyzer.exe
set -euo pipefail
cd "$(dirname "$0")/.."

build_only=false
case "${1:-}" in
    "") ;;
    --build-only) build_only=true ;;
    *) echo "usage: $0 [--build-only]" >&2; exit 2 ;;
esac

# The cross compiler, GoogleTest's sources, the header-only libraries, and
# dpkg-source to unpack libcsv's source; Wine and its fonts (Tahoma, MS Sans
# Serif) to run what was built.
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest libcli11-dev
          nlohmann-json3-dev dpkg-dev)
$build_only || packages+=(wine wine64 fonts-wine)
bash scripts/setup.sh "${packages[@]}"

build=build/windows-cross
deps="$build/_deps"

# libcsv has no MinGW package: its Debian source (the version the Linux build
# uses, when installed) is compiled by the cross build. The source index is
# read into a folder of our own; the machine's apt configuration stays as it is.
if [ ! -f "$deps/libcsv/libcsv.c" ]; then
    apt_dir="$deps/apt"
    rm -rf "$apt_dir" "$deps/libcsv"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$apt_dir/download"
    . /etc/os-release
    mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
             grep -v '^[[:space:]]*#' | grep -oE 'https?://[^ ]+/debian/?( |$)' | head -n 1 | tr -d ' ' || true)
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${mirror:-http://deb.debian.org/debian} $VERSION_CODENAME main" \
        > "$apt_dir/sources.list"
    apt_options=(-qq -o "Dir::Etc::SourceList=$PWD/$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$PWD/$apt_dir/parts"
                 -o "Dir::State::Lists=$PWD/$apt_dir/lists" -o "Dir::Cache=$PWD/$apt_dir/cache"
                 -o APT::Sandbox::User=root)
    version=$(dpkg-query -W -f='${Version}' libcsv-dev 2>/dev/null || true)
    echo "Fetching libcsv's source${version:+ $version}"
    apt-get "${apt_options[@]}" update
    (cd "$apt_dir/download" &&
        { apt-get "${apt_options[@]}" source --download-only "libcsv${version:+=$version}" ||
          apt-get "${apt_options[@]}" source --download-only libcsv; })
    # apt checked the files against the signed index; dpkg-source's own note that
    # it has no key for the uploader's signature is kept out of sight.
    dpkg-source -x "$apt_dir"/download/libcsv_*.dsc "$deps/libcsv" > "$apt_dir/unpack.log" 2>&1 ||
        { cat "$apt_dir/unpack.log" >&2; exit 1; }
fi

jobs="$(nproc)"
cmake --preset windows-cross
cmake --build --preset windows-cross -j "$jobs"

# Linked statically: nothing from MinGW (lib*.dll) may be imported.
for exe in "$build"/cli/*.exe "$build"/win32/*.exe "$build"/tests/*/*.exe; do
    if x86_64-w64-mingw32-objdump -p "$exe" | grep -iE 'DLL Name: lib'; then
        echo "$exe needs a MinGW DLL" >&2
        exit 1
    fi
done
$build_only && exit 0

# winedbg.exe=d: a crash ends the program at once (exit status 5 for a page
# fault) rather than starting Wine's debugger, which can hold a test for its
# whole time-out.
export WINEPREFIX="$PWD/$build/wine-prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export LC_ALL=C.UTF-8  # Wine turns the arguments into UTF-16 after the locale's charset
trap 'wineserver -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating a Wine prefix in $WINEPREFIX"
    # (Only the 64-bit Wine is installed; its note about 32-bit rundll32 is expected.)
    wine wineboot --init 2>&1 | grep -v 'syswow64' || true
    wineserver -w
fi
# The window's tests create real windows. Without a display Wine 8 refuses to
# (ERROR_INVALID_WINDOW_HANDLE) unless the prefix asks for its null driver,
# which keeps windows, focus and fonts in memory. Debian's Wine 8 does not load
# the fonts of fonts-wine from /usr/share/wine/fonts; from the prefix's Fonts
# folder it does.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f > /dev/null
ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -w

ctest --preset windows-cross

# A Windows set to another language writes the logs in that language's code
# page, and Wine takes it from the locale: the window reads them in it, in
# Polish, Russian, Greek, Hebrew, Arabic and Thai (1250, 1251, 1253, 1255,
# 1256 and 874).
languages=(pl_PL ru_RU el_GR he_IL ar_EG th_TH)
bash scripts/setup.sh locales
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
for language in "${languages[@]}"; do
    locale -a | grep -qx "$language.utf8" || $sudo localedef -i "$language" -c -f UTF-8 "$language.UTF-8"
done
for language in "${languages[@]}"; do
    echo "The window in $language"
    # The test asks the system for its code page: one that ran nothing failed.
    run=$(LC_ALL="$language.UTF-8" wine "$build/tests/win32/win32_test.exe" --gtest_filter='*SystemsCodePage*' 2>&1) ||
        { echo "$run"; exit 1; }
    grep -q '^\[  PASSED  \] 1 test\.' <<< "$run" || { echo "$run"; exit 1; }
done
wineserver -w

# A player's new prefix has none of Wine's fonts, only what its font mapper
# substitutes for them (wider faces): the window's captions must still show
# whole there. The control table's test again, in a prefix of that kind.
bare="$PWD/$build/wine-prefix-bare"
trap 'wineserver -k 2>/dev/null || true; WINEPREFIX="$bare" wineserver -k 2>/dev/null || true' EXIT
if [ ! -f "$bare/system.reg" ]; then
    echo "Creating a Wine prefix without Wine's fonts in $bare"
    WINEPREFIX="$bare" wine wineboot --init 2>&1 | grep -v 'syswow64' || true
fi
WINEPREFIX="$bare" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f > /dev/null
WINEPREFIX="$bare" wineserver -w
WINEPREFIX="$bare" wine "$build/tests/win32/win32_test.exe" --gtest_filter='*TheTablesControls*' --gtest_brief=1

# vantor-tally.exe against the Linux build, byte for byte.
if [ ! -f build/debug/build.ninja ]; then
    bash scripts/setup.sh
    cmake --preset debug
fi
cmake --build --preset debug -j "$jobs" --target vantor-tally
# A folder whose name only the wide file API can open.
wide_folder="$build/tally-été-日本-Ω"
rm -rf "$wide_folder"
mkdir -p "$wide_folder"
cp examples/logs/* "$wide_folder/"

# Player IDs and items outside ASCII: the logs write them in Windows-1252,
# the command line types them in UTF-8 (Linux) or UTF-16 (Windows).
elan_folder="$build/tally-elan"
rm -rf "$elan_folder"
mkdir -p "$elan_folder"
printf '%b' 't0\t \xE9lan\tm\t[Pickup]\tc\tRed Potion(12)\r\n' 't0\t\xE9lan\tm\t[Pickup]\tc\tBlue Widget(3)\r\n' \
    't0\t \xE9lan\tm\t[Pickup]\tc\tCaf\xE9 Latte(1)\r\n' 't0\t \xE9lan\tm\t[Pickup]\tc\tFeather(2)\r\n' \
    't0\tAlia\tm\t[Pickup]\tc\tIron Ore(6)\r\n' > "$elan_folder/ActionLog0101.txt"

out="$build/tally-compare"
mkdir -p "$out"
passed=0
failed=0
# Standard output and error and the exit status must be the same, but for the
# line ends of text: CR LF on Windows for tsv (KIND tsv) and for stderr;
# csv and json (KIND exact) have the same bytes everywhere.
compare() {  # KIND ARGUMENTS...
    local kind=$1 linux_status=0 windows_status=0
    shift
    build/debug/cli/vantor-tally "$@" > "$out/linux" 2> "$out/linux-err" || linux_status=$?
    wine "$build/cli/vantor-tally.exe" "$@" > "$out/windows" 2> "$out/windows-err" || windows_status=$?
    if [ "$kind" = tsv ]; then sed 's/$/\r/' "$out/linux" > "$out/wanted"; else cp "$out/linux" "$out/wanted"; fi
    sed 's/$/\r/' "$out/linux-err" > "$out/wanted-err"
    if [ "$linux_status" -eq "$windows_status" ] && cmp -s "$out/wanted" "$out/windows" &&
       cmp -s "$out/wanted-err" "$out/windows-err"; then
        echo "same bytes ($kind: $(wc -c < "$out/linux") bytes, stderr $(wc -c < "$out/linux-err"), status $linux_status): vantor-tally $*"
        passed=$((passed + 1))
    else
        echo "DIFFERENT (status $linux_status / $windows_status): vantor-tally $*" >&2
        cmp "$out/wanted" "$out/windows" >&2 || true
        cmp "$out/wanted-err" "$out/windows-err" >&2 || true
        failed=$((failed + 1))
    fi
}
# The Linux output of the last comparison must be these bytes (printf %b).
expect() {
    if printf '%b' "$1" | cmp -s - "$out/linux"; then
        echo "  and it lists the expected items"
    else
        echo "UNEXPECTED output of the last comparison:" >&2
        cat -A "$out/linux" >&2
        failed=$((failed + 1))
    fi
}
compare tsv --player Alia examples/logs
compare exact --player Alia --format csv examples/logs
compare exact --player Alia --format json examples/logs
# A folder given from the root with '/' (Wine maps it; on Windows
# /Users/alia/LOG) is a folder, not a Windows-style option.
compare tsv --player Alia --action sell "$PWD/examples/logs"
expect 'Red Potion\t2\nWolf Pelt\t3\nBlue Widget\t1\n'
compare exact --player Alia --format csv "$wide_folder"
compare tsv --player Alia --by-log --from ActionLog0102.txt examples/logs
compare exact --player Alia --by-log --format json --last 2 "$wide_folder"
compare tsv --player " élan" "$elan_folder"
expect 'Red Potion\t12\nCaf\xC3\xA9 Latte\t1\nFeather\t2\n'
compare tsv --player " élan" --bytes "$elan_folder"
expect 'Red Potion\t12\nCaf\xE9 Latte\t1\nFeather\t2\n'
compare exact --player " élan" --format csv "$elan_folder"
expect '\xEF\xBB\xBFitem,total\r\n"Red Potion",12\r\n"Caf\xC3\xA9 Latte",1\r\n"Feather",2\r\n'
compare exact --player "élan" --format json "$elan_folder"
expect '[\n  {\n    "item": "Blue Widget",\n    "total": 3\n  }\n]\n'
compare tsv --player "ÉLAN" "$elan_folder"
compare tsv --plyer Alia examples/logs
compare exact --help
# The Windows way of asking for help.
if wine "$build/cli/vantor-tally.exe" '/?' 2> /dev/null | cmp -s - <(build/debug/cli/vantor-tally --help); then
    echo "vantor-tally.exe /? prints the help of --help"
    passed=$((passed + 1))
else
    echo "DIFFERENT: vantor-tally.exe /? and --help" >&2
    failed=$((failed + 1))
fi
# In a console the names show as characters, --bytes or not, and so do the
# messages (written with WriteConsoleW; bytes would show in the console's
# code page: "CafΘ Latte"). Wine makes a terminal its console; script gives it one.
console() {  # TEXT ARGUMENTS...
    local text=$1 shown
    shift
    shown=$(SHELL=/bin/bash script -qec "wine $build/cli/vantor-tally.exe $(printf '%q ' "$@")" /dev/null 2>&1 || true)
    if grep -qF -- "$text" <<< "$shown"; then
        echo "a console shows \"$text\": vantor-tally $*"
        passed=$((passed + 1))
    else
        echo "NOT SHOWN in a console: \"$text\": vantor-tally $*" >&2
        cat -A <<< "$shown" >&2
        failed=$((failed + 1))
    fi
}
console "Café Latte" --player " élan" "$elan_folder"
console "Café Latte" --player " élan" --bytes "$elan_folder"
console "record of 'ÉLAN'" --player "ÉLAN" "$elan_folder"
# Threads that end: each reading thread of the scan frees its buffer as the
# scan ends, and a fault there showed in a few runs of hundreds. Many runs
# with 2 to 4 jobs over many logs must each exit 0 with the same bytes.
stress_folder="$build/tally-stress"
rm -rf "$stress_folder"
mkdir -p "$stress_folder"
awk -v dir="$stress_folder" 'BEGIN {
    split("Alia Tovren Mira", players, " "); split("[Pickup] [Sell] [Buy]", tags, " ")
    split("Red Potion|Blue Widget|Iron Ore|Feather|Gold Coin(Y)|Wolf Pelt", items, "|")
    seed = 1
    for (day = 1; day <= 120; day++) {
        file = sprintf("%s/ActionLog%04d.txt", dir, day)
        for (line = 1; line <= 300; line++) {
            seed = (seed * 69069 + 1) % 4294967296
            printf("t%d\t%s\tm\t%s\tc\t%s(%d)\r\n", line, players[int(seed / 65536) % 3 + 1],
                   tags[int(seed / 4096) % 3 + 1], items[int(seed / 256) % 6 + 1], int(seed / 16777216) % 9 + 1) > file
        }
        close(file)
    }
}'
runs=${STRESS_RUNS:-300}
wine "$build/cli/vantor-tally.exe" --jobs 1 --player Alia "$stress_folder" > "$out/stress-wanted"
stress_failed=0
stress_start=$SECONDS
for run in $(seq "$runs"); do
    jobs_now=$((2 + run % 3))
    status=0
    wine "$build/cli/vantor-tally.exe" --jobs "$jobs_now" --player Alia "$stress_folder" > "$out/stress" 2> "$out/stress-err" ||
        status=$?
    if [ "$status" -ne 0 ] || ! cmp -s "$out/stress-wanted" "$out/stress"; then
        echo "run $run (--jobs $jobs_now): exit status $status$(cmp -s "$out/stress-wanted" "$out/stress" || echo ', other bytes')" >&2
        head -n 3 "$out/stress-err" >&2
        stress_failed=$((stress_failed + 1))
    fi
done
echo "$runs runs of vantor-tally.exe with 2 to 4 jobs over 120 logs in $((SECONDS - stress_start)) s: $stress_failed failed"
if [ "$stress_failed" -eq 0 ] && [ -s "$out/stress-wanted" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
echo "vantor-tally.exe: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
