#!/usr/bin/env bash
# Measures a download cut at 60% and resumed on QEMU's emulated phone (see
# bench/ResumeBenchmark.cpp). Run through scripts/benchmark.sh --resume.
# Usage: scripts/benchmark-resume.sh [BUILD_DIR]   (default: build)
# TARVEL_BENCH_BYTES (1 GB) and TARVEL_BENCH_ROUNDS (3) make a quicker run;
# TARVEL_BENCH_COUNTED=1 runs the guest on QEMU's instruction counter.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target resume_benchmark >/dev/null

work=$(mktemp -d /tmp/tarvel-resume.XXXXXX)
trap 'rm -rf "$work"' EXIT
phone=$work/phone
mkdir -p "$phone"
head -c "${TARVEL_BENCH_BYTES:-1000000000}" /dev/urandom >"$phone/big.bin"

counted=()
[[ -n ${TARVEL_BENCH_COUNTED:-} ]] && counted=(--qemu-arg=-icount --qemu-arg=shift=0,sleep=off)
# One copy at a time lives in the guest's tmpfs.
mb=$(( ($(stat -c %s "$phone/big.bin") + 1048575) / 1048576 ))
shm=$(( mb + 256 ))
mem=$(( shm + 1536 > 2048 ? shm + 1536 : 2048 ))
export TARVEL_BENCH_PHONE=$phone TARVEL_BENCH_ROUNDS=${TARVEL_BENCH_ROUNDS:-3} QT_QPA_PLATFORM=offscreen
tests/e2e/run-in-mtp-vm.sh "${counted[@]}" --timeout 3000 --mem "$mem" --phone "$phone" --phone-desc "Benchmark Phone" \
    -- /bin/sh -c 'mount -o remount,size="$1"m /dev/shm && exec "$2"' sh "$shm" "$PWD/$build/bench/resume_benchmark" \
    2> >(grep -v -E 'QEMU Virtual MTP|extended association' >&2)
