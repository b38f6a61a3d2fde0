#!/usr/bin/env bash
# The real program as a native Wayland client, as a Wayland desktop (KDE
# Plasma 6, say) runs it, under a headless sway: the splash, keys typed while
# it is up, the worked example typed in one burst, the return from Comments
# and from About (whose activation steps put the caption back and raise the
# range message again), the range message box answered by keys, printing with
# a comment line, and the recovery offer after kill -9. Wayland lets no window
# place itself and hands the keyboard to each new window; the compositor
# centres them.
#   wayland.sh QUORVEL WORKED_EXAMPLE_KEYS OUTPUT_DIR   (screenshots go to OUTPUT_DIR)
# sway refuses to run as root: as root the script runs itself again as an
# unprivileged user, on copies that user can read.
set -u
QUORVEL=$1 KEYS=$2 OUT=$3
if [ "$(id -u)" = 0 ]; then
    WORK=$(mktemp -d) && trap 'rm -rf "$WORK"' EXIT
    cp -R "$(dirname "$QUORVEL")" "$WORK/program" && cp "$0" "$KEYS" "$WORK/"
    mkdir "$WORK/pages" && chown -R 65534:65534 "$WORK" && mkdir -p "$OUT"
    # The test's own print scheduler is on a socket in a folder only root may
    # enter, and the pages it writes are root's: each finished page is handed
    # on to the crew.
    if [ -n "${CUPS_SERVER:-}" ]; then
        chmod o+x "$(dirname "$CUPS_SERVER")" && lpadmin -d spool && export QUORVEL_PAGES=$WORK/pages
        (n=0 && while sleep 0.2; do
            [ -s "$QUORVEL_SPOOLED_PAGE" ] && [ -z "$(lpstat -o)" ] || continue
            n=$((n + 1)) && mv "$QUORVEL_SPOOLED_PAGE" "$QUORVEL_PAGES/$n.pdf" && chmod 644 "$QUORVEL_PAGES/$n.pdf"
        done) &
        trap 'kill $!; rm -rf "$WORK"' EXIT
    fi
    setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all \
        bash "$WORK/wayland.sh" "$WORK/program/quorvel" "$WORK/$(basename "$KEYS")" "$WORK/shots"
    status=$?
    cp "$WORK"/shots/*.png "$OUT/" 2>/dev/null
    exit $status
fi

# A folder name without capitals: wtype's keys type them in small letters.
WORK=${TMPDIR:-/tmp}/quorvel-wayland-$$-$RANDOM PIDS=() SWAY=
mkdir -m 700 "$WORK" || exit 1
# The programs go before the compositor, which they would otherwise miss aloud.
trap 'kill -9 "${PIDS[@]}" 2>/dev/null; sleep 0.2; kill "$SWAY" 2>/dev/null; rm -rf "$WORK"' EXIT
mkdir -p "$OUT" "$WORK/run" && chmod 700 "$WORK/run"
RACE=$WORK/wet.lqr
export HOME=$WORK XDG_RUNTIME_DIR=$WORK/run XDG_STATE_HOME=$WORK/state XDG_CONFIG_HOME=$WORK/config \
    XDG_DATA_HOME=$WORK/data XDG_CACHE_HOME=$WORK/cache QT_QPA_PLATFORM=wayland
COPIES=$XDG_STATE_HOME/quorvel
shot() { grim "$OUT/wayland-$1.png" || true; }
fail() { shot failure; echo "FAIL: $*" >&2; tail -n 5 "$WORK/sway.log" >&2; exit 1; }
until_ok() { for _ in $(seq 600); do "${@:2}" && return; sleep 0.1; done; fail "waited for $1"; }
# The program's windows as sway has them: "focused name" a line, the window
# with the keyboard first.
windows() {
    swaymsg -t get_tree | jq -r --argjson pid "$PID" '[.. | objects | select(.pid? == $pid)]
        | sort_by(.focused | not) | .[] | "\(.focused) \(.name)"'
}
focus_is() { [[ "$(windows | head -n 1)" == "true "$1 ]]; }
# keys KEY...: one wtype call, so that the keyboard stays in the window
# between the keys (each call is a keyboard that comes and goes); wtype drops
# the first key while its keymap loads, so a Shift goes first.
# "alt+n" is n with Alt held.
keys() {
    local args=(-d 5 -k Shift_L) key
    for key in "$@"; do
        case $key in alt+*) args+=(-M alt -k "${key#alt+}" -m alt) ;; *) args+=(-k "$key") ;; esac
    done
    wtype "${args[@]}"
}
spelt() { sed 's/./& /g; s/\./period/g; s/-/minus/g; s/\//slash/g' <<<"$1"; }
enter() { keys $(spelt "$1") Return; }
# The menu bar by keyboard: Alt, then the keys, in one go.
menu() { until_ok "the main window" focus_is 'Quorvel*' && keys Alt_L "$@"; }
answer() { until_ok "'$1'" focus_is "$1" && keys "${@:2}"; }
# start: a program, its splash up (the splash is the first window "Quorvel").
start() {
    "$QUORVEL" &
    PID=$! && PIDS+=("$PID") && disown && until_ok "the splash" focus_is Quorvel
    SPLASH=$(swaymsg -t get_tree | jq --argjson pid "$PID" '.. | objects | select(.pid? == $pid and .name == "Quorvel") | .id')
}
splash_gone() { ! swaymsg -t get_tree | jq -e --argjson id "$SPLASH" '.. | objects | select(.id? == $id)' >/dev/null; }

printf '%s\n' 'output HEADLESS-1 resolution 1280x1024' 'default_border none' >"$WORK/sway.conf"
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$WORK/sway.conf" >"$WORK/sway.log" 2>&1 &
SWAY=$! && disown && until_ok sway test -S "$XDG_RUNTIME_DIR/wayland-1"
export WAYLAND_DISPLAY=wayland-1 && until_ok "sway's socket" compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*" >/dev/null
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*") && export SWAYSOCK

"$KEYS" >"$WORK/keys" || fail "no worked example"

# The splash comes over the main window and takes the keyboard; what the
# crew types meanwhile lands in the sheet all the same.
start && shot splash
mapfile -t TYPED < <(awk '$1 == "type" { print $2 }' "$WORK/keys")
enter "${TYPED[0]}"
until_ok "the main window after the splash" focus_is 'Quorvel - Dunmere   \[ UNTITLED \]'
# The rest of the worked example in one burst.
burst=() && for text in "${TYPED[@]:1}"; do burst+=($(spelt "$text") Return); done
keys "${burst[@]}"
menu Return Down Down Down Return && answer 'Save a File' $(spelt "$RACE") Return
until_ok "the saved race" focus_is 'Quorvel  \[ WET.LQR \]'
awk '/^check/ && NR == FNR { want[$2 + 4] = $3 } NR != FNR && FNR in want && $0 != want[FNR] "\r" {
    print "FAIL: cell " FNR - 4 " saved as " $0 ", not " want[FNR]; bad = 1 } END { exit bad }' \
    "$WORK/keys" "$RACE" || fail "results"
shot worked-example

# Back from Comments, closed by the compositor as by its own close button:
# the activation steps put the caption back.
menu Right Return && answer Comments w e t && until_ok "the comment in the copy" grep -qsx $'wet\r' "$COPIES/race-1.lqr"
swaymsg -q '[title="^Comments"] kill'
until_ok "the caption back after Comments" focus_is 'Quorvel - Dunmere   \[ WET.LQR \]'

# Printing: the comment line is on the page, and the window is as before.
if [ -n "${CUPS_SERVER:-}" ]; then
    menu Return Down Down Down Down Return && answer 'Printed Comment' Return
    until_ok "a page without a comment" test -s "$QUORVEL_PAGES/1.pdf"
    pdftoppm -r 50 -png -singlefile "$QUORVEL_PAGES/1.pdf" "$WORK/plain" || fail "no page"
    shot before-printing
    menu Return Down Down Down Down Return && answer 'Printed Comment' BackSpace $(spelt wet) Return
    until_ok "a page with a comment" test -s "$QUORVEL_PAGES/2.pdf"
    pdftoppm -r 50 -png -singlefile "$QUORVEL_PAGES/2.pdf" "$OUT/wayland-printed" || fail "no page"
    until_ok "the main window after printing" focus_is 'Quorvel - Dunmere*'
    shot after-printing
    [ "$(compare -metric AE "$WORK/plain.png" "$OUT/wayland-printed.png" null: 2>&1)" != 0 ] ||
        fail "the comment line is not on the page"
    [ "$(compare -metric AE "$OUT/wayland-before-printing.png" "$OUT/wayland-after-printing.png" null: 2>&1)" = 0 ] ||
        fail "the window differs after printing"
fi

# After kill -9 the next start offers the race back; Yes brings it back,
# caption and all.
cp "$COPIES/race-1.lqr" "$WORK/left" && kill -9 "$PID"
start && until_ok "the splash gone" splash_gone && until_ok "the offer" focus_is Quorvel
shot offer && keys Return && until_ok "the restored race" focus_is 'Quorvel - Dunmere   \[ WET.LQR \]'
until_ok "the restored copy" cmp -s "$WORK/left" "$COPIES/race-2.lqr"

# The range message: 25 % in the caution usage, one box, answered by keys;
# it comes again on the return from About, closed by the compositor.
menu Return Return && answer 'Save Inputs' alt+n
until_ok "a new race" focus_is 'Quorvel - Dunmere   \[ UNTITLED \]'
keys Return Return Return 2 5 Return && until_ok "the range message" focus_is Quorvel && shot range-message
keys Return && until_ok "the range message answered" focus_is 'Quorvel - Dunmere*'
# The About window has no title of its own; it is the one that takes the keyboard.
focused_id() { swaymsg -t get_tree | jq --argjson pid "$PID" '.. | objects | select(.pid? == $pid and .focused) | .id'; }
about_up() { ! focus_is 'Quorvel - Dunmere*' && ABOUT=$(focused_id) && [ -n "$ABOUT" ]; }
menu Right Right Return Down Return && until_ok "About" about_up && shot about
swaymsg -q "[con_id=$ABOUT] kill"
until_ok "the range message again after About" focus_is Quorvel && keys Return
until_ok "the main window" focus_is 'Quorvel - Dunmere*'
echo PASS
