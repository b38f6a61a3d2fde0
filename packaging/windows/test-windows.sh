#!/bin/bash
# Tries the Windows build under Wine, in a fresh Wine prefix of its own:
#  1. quorvel-calc.exe --json on the sample races and the race-file corpus,
#     against the Linux quorvel-calc: the same output, byte for byte, and the
#     same exit status;
#  2. the installer, silently: the program folder, the Start-menu entry and
#     the entry in Windows' installed apps; the installed quorvel-calc.exe
#     recalculates the installed worked example as on Linux;
#  3. the uninstaller, silently: it removes all of that and leaves a race the
#     crew saved in the program folder where it was.
#
# Usage: test-windows.sh <Windows build dir> <Linux quorvel-calc>
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_root=$(cd "$here/../.." && pwd)
[ $# -eq 2 ] || { echo "usage: $0 <Windows build dir> <Linux quorvel-calc>" >&2; exit 2; }
build_dir=$(realpath "$1")
linux_calc=$(realpath "$2")

# Wine wants a display even for console programs' first start.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a "$0" "$@"
fi

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# Neither .NET nor Internet Explorer's engine: nothing here uses them, and
# Wine would otherwise offer to download them.
export WINEDLLOVERRIDES="mscoree=;mshtml="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT

echo "Starting a fresh Wine prefix"
"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w

# Runs the Linux quorvel-calc and a Windows one on a race file, each from
# the file's folder: the same output and exit status?
same_as_linux() {
    local file=$1 windows_calc=$2 linux_status windows_status
    linux_status=$(cd "$(dirname "$file")" && { "$linux_calc" --json "$(basename "$file")" \
        >"$work/linux.out" 2>/dev/null && echo 0 || echo $?; })
    windows_status=$(cd "$(dirname "$file")" && { "$wine" "$windows_calc" --json "$(basename "$file")" \
        >"$work/windows.out" 2>/dev/null && echo 0 || echo $?; })
    [ "$linux_status" = "$windows_status" ] && cmp -s "$work/linux.out" "$work/windows.out"
}

stage_calc=$build_dir/stage/quorvel-calc.exe
[ -f "$stage_calc" ] || { echo "No $stage_calc: build it with make windows first." >&2; exit 1; }
races=("$source_root"/data/lqrfiles/*.lqr "$source_root"/fuzz/corpus/racefile/*)
# A Wine server that outlives each run spares every run Wine's start.
"$wineserver" -p
echo "quorvel-calc.exe --json against the Linux quorvel-calc on ${#races[@]} race files"
identical=0
for race in "${races[@]}"; do
    if same_as_linux "$race" "$stage_calc"; then
        identical=$((identical + 1))
    else
        fail "quorvel-calc.exe --json $race differs from Linux"
    fi
done
echo "  $identical of ${#races[@]} byte-identical, with the same exit status"
# From here a server that ends with its last program, so that waiting for it
# waits for the uninstaller's copy of itself as well.
"$wineserver" -k || true
"$wineserver" -w

installers=("$build_dir"/quorvel-*-setup.exe)
installer=${installers[0]}
[ -f "$installer" ] || { echo "No installer in $build_dir: make windows makes it." >&2; exit 1; }
echo "Installing $(basename "$installer") silently"
"$wine" "$installer" /S || fail "the installer ended with status $?"
"$wineserver" -w

program=$WINEPREFIX/drive_c/Program\ Files/Quorvel
start_menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Quorvel.lnk
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel'
for file in quorvel.exe quorvel-calc.exe uninstall.exe LICENSE.txt Qt6Core.dll Qt6Gui.dll \
    Qt6Widgets.dll Qt6PrintSupport.dll platforms/qwindows.dll lqrfiles/worked-example.lqr \
    help/lqrbook2.txt kvtext; do
    [ -e "$program/$file" ] || fail "the installer left out $file"
done
compgen -G "$program/styles/*.dll" >/dev/null || fail "the installer left out the styles"
[ -f "$start_menu" ] || fail "no Start-menu entry"
"$wine" reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 ||
    fail "not listed in Windows' installed apps"
same_as_linux "$program/lqrfiles/worked-example.lqr" "$program/quorvel-calc.exe" ||
    fail "the installed quorvel-calc.exe recalculates the worked example differently"

echo "Uninstalling silently"
echo "a crew's own race" >"$program/lqrfiles/own race.lqr"
"$wine" "$program/uninstall.exe" /S || fail "the uninstaller ended with status $?"
"$wineserver" -w
left=""
if [ -d "$program" ]; then
    left=$(cd "$program" && find . -type f)
fi
[ "$left" = "./lqrfiles/own race.lqr" ] || fail "the uninstaller left or took the wrong files: ${left:-none}"
[ ! -e "$start_menu" ] || fail "the Start-menu entry stayed"
! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "still listed in Windows' installed apps"

if [ "$failures" -gt 0 ]; then
    echo "$failures Windows checks failed"
    exit 1
fi
echo "All Windows checks passed"
