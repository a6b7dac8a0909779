#!/usr/bin/env bash
# Makes the packages (scripts/package.sh) and checks them as a player gets
# them:
#
#   - one version: the one in CMakeLists.txt is in each package's name, the
#     .deb's and the .msi's version, each .exe's version resource (exactly
#     one, with product name and description) and `vantor-tally --version`;
#   - the .msi, installed silently under Wine into a new prefix: the same
#     files as the .zip, its texts with CR LF line ends, an entry under Apps
#     with the window's icon, the Start-menu entry and the window's caption;
#     the installed vantor-tally.exe prints the same bytes as the Linux
#     build; uninstalled silently, nothing of it is left;
#   - the .zip, unpacked: its texts (README.txt, LICENSE.txt, licenses\)
#     with CR LF line ends, the window's icon sizes; its vantor-tally.exe
#     prints the same bytes, and its window shows its caption;
#   - the .deb, unpacked with dpkg -x into a scratch root: its files (the
#     icon at every size of the menu's theme, and as SVG), its vantor-tally,
#     its manual page against --help, and lintian (no errors, no warnings).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/package.sh
bash scripts/setup.sh wine wine64 lintian msitools icoutils unzip man-db

version=$(sed -n 's/^project(VantorLogAnalyzer VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt's project()" >&2; exit 1; }
deb="build/packages/vantor-log-analyzer_${version}_amd64.deb"
zip="build/packages/vantor-log-analyzer-${version}-windows-x64.zip"
msi="build/packages/vantor-log-analyzer-${version}-windows-x64.msi"
work=build/packages-test
rm -rf "$work"
mkdir -p "$work"

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: one line per check, counted
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what" >&2
        failed=$((failed + 1))
    fi
}
same() { [ "$1" = "$2" ] || { echo "  expected '$2', got '$1'" >&2; return 1; }; }
# The .txt files under a folder with a line end other than CR LF, or no line
# end at the end: Notepad before Windows 10 1809 runs such lines together.
not_crlf() {
    find "$1" -name '*.txt' -print0 | sort -z |
        xargs -0 -r perl -0777 -ne 'print "$ARGV\n" if !/\r\n\z/ || /(?<!\r)\n/ || /\r(?!\n)/' |
        paste -sd ' ' || echo "($1 unreadable)"
}

# The version resource of a .exe, one KEY=VALUE line each: the strings Explorer
# shows, FixedFileVersion from the binary part, and how many there are.
version_resource() {
    echo "Resources=$(wrestool -l --type=version "$1" | wc -l)"
    wrestool -x --raw --type=version "$1" > "$work/version.bin"
    # The strings are UTF-16: each key is followed by its value.
    strings -el -n 1 "$work/version.bin" | awk '
        prev ~ /^(CompanyName|FileDescription|FileVersion|InternalName|LegalCopyright|OriginalFilename|ProductName|ProductVersion)$/ {
            print prev "=" $0
        }
        { prev = $0 }'
    perl -0777 -ne '
        my $at = index($_, pack("V", 0xFEEF04BD));
        die "no VS_FIXEDFILEINFO\n" if $at < 0;
        my ($ms, $ls) = unpack("V2", substr($_, $at + 8, 8));
        printf "FixedFileVersion=%d.%d.%d.%d\n", $ms >> 16, $ms & 0xFFFF, $ls >> 16, $ls & 0xFFFF;' "$work/version.bin"
}
check_version_resource() {  # FILE.exe
    local info name
    info=$(version_resource "$1" 2>&1 || true)
    name=$(basename "$1")
    value() { sed -n "s/^$1=//p" <<< "$info"; }
    check "$name has one version resource" same "$(value Resources)" 1
    check "$name: ProductVersion and FileVersion $version" same "$(value ProductVersion) $(value FileVersion)" "$version $version"
    check "$name: binary file version $version.0" same "$(value FixedFileVersion)" "$version.0"
    check "$name: product name" same "$(value ProductName)" "Vantor Log Analyzer"
    check "$name: original file name" same "$(value OriginalFilename)" "$name"
    check "$name: a description" test -n "$(value FileDescription)"
}

echo "== one version: $version"
for file in "$deb" "$zip" "$msi"; do
    check "$(basename "$file") exists" test -f "$file"
done
[ "$failed" -eq 0 ] || { echo "packages missing; $passed passed, $failed failed"; exit 1; }
check ".deb Version" same "$(dpkg-deb -f "$deb" Version)" "$version"
# (grep -q at the end of a pipe could stop the writer with SIGPIPE, which
# pipefail counts as a failure: the output is taken whole first.)
check ".msi shows the window's icon under Apps" eval 'grep -q "^ARPPRODUCTICON" <<< "$(msiinfo export "$msi" Property)"'
check ".msi ProductVersion" same "$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')" "$version"

echo "== the .deb, unpacked into a scratch root"
root="$work/deb-root"
dpkg -x "$deb" "$root"
icons=(usr/share/icons/hicolor/scalable/apps/vantor-log-analyzer.svg)
for size in 16 24 32 48 64 128 256; do
    icons+=("usr/share/icons/hicolor/${size}x${size}/apps/vantor-log-analyzer.png")
done
for file in usr/bin/vantor-tally usr/bin/vantor-log-analyzer usr/share/applications/vantor-log-analyzer.desktop \
            "${icons[@]}" usr/share/man/man1/vantor-tally.1.gz usr/share/doc/vantor-log-analyzer/copyright; do
    check "the .deb has /$file" test -f "$root/$file"
done
check ".deb's menu entry starts a program of the package" \
    test -x "$root/usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$root/usr/share/applications/vantor-log-analyzer.desktop")"
linux_tally="$root/usr/bin/vantor-tally"
check ".deb's vantor-tally --version" same "$("$linux_tally" --version)" "vantor-tally $version"
# Each option of --help has an entry of its own under OPTIONS in the manual page.
entries=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/vantor-tally.1.gz" 2>&1 | col -b |
          awk '/^[A-Z]/ { section = $0 } section == "OPTIONS" && /^ +-/')
missing=""
for option in $("$linux_tally" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qE -- "(^| )$option( |,|$)" <<< "$entries" || missing+=" $option"
done
check "the manual page has every option of --help${missing:+ (missing:$missing)}" test -z "$missing"
lintian --allow-root --fail-on error,warning "$deb" > "$work/lintian.txt" 2>&1 && lintian_status=0 || lintian_status=$?
cat "$work/lintian.txt"
check "lintian: no errors or warnings" test "$lintian_status" -eq 0

echo "== the .zip, unpacked"
unzip -q "$zip" -d "$work/zip"
zip_dir="$work/zip/vantor-log-analyzer-${version}-windows-x64"
for file in vantor-log-analyzer.exe vantor-tally.exe README.txt LICENSE.txt licenses/gcc-runtime-libraries.txt licenses/mingw-w64-runtime.txt \
            licenses/libcsv.txt licenses/libcsv-source/libcsv.c licenses/libcsv-source/csv.h licenses/CLI11.txt \
            licenses/nlohmann-json.txt; do
    check "the .zip has $file" test -f "$zip_dir/$file"
done
bad=$(not_crlf "$zip_dir")
check "the .zip's texts end every line with CR LF${bad:+ (not: $bad)}" test -z "$bad"
for exe in "$zip_dir"/*.exe; do
    check_version_resource "$exe"
done
# Explorer and the taskbar take the size they need from the window's icon.
wrestool -x --type=group_icon "$zip_dir/vantor-log-analyzer.exe" > "$work/window.ico" || true
icon_sizes=$(icotool -l "$work/window.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
check "vantor-log-analyzer.exe's icon has 16, 24, 32, 48 and 256 pixel images" same "$icon_sizes" "16 24 32 48 256 "

# Wine in a prefix of its own, made now: nothing installed before.
export WINEPREFIX="$PWD/$work/wine-prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export LC_ALL=C.UTF-8
trap 'wineserver -k 2>/dev/null || true' EXIT
wine wineboot --init > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log" >&2; exit 1; }
wineserver -w
profile="$WINEPREFIX/drive_c/users/$(id -un)"
installed="$profile/AppData/Local/Programs/Vantor Log Analyzer"
shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vantor Log Analyzer.lnk"

# Each run of vantor-tally.exe against the .deb's vantor-tally: output bytes
# and status; tsv lines end in CR LF on Windows.
compare_runs() {  # LABEL EXE
    local run kind args linux_status windows_status
    for run in "tsv --player Alia examples/logs" "exact --player Alia --format csv examples/logs" \
               "exact --player Alia --format json examples/logs" "tsv --player Alia --action sell examples/logs" \
               "exact --version" "exact examples/missing"; do
        kind=${run%% *} args=${run#* }
        linux_status=0 windows_status=0
        # shellcheck disable=SC2086  # the arguments are split on purpose
        "$linux_tally" $args > "$work/linux.out" 2> /dev/null || linux_status=$?
        if [ "$kind" = tsv ]; then sed -i 's/$/\r/' "$work/linux.out"; fi
        # shellcheck disable=SC2086
        wine "$2" $args > "$work/windows.out" 2> /dev/null || windows_status=$?
        check "$1 vantor-tally.exe $args: same bytes as Linux ($kind, $(wc -c < "$work/linux.out") bytes, status $linux_status)" \
            eval '[ "$linux_status" -eq "$windows_status" ] && cmp "$work/linux.out" "$work/windows.out"'
    done
}

# The window, started from a folder: its caption must appear (under Xvfb).
check_window() {  # LABEL EXE
    local display="" xvfb app found=""
    bash scripts/setup.sh xvfb xdotool
    # A free display, whichever other X servers run here.
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3> "$work/display" > /dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 300); do
        display=$(cat "$work/display") && [ -n "$display" ] && break
        sleep 0.1
    done
    [ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    # A Wine session started without a display (by the checks before) would
    # keep its desktop without one, and the window would join it: start anew.
    wineserver -k 2>/dev/null || true
    wineserver -w
    local started=$SECONDS
    DISPLAY=":$display" wine "$2" > "$work/window.log" 2>&1 &
    app=$!
    # Wine's first window in a new prefix can take a while on a busy machine.
    for _ in $(seq 300); do
        found=$(DISPLAY=":$display" xdotool search --name '^Vantor Log Analyzer$' 2>/dev/null | head -n 1) &&
            [ -n "$found" ] && break
        sleep 0.2
    done
    check "$1 window shows the caption 'Vantor Log Analyzer' (display :$display, after $((SECONDS - started)) s)" \
        test -n "$found"
    wineserver -k 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
}

echo "== the .msi, installed silently under Wine"
programs_existed=false
[ -e "$(dirname "$installed")" ] && programs_existed=true
wine msiexec /i "$msi" /qn > "$work/msiexec.log" 2>&1 && status=0 || status=$?
check "msiexec /i /qn" test "$status" -eq 0
check "installed the files of the .zip, nothing else" diff -r "$zip_dir" "$installed"
bad=$(not_crlf "$installed")
check "installed texts end every line with CR LF${bad:+ (not: $bad)}" test -z "$bad"
apps() { wine uninstaller --list 2>/dev/null | tr -d '\r'; }
check "listed under Apps" eval 'grep -q "|||Vantor Log Analyzer$" <<< "$(apps)"'
for exe in "$installed"/*.exe; do
    check_version_resource "$exe"
done
compare_runs installed "$installed/vantor-tally.exe"
check "Start-menu entry" test -f "$shortcut"
check_window installed "$installed/vantor-log-analyzer.exe"
wine msiexec /x "$msi" /qn > "$work/msiexec.log" 2>&1 && status=0 || status=$?
check "msiexec /x /qn" test "$status" -eq 0
check "uninstalled: no folder left" test ! -e "$installed"
$programs_existed || check "uninstalled: no %LOCALAPPDATA%\\Programs left (it made it)" test ! -e "$(dirname "$installed")"
check "uninstalled: no Start-menu entry" test ! -e "$shortcut"
check "uninstalled: no registry key" eval '! wine reg query "HKCU\\Software\\Vantor Log Analyzer" > /dev/null 2>&1'
check "uninstalled: not under Apps" eval '! grep -q "Vantor Log Analyzer" <<< "$(apps)"'

echo "== the .zip's programs under Wine"
compare_runs zip "$zip_dir/vantor-tally.exe"
check_window zip "$zip_dir/vantor-log-analyzer.exe"

echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
