#!/bin/sh
# Runs a test as an unprivileged user, so that permission bits apply as they do
# for a crew: root writes into read-only folders all the same. Exits 77 (the
# suite's "skipped") where no such user can run it.
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
exec $as_nobody env HOME=/tmp XDG_RUNTIME_DIR= "$exe" "$@"
