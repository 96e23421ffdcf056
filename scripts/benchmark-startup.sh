#!/usr/bin/env bash
# Start-up of the window under Xvfb, in English and in German: time from exec to the first
# frame and resident memory after start, over ten launches each (median and worst); and
# what the process said on the session bus (a private one, watched by dbus-monitor) before
# its first frame. Given a second build folder (one of an earlier commit), measures that
# too in the same run, so the figures sit side by side on the same machine load.
# Usage: scripts/benchmark-startup.sh [BUILD_DIR [EARLIER_BUILD_DIR]]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
builds=("${1:-build}")
[ $# -ge 2 ] && builds+=("$2")
for build in "${builds[@]}"; do
    cmake --build "$build" --target tarvel-startup-benchmark >/dev/null
done

runs=$(mktemp)
bus=$(mktemp)
trap 'rm -f "$runs" "$bus"' EXIT
# Each line: the build, the language, the launch time in ns since the epoch, then the
# benchmark's own line. Builds and languages take turns, so a change in the machine's
# load falls on all of them alike.
dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    dbus-monitor --session --profile >"$0" 2>/dev/null &
    monitor=$!
    sleep 0.5 # listening before the first launch
    for i in 1 2 3 4 5 6 7 8 9 10; do
        for build in "$@"; do
            for language in en_US de_DE; do
                launched=$(date +%s%N)
                printf "%s %s %s " "$build" "$language" "$launched"
                LANGUAGE=${language%_*} LC_ALL= LANG=$language.UTF-8 TARVEL_LAUNCHED_NS=$launched \
                    "$build/bench/tarvel-startup-benchmark" 2>/dev/null
            done
        done
    done
    kill "$monitor"' "$bus" "${builds[@]}" >"$runs"
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%s", v[int((NR + 1) / 2)] }'; }
worst() { sort -n | tail -n 1; }
for build in "${builds[@]}"; do
    for language in en_US de_DE; do
        mine() { awk -v b="$build" -v l="$language" '$1 == b && $2 == l { print $'"$1"' }' "$runs"; }
        echo "$build $language: first frame: median $(mine 6 | median) ms, worst $(mine 6 | worst) ms;" \
             "resident: median $(mine 9 | median) MB, worst $(mine 9 | worst) MB ($(mine 1 | wc -l) launches)"
    done
done
# Calls and signals a client sent between a launch and its first frame; Tarvel's own are
# those to the services it uses (the rest is Qt's, such as its accessibility bridge
# asking whether a screen reader's bus is there).
awk -v runs="$runs" '
    BEGIN { while ((getline line < runs) > 0) { split(line, f, " "); n++; from[n] = f[3] / 1e9; to[n] = from[n] + f[6] / 1000 } }
    ($1 == "mc" || $1 == "sig") && $4 ~ /^:/ {
        for (i = 1; i <= n; i++)
            if ($2 >= from[i] && $2 <= to[i]) { all++; if ($0 ~ /Notifications|login1|portal|Unity/) ours++ }
    }
    END { printf "D-Bus before the first frame: %d messages in %d launches, %d of them Tarvel'"'"'s own\n", all, n, ours }' "$bus"
