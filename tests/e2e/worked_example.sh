#!/usr/bin/env bash
# The worked example as a crew types it, on the X server xvfb-run gives it,
# without a window manager: the real program and its splash, key presses into
# the cells, the File menu opened at the window's own top left and driven by
# the arrow keys, Qt's file dialogs and the Exit question.
#   worked_example.sh QUORVEL WORKED_EXAMPLE_KEYS OUTPUT_DIR
set -u -o pipefail
quorvel=$1 keys=$2 out=$3 work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; import -window root "$out/e2e-failure.png"; exit 1; }
# The window of that name, once it shows (ten seconds at most).
window() { timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }
start() {
    "$work/program/quorvel" & app=$!
    main=$(window 'Quorvel - Dunmere   \[ UNTITLED \]') || fail "no main window"
    sleep 4 # the splash; then the main window takes the keyboard
    for _ in $(seq 50); do [ "$(xdotool getwindowfocus)" = "$main" ] && break || sleep 0.1; done
}
# File: the menu bar's first title, at the window's top left; KEY... choose the item.
file_menu() { eval "$(xdotool getwindowgeometry --shell "$main")" && xdotool mousemove $((X + 10)) $((Y + 10)) click 1 sleep 0.5 key "$@" Return; }
file_dialog() { # TITLE: the race file's path typed into Qt's file dialog
    window "$1" >/dev/null || fail "no '$1' dialog"
    xdotool sleep 0.3 type "$work/typed.lqr"
    xdotool key Return
    window 'Quorvel  \[ TYPED.LQR \]' >/dev/null || fail "no caption naming the race file"
}
exit_answering_no() {
    file_menu Up
    window "Save Inputs" >/dev/null || fail "no Exit question"
    xdotool sleep 0.3 key alt+n
    timeout 10 tail --pid="$app" -s 0.1 -f /dev/null && wait "$app" || fail "no clean end ($?)"
}

cp -R "$(dirname "$quorvel")" "$work/program" && rm -f "$work/program/KVCNFG.DNX"
"$keys" >"$work/keys" || fail "no worked example"
export QT_QPA_PLATFORM=xcb HOME=$work
start
while read -r what text; do
    [ "$what" = type ] && xdotool type --delay 20 -- "$text" && xdotool key Return
done <"$work/keys"
file_menu Down Down Down Down # Save As
file_dialog "Save a File"
# Cell N is line N + 4 of the race file.
awk '/^check/ && NR == FNR { want[$2 + 4] = $3 } NR != FNR && FNR in want && $0 != want[FNR] "\r" {
    print "FAIL: cell " FNR - 4 " saved as " $0 ", not " want[FNR]; bad = 1 } END { exit bad }' \
    "$work/keys" "$work/typed.lqr" || fail "results"
exit_answering_no
start
file_menu Down Down # Open
file_dialog "Open a File"
exit_answering_no
echo PASS
