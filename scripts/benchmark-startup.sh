#!/usr/bin/env bash
# Start-up of the window under Xvfb: time from exec to the first frame and resident
# memory after start, over ten launches (median and worst).
# Usage: scripts/benchmark-startup.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target tarvel-startup-benchmark >/dev/null
bin=$PWD/$build/bench/tarvel-startup-benchmark

runs=$(mktemp)
trap 'rm -f "$runs"' EXIT
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    for i in 1 2 3 4 5 6 7 8 9 10; do
        TARVEL_LAUNCHED_NS=$(date +%s%N) "$0" 2>/dev/null
    done' "$bin" | tee "$runs"
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%s", v[int((NR + 1) / 2)] }'; }
worst() { sort -n | tail -n 1; }
echo "first frame: median $(awk '{print $3}' "$runs" | median) ms, worst $(awk '{print $3}' "$runs" | worst) ms;" \
     "resident: median $(awk '{print $6}' "$runs" | median) MB, worst $(awk '{print $6}' "$runs" | worst) MB" \
     "($(wc -l <"$runs") launches)"
