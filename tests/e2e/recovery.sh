#!/usr/bin/env bash
# The recovery copy in the real program on a real X server, typed into with
# real keys: a second program running beside the first never offers its copy;
# after kill -9 the next start offers the race in the real box and Yes brings
# it back, carried values and all; with a state folder it cannot write, the
# program runs on without a word.
#   recovery.sh QUORVEL OUTPUT_DIR      (screenshots go to OUTPUT_DIR)
set -u
QUORVEL=$1 OUT=$2 WORK=$(mktemp -d) PIDS=()
trap 'kill -9 "${PIDS[@]}" 2>/dev/null; rm -rf "$WORK"' EXIT
chmod 755 "$WORK" && mkdir -p "$OUT" && cp -R "$(dirname "$QUORVEL")" "$WORK/program"
shot() { import -window root "$OUT/recovery-$1.png" || true; }
fail() { shot failure; echo "FAIL: $*" >&2; exit 1; }
xdo() { timeout 10 xdotool "$@" 2>/dev/null; }
# until_ok WHAT COMMAND...: polls for 15 s.
until_ok() { for _ in $(seq 150); do "${@:2}" && return; sleep 0.1; done; fail "waited for $1"; }
window() { xdo search --all --onlyvisible --pid "$PID" --name "^$1" | grep .; }
# start [AS_USER...]: the program, its splash gone; its main window in $WIN.
start() {
    "$@" env HOME="$WORK" XDG_STATE_HOME="${STATE_HOME:-$WORK/state}" "$WORK/program/quorvel" &
    PID=$! && PIDS+=("$PID") && until_ok "a window" window Quorvel >/dev/null
    WIN=$(window Quorvel) && sleep 4
}
type_cell() { xdo windowfocus --sync "$WIN" && xdo type "$1" && xdo key Return; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
PIDS+=($!) && until_ok Xvfb grep -q . "$WORK/display"
export DISPLAY=:$(cat "$WORK/display") QT_QPA_PLATFORM=xcb
# Carried values the later runs do not read: UnitSystem 1, reserved 2 3 4, GasketInput 1.
printf ' 1 \r\n 2 \r\n 3 \r\n 4 \r\n 1 \r\n' >"$WORK/program/KVCNFG.DNX"
start && FIRST=$PID && type_cell 22 && type_cell 0.72
until_ok "the copy" grep -qsx $'0.72\r' "$WORK/state/quorvel/race-1.lqr"
cp "$WORK/state/quorvel/race-1.lqr" "$WORK/left" && rm "$WORK/program/KVCNFG.DNX"
start && sleep 1 && ! window 'Quorvel$' || fail "the copy of a running program was offered"
kill -9 "$FIRST" "$PID" && start && until_ok "the offer" window 'Quorvel$' >/dev/null
shot offer && xdo key Return
until_ok "the caption" eval '[ "$(xdo getwindowname "$WIN")" = "Quorvel  [ UNTITLED ]" ]'
shot restored && cmp "$WORK/left" "$WORK/state/quorvel/race-2.lqr" || fail "the restored race differs"

# Unwritable for a crew, who is no root.
AS=() && [ "$(id -u)" != 0 ] || AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
mkdir -p -m 555 "$WORK/locked/quorvel"
STATE_HOME=$WORK/locked start "${AS[@]}" && type_cell 22 && sleep 1.5 && type_cell 0.72 && sleep 1.5
[ "$(window . | wc -l)" = 1 ] || fail "a box came up over a copy it could not write"
