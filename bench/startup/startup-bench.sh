#!/bin/bash
# Start-up of Quorvel against a bare Qt window of the same size, on an Xvfb of
# its own: the median time from start to the first window mapped and the
# median peak resident memory, over alternating runs of the two programs.
#
#   bench/startup/startup-bench.sh [BUILD_DIR] [RUNS]     (defaults: build-release 15)
#
# Needs Xvfb (xvfb) and xev (x11-utils).
set -eu
build=$(cd "${1:-build-release}" && pwd)
runs=${2:-15}
quorvel=$build/bin/quorvel
bare=$build/bench/quorvel_bare_window
for program in "$quorvel" "$bare"; do
    [ -x "$program" ] || { echo "missing $program: build quorvel and quorvel_bare_window" >&2; exit 2; }
done

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb; rm -rf "$work"' EXIT
while [ ! -s "$work/display" ]; do sleep 0.05; done
# A home of its own, shared by all runs, keeps the user's files out of it.
mkdir "$work/home"
display=$(cat "$work/display")
export DISPLAY=:$display QT_QPA_PLATFORM=xcb HOME=$work/home
cd "$build/bin" # Quorvel reads kvtext/help.txt beside itself

# One run of $1: appends "milliseconds-to-first-map peak-RSS-kB" to $2.
measure() {
    mkfifo "$work/events"
    timeout 60 grep -m1 -q MapNotify <"$work/events" &
    local mapped=$!
    xev -root -event substructure >"$work/events" &
    local watcher=$!
    sleep 0.3 # xev is watching the root window before the program starts
    local start=$EPOCHREALTIME
    "$1" >/dev/null 2>&1 &
    local pid=$!
    wait $mapped || { kill $pid $watcher; echo "$1 showed no window within a minute" >&2; exit 1; }
    local end=$EPOCHREALTIME
    sleep 1 # the first paint and Quorvel's splash count towards the memory
    local rss
    rss=$(awk '/^VmHWM/ { print $2 }' /proc/$pid/status)
    kill $pid $watcher 2>/dev/null || true
    wait $pid $watcher 2>/dev/null || true
    rm "$work/events"
    echo "$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", (e - s) * 1000 }') $rss" >>"$2"
}

# One unmeasured run each puts libraries and fonts in the page cache; then
# the order flips every round, so a busy spell hits both programs alike.
measure "$quorvel" "$work/warm"
measure "$bare" "$work/warm"
for ((round = 0; round < runs; ++round)); do
    if ((round % 2)); then
        measure "$bare" "$work/bare"
        measure "$quorvel" "$work/quorvel"
    else
        measure "$quorvel" "$work/quorvel"
        measure "$bare" "$work/bare"
    fi
done

median() { cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }
printf '%-22s %12s %12s %8s\n' "median of $runs runs" Quorvel bare ratio
for figure in "1 first window, ms" "2 peak RSS, kB"; do
    q=$(median "$work/quorvel" "${figure%% *}")
    b=$(median "$work/bare" "${figure%% *}")
    printf '%-22s %12s %12s %8.2f\n' "${figure#* }" "$q" "$b" "$(awk -v q="$q" -v b="$b" 'BEGIN { print q / b }')"
done
