#!/bin/bash
# The Windows build and its checks under Wine as one test of the Linux suite:
# build-windows.sh, then test-windows.sh. Qt for Windows takes about two hours
# to build, so this runs only where it is built already, and otherwise
# says so and counts as skipped (status 77); it never builds Qt.
#
# Usage: check-windows.sh <Windows build dir> <Linux quorvel-calc> <worked_example_keys>
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -eq 3 ] || { echo "usage: $0 <Windows build dir> <Linux quorvel-calc> <worked_example_keys>" >&2; exit 2; }

skip() {
    echo "Windows checks skipped: $*"
    exit 77
}
"$here/build-qt.sh" --prefix >/dev/null 2>&1 ||
    skip "no Qt for Windows in ${XDG_CACHE_HOME:-~/.cache}/quorvel; make windows builds it (about 2 h)"
for tool in x86_64-w64-mingw32-g++-posix makensis xvfb-run openbox xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is missing; make test-windows installs it"
done
command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ] || skip "Wine is missing; make test-windows installs it"

"$here/build-windows.sh" "$1" || exit 1
exec "$here/test-windows.sh" "$@"
