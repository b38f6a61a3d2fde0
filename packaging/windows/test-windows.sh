#!/bin/bash
# Tries the Windows build under Wine, in a fresh Wine prefix of its own:
#  1. quorvel-calc.exe --json on the sample races and the race-file corpus,
#     against the Linux quorvel-calc: the same output, byte for byte, and the
#     same exit status;
#  2. the installer, silently: the program folder, the Start-menu entry and
#     the entry in Windows' installed apps; the installed quorvel-calc.exe
#     recalculates the installed worked example as on Linux;
#  3. the installed quorvel.exe under a window manager, typed into with real
#     keys: the worked example cell by cell, Save As into a folder of the
#     race data folder (the saved race must hold the example's results and
#     be what the Linux quorvel-calc recalculates from its inputs, byte for
#     byte; the caption must name it as Windows does, "2003\RACE1.DAT"),
#     Print to the default printer (a CUPS queue of the check's own that
#     makes a PDF: one page, named by the caption, not blank), Program Help
#     (a viewer must show the manual), Exit;
#  4. the uninstaller, silently: it removes all of that and leaves a race the
#     crew saved in the program folder where it was.
# Screenshots of the window go to $QUORVEL_WINDOWS_SHOTS, if set.
#
# Usage: test-windows.sh <Windows build dir> <Linux quorvel-calc> <worked_example_keys>
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_root=$(cd "$here/../.." && pwd)
[ $# -eq 3 ] || { echo "usage: $0 <Windows build dir> <Linux quorvel-calc> <worked_example_keys>" >&2; exit 2; }
build_dir=$(realpath "$1")
linux_calc=$(realpath "$2")
worked_example_keys=$(realpath "$3")

# Printing goes to a CUPS scheduler of the check's own, which Wine's spooler
# finds as it finds the machine's. Without cupsd the print check is skipped.
if [ -z "${QUORVEL_WINDOWS_CUPS:-}" ]; then
    export QUORVEL_WINDOWS_CUPS=asked
    exec sh "$source_root/tests/app/with-cups.sh" "$0" "$@"
fi
# Wine wants a display even for console programs' first start.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$@"
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
# Wine links the Windows user's Documents to the Unix home's: a home of the
# test's own keeps the races saved here out of the developer's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME/Documents"
# Neither .NET nor Internet Explorer's engine: nothing here uses them, and
# Wine would otherwise offer to download them.
export WINEDLLOVERRIDES="mscoree=;mshtml="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT

# Wine takes the scheduler's default printer as Windows' default.
[ -z "${QUORVEL_SPOOLED_PAGE:-}" ] || lpadmin -d spool
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

# ---- The window, driven as a crew drives it.
shots=${QUORVEL_WINDOWS_SHOTS:-}
[ -z "$shots" ] || mkdir -p "$shots"
shot() { [ -z "$shots" ] || import -window root "$shots/$1.png" 2>/dev/null || true; }
xdo() { timeout 10 xdotool "$@" 2>/dev/null; }
# until_ok WHAT COMMAND...: polls for a minute (Wine starts slowly); false
# when it never came.
until_ok() {
    local _
    for _ in $(seq 600); do "${@:2}" && return 0; sleep 0.1; done
    fail "waited in vain for $1"
    shot "failure-$(echo "$1" | tr -c 'a-zA-Z0-9\n' -)"
    return 1
}
# focus_is TITLE: the keyboard is in a window with this title (a pattern).
focus_is() { [[ "$(xdo getwindowfocus getwindowname)" == $1 ]]; }
# Under Wine the keyboard does not come back to the main window by itself
# when a native dialog closes: it is given back as the crew's click would.
menu() {
    xdo search --name '^Quorvel ' windowactivate --sync
    until_ok "the main window" focus_is 'Quorvel *' && xdo key alt "$@"
}
answer() { until_ok "'$1'" focus_is "$1" && xdo key "${@:2}"; }
enter() { xdo type --delay 20 -- "$1" && xdo key Return; }

# Print, to the default printer: Qt's Windows printer draws through Wine's
# PostScript driver, and Wine's spooler hands the job to the CUPS queue,
# which makes a PDF of it. The job must be the window's one page, named by
# its caption, with the sheet drawn on it.
pdfinfo_to() { pdfinfo "$2" >"$1" 2>/dev/null; }
print_check() {
    if [ -z "${QUORVEL_SPOOLED_PAGE:-}" ]; then
        echo "  Print not checked: cupsd is missing; make test-windows installs it"
        return
    fi
    local page=$QUORVEL_SPOOLED_PAGE caption
    caption=$(xdo search --name '^Quorvel ' getwindowname)
    menu Return Down Down Down Down Return &&
        until_ok "'Printed Comment'" focus_is 'Printed Comment' && enter 'printed under Wine'
    until_ok "the printed page" pdfinfo_to "$work/pdfinfo" "$page" || return
    grep -q '^Pages: *1$' "$work/pdfinfo" || fail "the print job is not one page"
    grep -qxF "Title:           $caption" "$work/pdfinfo" ||
        fail "the print job is not named '$caption': $(grep Title "$work/pdfinfo")"
    pdftoppm -r 20 -gray -singlefile "$page" "$work/page"
    local mean
    mean=$(convert "$work/page.pgm" -format '%[fx:mean]' info:)
    awk -v mean="$mean" 'BEGIN { exit !(mean < 0.99) }' || fail "the printed page is blank"
    echo "  Print: one page to the default printer, $(sed -n 's/^Page size: *//p' "$work/pdfinfo")"
}

window_check() {
    "$worked_example_keys" >"$work/keys" || { fail "no worked example"; return; }
    # A window manager draws the captions and hands the keyboard on as on
    # the crew's desktop.
    openbox --sm-disable >/dev/null 2>&1 &
    local openbox=$! program_pid
    (cd "$program" && exec "$wine" "$program/quorvel.exe") >/dev/null 2>&1 &
    program_pid=$!
    if ! until_ok "the window" focus_is 'Quorvel*'; then
        kill "$openbox" 2>/dev/null
        return
    fi
    shot window-empty
    local what text
    while read -r what text; do
        [ "$what" = type ] && enter "$text"
    done <"$work/keys"
    shot window-worked-example

    # Save As into a folder of the race data folder, the dialog starting there.
    menu Return Down Down Down Return && until_ok "Save As" focus_is 'Save a File'
    local data=$user_folder/Documents/Quorvel/lqrfiles
    if [ ! -f "$data/worked-example.lqr" ]; then
        fail "the races are not in Documents\\Quorvel\\lqrfiles: $(cd "$user_folder" &&
            find . -name lqrfiles | tr '\n' ' ')"
        xdo key Escape
    else
        mkdir -p "$data/2003"
        shot save-dialog
        # The dialog offers the race's name: typed over, not into.
        xdo key End shift+Home && enter '2003\RACE1.DAT'
        local race=$data/2003/RACE1.DAT caption='Quorvel  [ 2003\RACE1.DAT ]'
        until_ok "the saved race" test -s "$race"
        sleep 1
        shot window-saved
        xdo search --name '^Quorvel ' getwindowname >"$work/caption"
        [ "$(cat "$work/caption")" = "$caption" ] ||
            fail "the caption after Save As reads '$(cat "$work/caption")', not '$caption'"
        # Cell N is line N + 4 of the race file.
        awk '/^check/ && NR == FNR { want[$2 + 4] = $3 }
             NR != FNR && FNR in want && $0 != want[FNR] "\r" {
                 print "FAIL: cell " FNR - 4 " saved as " $0 ", not " want[FNR]; bad = 1 }
             END { exit bad }' "$work/keys" "$race" || fail "the saved race lacks the results"
        "$linux_calc" --recalculated "$race" >"$work/recalculated" 2>/dev/null
        cmp -s "$work/recalculated" "$race" ||
            fail "the saved race is not what the Linux quorvel-calc makes of its inputs"
        echo "  the saved race, as the Linux quorvel-calc reads it:"
        "$linux_calc" "$race" | sed -n '1,40s/^/    /p'
    fi

    print_check
    # Program Help: after its box on how to come back, the first of the
    # viewers Windows has shows the manual.
    menu Right Right Return Return && answer Quorvel Return
    if until_ok "the manual's viewer" focus_is '*lqrbook2*'; then
        shot help-viewer
        xdo key alt+F4
    fi
    # Exit, not saving the inputs again.
    menu Return Up Return && answer 'Save Inputs' alt+n
    if ! timeout 60 tail --pid="$program_pid" -s 0.2 -f /dev/null; then
        fail "quorvel.exe did not end after Exit"
        # Else the uninstaller waits for it for ever.
        kill -9 "$program_pid" 2>/dev/null
    fi
    # The settings roam with the crew's account; the recovery copy stays on
    # this machine.
    [ -s "$user_folder/AppData/Roaming/Quorvel/KVCNFG.DNX" ] ||
        fail "Exit did not write the settings to %APPDATA%\\Quorvel"
    [ -d "$user_folder/AppData/Local/Quorvel" ] ||
        fail "no recovery folder in %LOCALAPPDATA%\\Quorvel"
    kill "$openbox" 2>/dev/null
}
user_folder=$WINEPREFIX/drive_c/users/$(id -un)
echo "The installed quorvel.exe: the worked example, Save As, Program Help, Exit"
window_check || true

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
