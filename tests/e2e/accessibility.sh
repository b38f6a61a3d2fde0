#!/usr/bin/env bash
# The sheet as a screen reader gets it: the real program on an X server of
# its own, with the desktop's accessibility bus (AT-SPI), read through
# pyatspi as Orca would. Run under dbus-run-session: the session bus starts
# the accessibility bus and its registry on demand.
#   accessibility.sh QUORVEL   (exits 77 where pyatspi or Xvfb is missing)
set -u
QUORVEL=$1 HERE=$(dirname "$0") WORK=$(mktemp -d) PIDS=()
trap 'kill "${PIDS[@]}" 2>/dev/null; wait; rm -rf "$WORK"' EXIT
# Debian installs pyatspi for its own interpreter; another python3 may come
# first on the PATH.
PYTHON=/usr/bin/python3
"$PYTHON" -c 'import pyatspi' 2>/dev/null || { echo "SKIP: no pyatspi for $PYTHON"; exit 77; }
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: no Xvfb or xdotool"; exit 77; }
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || { echo "FAIL: no session bus; run under dbus-run-session" >&2; exit 1; }

# A program folder and a home of its own: settings and the recovery copy
# stay in here.
cp -R "$(dirname "$QUORVEL")" "$WORK/program" && chmod 755 "$WORK"
Xvfb -displayfd 3 -noreset -dpi 96 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
PIDS+=($!)
for _ in $(seq 600); do grep -q . "$WORK/display" && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display") QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
HOME=$WORK XDG_STATE_HOME=$WORK/state XDG_CONFIG_HOME=$WORK/config "$WORK/program/quorvel" &
PIDS+=($!)
"$PYTHON" "$HERE/read_sheet_aloud.py" "$WORK/program/kvtext/help.txt"
