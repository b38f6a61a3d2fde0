#!/bin/sh
# Runs a test as an unprivileged user, so that permission bits apply as they do
# for a crew: root writes into read-only folders all the same. The user gets a
# home of its own, and in it a read-only race file that belongs to root
# (QUORVEL_FOREIGN_RACE): another user's file in a folder the crew owns.
# Exits 77 (the suite's "skipped") where no such user can run it.
exe="$1"
shift
if [ "$(id -u)" != 0 ]; then
    exec "$exe" "$@"
fi
if ! command -v setpriv >/dev/null 2>&1; then
    echo "setpriv is not installed: skipped"
    exit 77
fi
as_nobody="setpriv --reuid=65534 --regid=65534 --clear-groups"
if ! $as_nobody test -x "$exe"; then
    echo "$exe cannot be run by an unprivileged user from here: skipped"
    exit 77
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir "$home/foreign"
printf 'the race as it was\r\n' >"$home/foreign/race.lqr"
chmod 0444 "$home/foreign/race.lqr"
chown -R 65534:65534 "$home"
chown 0:0 "$home/foreign/race.lqr"
$as_nobody env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_RUNTIME_DIR= QUORVEL_FOREIGN_RACE="$home/foreign/race.lqr" "$exe" "$@"
