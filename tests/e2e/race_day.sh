#!/usr/bin/env bash
# A race day in the real program on an X server of its own, without a window
# manager, typed into with real keys: the worked example cell by cell, saved
# under a name with quotes through Qt's file dialog; after kill -9 the next
# start offers the race back, and Yes brings back exactly what the crew saw,
# comment, carried values, file and the cell being typed included, where No
# throws it away; Open, and Exit, which takes the copy away.
#   race_day.sh QUORVEL WORKED_EXAMPLE_KEYS OUTPUT_DIR   (screenshots go to OUTPUT_DIR)
set -u
QUORVEL=$1 KEYS=$2 OUT=$3 WORK=$(mktemp -d) PIDS=()
trap 'kill -9 "${PIDS[@]}" 2>/dev/null; rm -rf "$WORK"' EXIT
chmod 755 "$WORK" && mkdir -p "$OUT" && cp -R "$(dirname "$QUORVEL")" "$WORK/program"
RACE=$WORK/'my "best" race.lqr' CAPTION='Quorvel  [ MY "BEST" RACE.LQR ]' COPIES=$WORK/state/quorvel
shot() { import -window root "$OUT/race-day-$1.png" || true; }
fail() { shot failure; echo "FAIL: $*" >&2; exit 1; }
xdo() { timeout 10 xdotool "$@" 2>/dev/null; }
# until_ok WHAT COMMAND...: polls for a minute; a busy machine is slow, but never that slow.
until_ok() { for _ in $(seq 600); do "${@:2}" && return; sleep 0.1; done; fail "waited for $1"; }
# focus_is TITLE: the keyboard is in a window of the program that has this title (a pattern).
focus_is() { [[ "$(xdo getwindowfocus getwindowpid getwindowname)" == "$PID"$'\n'$1 ]]; }
caption_is() { [ "$(xdo getwindowname "$WIN")" = "$1" ]; }
# start: a program, once its splash has handed it the keyboard; its main window in $WIN.
start() {
    HOME="$WORK" XDG_STATE_HOME="$WORK/state" "$WORK/program/quorvel" &
    PID=$! && PIDS+=("$PID") && until_ok "the window" focus_is 'Quorvel*'
    WIN=$(xdo search --all --onlyvisible --pid "$PID" --name '^Quorvel ')
}
enter() { xdo type -- "$1" && xdo key Return; }
# The menu bar by keyboard, once the main window has it: Alt, then the keys;
# the File menu opens on its first item.
menu() { until_ok "the main window" focus_is 'Quorvel *' && xdo key alt "$@"; }
# answer TITLE KEYS...: the keys go to that box or dialog once it has the keyboard.
answer() { until_ok "'$1'" focus_is "$1" && xdo key "${@:2}"; }
file_dialog() { until_ok "'$1'" focus_is "$1" && enter "$RACE" && until_ok "the caption" caption_is "$CAPTION"; }

# -noreset: a server that resets when its last client goes refuses a program
# that connects meanwhile, and between two programs xdotool comes and goes.
Xvfb -displayfd 3 -noreset -dpi 96 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
PIDS+=($!) && until_ok Xvfb grep -q . "$WORK/display"
export DISPLAY=:$(cat "$WORK/display") QT_QPA_PLATFORM=xcb
"$KEYS" >"$WORK/keys" || fail "no worked example"
# Carried values the later runs do not read: UnitSystem 1, reserved 2 3 4, GasketInput 1.
printf ' 1 \r\n 2 \r\n 3 \r\n 4 \r\n 1 \r\n' >"$WORK/program/KVCNFG.DNX"
start
# The side fields one by one, the grid in one burst at xdotool's fastest while
# busy loops load the machine: keys typed ahead land where typed slowly.
head -n 9 "$WORK/keys" | while read -r what text; do [ "$what" = type ] && enter "$text"; done
BUSY=() && for _ in 1 2 3; do (while :; do :; done) & BUSY+=($!); done
xdo key --delay 1 $(tail -n +10 "$WORK/keys" | awk '$1 == "type" { gsub(/./, "& ", $2)
    gsub(/\./, "period", $2); gsub(/-/, "minus", $2); print $2 "Return" }')
kill "${BUSY[@]}"
menu Return Down Down Down Return && file_dialog 'Save a File'
# Cell N is line N + 4 of the race file.
awk '/^check/ && NR == FNR { want[$2 + 4] = $3 } NR != FNR && FNR in want && $0 != want[FNR] "\r" {
    print "FAIL: cell " FNR - 4 " saved as " $0 ", not " want[FNR]; bad = 1 } END { exit bad }' \
    "$WORK/keys" "$RACE" || fail "results"
# The copy holds the race file; after Exit answered Cancel the program runs
# on, and so does its copy, which takes in a comment while it is being typed.
until_ok "the copy" grep -qsF "$RACE" "$COPIES/race-1.lqr"
menu Return Up Return && answer 'Save Inputs' Escape && menu Right Return && answer Comments w e t
until_ok "the copy" grep -qsx $'wet\r' "$COPIES/race-1.lqr"
cp "$COPIES/race-1.lqr" "$WORK/left" && rm "$WORK/program/KVCNFG.DNX"
kill -9 "$PID" && start && until_ok "the offer" focus_is Quorvel && shot offer && xdo key Return
until_ok "the restored race" caption_is "$CAPTION" && until_ok "the old copy gone" test ! -e "$COPIES/race-1.lqr"
shot restored && cmp "$WORK/left" "$COPIES/race-2.lqr" || fail "the restored race differs"
# A cell still being typed when the program dies comes back too.
xdo type 777 && until_ok "the cell being typed in the copy" grep -qs '^777' "$COPIES/race-2.lqr"
kill -9 "$PID" && start && answer Quorvel Return && until_ok "the restored race" caption_is "$CAPTION"
until_ok "the typed cell restored" grep -qs '^777' "$COPIES"/race-1.lqr
kill -9 "$PID" && start && answer Quorvel alt+n && until_ok "the copy thrown away" test ! -e "$COPIES/race-1.lqr"
caption_is 'Quorvel - Dunmere   [ UNTITLED ]' || fail "a race refused was restored"
menu Return Down Return && file_dialog 'Open a File' && menu Return Up Return && answer 'Save Inputs' alt+n
timeout 60 tail --pid="$PID" -s 0.1 -f /dev/null && wait "$PID" || fail "no clean end ($?)"
[ -z "$(ls -A "$COPIES")" ] || fail "copies left after a clean Exit: $(ls -A "$COPIES")"

echo PASS
