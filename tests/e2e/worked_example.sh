#!/usr/bin/env bash
# The worked example typed into the real program under a real X server, the
# way a crew would: key presses into the cells, the File menu clicked with the
# mouse, the desktop's own file dialogs and message box. The widget tests
# drive the window on the offscreen platform with a scripted desktop; this
# run is the only one that goes through xcb, the splash, the X keyboard focus
# without a window manager and Qt's real dialogs.
#
#   worked_example.sh QUORVEL QUORVEL_CALC LQRFILES OUTPUT_DIR
#
# QUORVEL, QUORVEL_CALC: the built executables. LQRFILES: the source folder of
# sample races (worked-example.lqr gives the expected numbers). OUTPUT_DIR:
# where screenshots and the files of a failed run are left.
# XVFB and XDOTOOL name the tools when they are not on the PATH.
#
# Every wait is bounded; the program and the X server are ended on any exit.

set -u

if [ $# -ne 4 ]; then
    echo "usage: $0 QUORVEL QUORVEL_CALC LQRFILES OUTPUT_DIR" >&2
    exit 2
fi
QUORVEL=$1
QUORVEL_CALC=$2
LQRFILES=$3
OUTPUT_DIR=$4
XVFB=${XVFB:-Xvfb}
XDOTOOL=${XDOTOOL:-xdotool}

# Microseconds, from bash itself.
now_us() { echo "${EPOCHREALTIME/./}"; }
STARTED=$(now_us)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-e2e.XXXXXX") || exit 1
PROGRAM_DIR=$WORK/program
SAVED_DIR=$WORK/saved
SAVED_NAME=typed-race.lqr
SAVED=$SAVED_DIR/$SAVED_NAME
XVFB_PID=
APP_PID=
APP_STATUS=
MAIN_WINDOW=
STEP=start
SHOTS=0

log() {
    local ms=$((($(now_us) - STARTED) / 1000))
    printf '[%3d.%03ds] %s\n' $((ms / 1000)) $((ms % 1000)) "$*"
}

# The X server is ours alone, so anything hanging in it would be our bug;
# still, a wedged server must not hang the test.
xdo() { timeout 10 "$XDOTOOL" "$@"; }

screenshot() {
    local name=$1
    mkdir -p "$OUTPUT_DIR"
    SHOTS=$((SHOTS + 1))
    local file=$OUTPUT_DIR/e2e-$SHOTS-$name.png
    if [ -n "${DISPLAY:-}" ] && command -v import >/dev/null &&
        timeout 10 import -window root "$file" 2>/dev/null; then
        echo "screenshot: $file"
    else
        echo "(no screenshot: ImageMagick's import is missing or the X server is gone)"
    fi
}

# Asks a process to end, gives it two seconds, then ends it.
stop_process() {
    [ -n "$1" ] || return 0
    if kill -0 "$1" 2>/dev/null; then
        kill -TERM "$1" 2>/dev/null
        for _ in $(seq 20); do
            kill -0 "$1" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$1" 2>/dev/null
    fi
    wait "$1" 2>/dev/null
}

stop_app() {
    stop_process "$APP_PID"
    APP_PID=
}

cleanup() {
    stop_app
    stop_process "$XVFB_PID"
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo "interrupted"; exit 130' INT TERM HUP

fail() {
    echo "FAIL ($STEP): $*"
    screenshot "failure-$STEP"
    if [ -n "${DISPLAY:-}" ]; then
        echo "windows on the screen:"
        list_windows | sed 's/^/    /'
    fi
    # The files are kept beside the screenshot: the temporary folder goes.
    mkdir -p "$OUTPUT_DIR/e2e-failure-files"
    cp -f "$SAVED" "$WORK"/*.log "$WORK/expected.lqr" "$OUTPUT_DIR/e2e-failure-files/" 2>/dev/null
    for f in "$WORK"/*.log; do
        [ -s "$f" ] && { echo "--- $(basename "$f")"; tail -n 20 "$f"; }
    done
    echo "files of the run: $OUTPUT_DIR/e2e-failure-files"
    exit 1
}

# Visible windows of the program. A window may vanish between xdotool's
# listing and its own look at it; Xlib then reports BadWindow and xdotool
# stops, with the same status as "nothing found", so the listing is taken
# again when X complained. The menu pop-ups have no name: the program's
# windows are also found by its process id.
search_windows() {
    local out try
    for try in 1 2 3 4 5; do
        out=$(xdo search --onlyvisible "$@" 2>"$WORK/xdotool.err")
        if ! grep -q . "$WORK/xdotool.err"; then
            printf '%s\n' "$out"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

visible_windows() {
    local named by_pid=
    named=$(search_windows --name .) || return 1
    if [ -n "$APP_PID" ]; then
        by_pid=$(search_windows --pid "$APP_PID") || return 1
    fi
    printf '%s\n%s\n' "$named" "$by_pid" | sed '/^$/d' | sort -u
}

list_windows() {
    local id
    for id in $(visible_windows); do
        printf '%s "%s"\n' "$id" "$(xdo getwindowname "$id" 2>/dev/null)"
    done
}

# Windows other than the main one.
other_windows() {
    visible_windows | grep -vx "$MAIN_WINDOW"
}

window_named() {
    local id
    for id in $(visible_windows); do
        if [ "$(xdo getwindowname "$id" 2>/dev/null)" = "$1" ]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

# wait_for SECONDS DESCRIPTION COMMAND...: polls until COMMAND succeeds.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$(($(now_us) + seconds * 1000000))
    while :; do
        "$@" && return 0
        if [ "$(now_us)" -gt "$deadline" ]; then
            fail "waited ${seconds}s for $what"
        fi
        sleep 0.1
    done
}

app_running() { kill -0 "$APP_PID" 2>/dev/null; }
app_gone() { ! app_running; }
title_is() { [ "$(xdo getwindowname "$MAIN_WINDOW" 2>/dev/null)" = "$1" ]; }
named_window_shown() { window_named "$1" >/dev/null; }
named_window_gone() { ! window_named "$1" >/dev/null; }
menu_open() { [ -n "$(other_windows)" ]; }

# The splash is over, the main window is the only one on the screen and holds
# the X keyboard focus: typing now reaches the first cell.
ready_for_keys() {
    [ "$(visible_windows)" = "$MAIN_WINDOW" ] &&
        [ "$(xdo getwindowfocus 2>/dev/null)" = "$MAIN_WINDOW" ]
}

start_app() {
    # A fresh user: nothing the program writes may land in the real home,
    # and a desktop setting from the caller must not change the layout the
    # mouse clicks rely on.
    mkdir -p "$WORK/home" "$WORK/runtime"
    chmod 700 "$WORK/runtime"
    env -u WAYLAND_DISPLAY -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS \
        -u QT_FONT_DPI -u QT_STYLE_OVERRIDE \
        HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" \
        XDG_DATA_HOME="$WORK/home/.local/share" XDG_RUNTIME_DIR="$WORK/runtime" \
        QT_QPA_PLATFORM=xcb \
        "$PROGRAM_DIR/quorvel" >"$WORK/quorvel-$1.log" 2>&1 &
    APP_PID=$!
    local launched
    launched=$(now_us)
    log "quorvel started (pid $APP_PID)"

    find_main() {
        if ! app_running; then
            wait "$APP_PID"
            fail "quorvel ended at start with status $?"
        fi
        MAIN_WINDOW=$(window_named "Quorvel - Dunmere   [ UNTITLED ]") || return 1
    }
    wait_for 15 "the main window titled 'Quorvel - Dunmere   [ UNTITLED ]'" find_main
    # The menu clicks are places on the screen: they need the window at 0,0,
    # where it is with no window manager to move it.
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdo getwindowgeometry --shell "$MAIN_WINDOW" 2>/dev/null)"
    [ "${X:-}" = 0 ] && [ "${Y:-}" = 0 ] ||
        fail "the main window is at ${X:-?},${Y:-?}, not 0,0 (is a window manager running?)"

    # The splash stays 3 s and may be mapped a moment after the main window,
    # so an early look could miss it: the keys wait for the splash time too.
    splash_over() { [ $(($(now_us) - launched)) -ge 4000000 ] && ready_for_keys; }
    wait_for 20 "the splash to close and the main window to take the keyboard" splash_over
    sleep 0.3
    log "main window $MAIN_WINDOW ready for keys"
}

# A cell's text followed by Return, which moves to the next cell.
enter() {
    xdo type --delay 20 -- "$1" || fail "xdotool could not type '$1'"
    xdo key Return || fail "xdotool could not press Return"
}
skip() {
    local n
    for n in $(seq "$1"); do
        xdo key Return || fail "xdotool could not press Return"
    done
}

# File menu items by their place in the open menu.
file_menu() {
    local item=$1 y
    case $item in
        Open) y=50 ;;
        "Save As") y=90 ;;
        Exit) y=165 ;;
        *) fail "no place known for File > $item" ;;
    esac
    xdo mousemove 20 8 click 1 || fail "could not click the File menu"
    wait_for 5 "the File menu to open" menu_open
    sleep 0.2
    xdo mousemove 40 "$y" click 1 || fail "could not click File > $item"
    log "clicked File > $item"
}

# File > Exit, No to saving: the program must close its box, write its
# settings and end with status 0, leaving nothing behind.
exit_answering_no() {
    file_menu Exit
    wait_for 5 "the 'Save Inputs' box File > Exit asks" named_window_shown "Save Inputs"
    sleep 0.2
    xdo key alt+n || fail "could not answer No"
    log "answered No"

    box_closed_or_ended() { app_gone || named_window_gone "Save Inputs"; }
    wait_for 5 "the box to close after No" box_closed_or_ended
    # Until the process is gone only the main window may be up: another box
    # here (an error, a second question) would keep the program running.
    left_behind() {
        local others
        app_gone && return 0
        others=$(other_windows) || return 1
        if [ -n "$others" ] && app_running; then
            sleep 0.5
            others=$(other_windows) || return 1
            if [ -n "$others" ] && app_running; then
                fail "after No a window besides the main one is up:" \
                    "$(for id in $others; do printf '%s "%s" ' "$id" "$(xdo getwindowname "$id" 2>/dev/null)"; done)"
            fi
        fi
        app_gone
    }
    wait_for 8 "quorvel to end after File > Exit answered No" left_behind
    wait "$APP_PID"
    APP_STATUS=$?
    local pid=$APP_PID
    APP_PID=
    log "quorvel ended with status $APP_STATUS"
    [ "$APP_STATUS" -eq 0 ] || fail "quorvel ended with status $APP_STATUS, not 0"

    # Its windows went with it, and no process of this copy is left.
    local shown
    shown=$(visible_windows) || fail "could not list the windows"
    [ -z "$shown" ] || fail "windows still shown after quorvel ended: $shown"
    local proc
    for proc in /proc/[0-9]*; do
        if [ "$proc/exe" -ef "$PROGRAM_DIR/quorvel" ]; then
            fail "a quorvel process is left: ${proc#/proc/} (the one started was $pid)"
        fi
    done
}

# --- the expected race file ----------------------------------------------

STEP=expected
[ -x "$QUORVEL" ] || fail "no program at $QUORVEL"
[ -f "$LQRFILES/worked-example.lqr" ] || fail "no worked-example.lqr in $LQRFILES"
timeout 20 "$QUORVEL_CALC" --recalculated "$LQRFILES/worked-example.lqr" >"$WORK/expected.lqr" ||
    fail "quorvel-calc --recalculated failed"
# The sample is a full race file ending in its two comment lines and the end
# marker; only its first 154 lines are compared, the comment differs.
[ "$(wc -l <"$WORK/expected.lqr")" -eq 157 ] && [ "$(sed -n 157p "$WORK/expected.lqr")" = $'-9999\r' ] ||
    fail "quorvel-calc did not print the 157-line worked example"

# --- the program folder and the X server ---------------------------------

STEP=setup
# A copy of the program folder, so the settings file and anything else the
# program writes beside itself stay out of the build tree. A settings file
# left there by a hand-run would carry its values into this run.
mkdir -p "$PROGRAM_DIR" "$SAVED_DIR"
cp -R "$(dirname "$QUORVEL")/." "$PROGRAM_DIR/" || fail "could not copy the program folder"
rm -f "$PROGRAM_DIR/KVCNFG.DNX"
[ -x "$PROGRAM_DIR/quorvel" ] && [ -d "$PROGRAM_DIR/kvtext" ] && [ -d "$PROGRAM_DIR/lqrfiles" ] ||
    fail "the program folder lacks quorvel, kvtext/ or lqrfiles/"

# Xvfb picks a free display itself and writes its number once it accepts
# connections (-displayfd); that cannot collide with another test's server
# the way guessing a number can. No window manager: the window sits at 0,0.
# -noreset: by default the server resets whenever its last client leaves,
# as between the two runs or between two xdotool calls, and a connection
# made during the reset is refused.
"$XVFB" -displayfd 3 -noreset -screen 0 1024x768x24 -dpi 96 -nolisten tcp \
    3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
xvfb_ready() {
    kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb ended: $(cat "$WORK/xvfb.log")"
    grep -q '^[0-9][0-9]*$' "$WORK/display"
}
wait_for 15 "Xvfb to start" xvfb_ready
export DISPLAY=:$(head -n 1 "$WORK/display")
log "Xvfb on $DISPLAY"

# --- first run: type the worked example, Save As, Exit -------------------

STEP=first-start
start_app first

STEP=typing
# The side cells 132..136, 138, 139; Return passes the two results 140, 141.
for value in 22 0.72 2.5 50 3 100 12; do enter "$value"; done
skip 2
# H Hour: the can number (row 0) and row 3 stay empty; row 6 is the greyed
# gallons of can mode; rows 14, 16 and 17 are not in this column.
skip 1
enter 100
enter 10
skip 1
enter 40
enter 10
enter 0
enter 0
skip 7
# 1st Pit: one can, rows 1, 2; rows 3..5 empty.
skip 1
enter 130
enter 30
skip 3
enter 40
enter 6
skip 10
# 2nd Pit: -99 hides the can rows and moves to the gallons.
enter -99
enter 18
enter 85
enter 10
sleep 0.5
log "worked example typed"
title_is "Quorvel - Dunmere   [ UNTITLED ]" || fail "the title changed while typing"

STEP=save-as
file_menu "Save As"
wait_for 10 "the 'Save a File' dialog" named_window_shown "Save a File"
sleep 0.3
# The name field has the focus with "Untitled" selected: the path replaces it.
xdo type --delay 20 -- "$SAVED" || fail "could not type the path"
sleep 0.2
xdo key Return || fail "could not press Return"
wait_for 10 "the 'Save a File' dialog to close" named_window_gone "Save a File"
wait_for 5 "the title 'Quorvel  [ ${SAVED_NAME^^} ]'" title_is "Quorvel  [ ${SAVED_NAME^^} ]"
[ -f "$SAVED" ] || fail "Save As left no file at $SAVED"
log "saved as $SAVED"

STEP=first-exit
exit_answering_no
[ -f "$PROGRAM_DIR/KVCNFG.DNX" ] || fail "no KVCNFG.DNX beside the program after Exit"

# --- the saved file ------------------------------------------------------

STEP=saved-file
lines=$(wc -l <"$SAVED")
[ "$lines" -eq 156 ] || fail "the saved file has $lines lines, not 156"
# wc -l counts line ends; a last line without one would go unseen.
[ "$(tail -c 2 "$SAVED" | od -An -c | tr -d ' ')" = '\r\n' ] ||
    fail "the saved file does not end in CR LF"
[ "$(grep -vc $'\r$' "$SAVED")" -eq 0 ] || fail "lines of the saved file end without CR"
if ! cmp -s <(head -n 154 "$SAVED") <(head -n 154 "$WORK/expected.lqr"); then
    diff <(head -n 154 "$WORK/expected.lqr" | cat -n) <(head -n 154 "$SAVED" | cat -n) |
        head -n 40
    fail "lines 1..154 of the saved file differ from the recalculated worked example (< expected, > saved)"
fi
[ "$(sed -n 155p "$SAVED")" = $'\r' ] || fail "line 155 (the comment) is not empty"
[ "$(sed -n 156p "$SAVED")" = $'-9999\r' ] || fail "line 156 is not the end marker -9999"
saved_sum=$(md5sum <"$SAVED")
log "saved file matches the worked example"

# --- second run: File > Open the saved race -------------------------------

STEP=second-start
start_app second

STEP=open
file_menu Open
wait_for 10 "the 'Open a File' dialog" named_window_shown "Open a File"
sleep 0.3
xdo type --delay 20 -- "$SAVED" || fail "could not type the path"
sleep 0.2
xdo key Return || fail "could not press Return"
wait_for 10 "the 'Open a File' dialog to close" named_window_gone "Open a File"
wait_for 5 "the title 'Quorvel  [ ${SAVED_NAME^^} ]'" title_is "Quorvel  [ ${SAVED_NAME^^} ]"
log "opened $SAVED"

STEP=second-exit
exit_answering_no
[ "$(md5sum <"$SAVED")" = "$saved_sum" ] || fail "opening and exiting with No changed the race file"

log "PASS"
exit 0
