#!/bin/sh
# Runs the start-up benchmark on an already built tree; builds nothing.
#
#   bench/startup/run-startup-bench.sh [BUILD_DIR] [harness options...]
#
# BUILD_DIR defaults to build-startup at the top of the repository. Options
# are passed to quorvel_startup_bench (--runs N, --settle-ms N, --csv FILE,
# --verbose, ...; --help lists them).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build="$here/../../build-startup"
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
    build=$1
    shift
fi
build=$(cd "$build" && pwd)

harness="$build/bench/startup/quorvel_startup_bench"
quorvel="$build/bin/quorvel"
bare="$build/bench/startup/quorvel_bare_window"
for file in "$harness" "$quorvel" "$bare"; do
    if [ ! -x "$file" ]; then
        echo "missing $file: build it first:" >&2
        echo "    cmake --build $build --target quorvel quorvel_bare_window quorvel_startup_bench" >&2
        exit 2
    fi
done

# Quorvel reads kvtext/help.txt beside itself: both programs run in its folder.
exec "$harness" --workdir "$build/bin" "$@" "$quorvel" "$bare"
