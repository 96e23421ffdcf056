#!/usr/bin/env bash
# Start-up of the window under Xvfb: time from exec to the first frame and resident
# memory after start, over ten launches (median and worst); and what the process said on
# the session bus (a private one, watched by dbus-monitor) before its first frame.
# Usage: scripts/benchmark-startup.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target tarvel-startup-benchmark >/dev/null
bin=$PWD/$build/bench/tarvel-startup-benchmark

runs=$(mktemp)
bus=$(mktemp)
trap 'rm -f "$runs" "$bus"' EXIT
# Each line: the launch time in ns since the epoch, then the benchmark's own line.
dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    dbus-monitor --session --profile >"$1" 2>/dev/null &
    monitor=$!
    sleep 0.5 # listening before the first launch
    for i in 1 2 3 4 5 6 7 8 9 10; do
        launched=$(date +%s%N)
        printf "%s " "$launched"
        TARVEL_LAUNCHED_NS=$launched "$0" 2>/dev/null
    done
    kill "$monitor"' "$bin" "$bus" | tee "$runs"
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%s", v[int((NR + 1) / 2)] }'; }
worst() { sort -n | tail -n 1; }
echo "first frame: median $(awk '{print $4}' "$runs" | median) ms, worst $(awk '{print $4}' "$runs" | worst) ms;" \
     "resident: median $(awk '{print $7}' "$runs" | median) MB, worst $(awk '{print $7}' "$runs" | worst) MB" \
     "($(wc -l <"$runs") launches)"
# Calls and signals a client sent between a launch and its first frame; Tarvel's own are
# those to the services it uses (the rest is Qt's, such as its accessibility bridge
# asking whether a screen reader's bus is there).
awk -v runs="$runs" '
    BEGIN { while ((getline line < runs) > 0) { split(line, f, " "); n++; from[n] = f[1] / 1e9; to[n] = from[n] + f[4] / 1000 } }
    ($1 == "mc" || $1 == "sig") && $4 ~ /^:/ {
        for (i = 1; i <= n; i++)
            if ($2 >= from[i] && $2 <= to[i]) { all++; if ($0 ~ /Notifications|login1|portal|Unity/) ours++ }
    }
    END { printf "D-Bus before the first frame: %d messages in %d launches, %d of them Tarvel'"'"'s own\n", all, n, ours }' "$bus"
