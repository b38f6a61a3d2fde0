#!/bin/bash
# quorvel-calc on a season's archive in one call: N copies of the worked
# example, read by cat (the floor: reading them alone), then by quorvel-calc
# as tables and as JSON. Prints the wall and CPU seconds of each run.
#
#   bench/many-files/many-files-bench.sh [BUILD_DIR] [FILES] [RUNS]
#                                        (defaults: build-release 10000 3)
set -eu
build=$(cd "${1:-build-release}" && pwd)
files=${2:-10000}
runs=${3:-3}
calc=$build/bin/quorvel-calc
[ -x "$calc" ] || { echo "missing $calc: build quorvel-calc" >&2; exit 2; }
example=$(cd "$(dirname "$0")/../.." && pwd)/data/lqrfiles/worked-example.lqr

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for i in $(seq -w 1 "$files"); do cp "$example" "$work/race-$i.lqr"; done
cd "$work"

TIMEFORMAT="%R s wall, %U s user + %S s system"
for run in $(seq "$runs"); do
    echo "run $run, $files files:"
    echo -n "  cat                  "; time cat race-*.lqr >/dev/null
    echo -n "  quorvel-calc         "; time "$calc" race-*.lqr >/dev/null
    echo -n "  quorvel-calc --json  "; time "$calc" --json race-*.lqr >/dev/null
done
