#!/usr/bin/env bash
# Measures the import and the thumbnails on QEMU's emulated phone (see FeatureBenchmark.cpp):
# a camera folder of camera JPEGs with EXIF thumbnails (5,000 by default, a few KB each) and a
# big file for the download beside the grid. Run through scripts/benchmark.sh --features.
# Usage: scripts/benchmark-features.sh [BUILD_DIR]   (default: build)
# TARVEL_BENCH_PHOTOS (5000), TARVEL_BENCH_BYTES (1 GB) and TARVEL_BENCH_ROUNDS (3) make a
# quicker run; TARVEL_BENCH_COUNTED=1 runs the guest on QEMU's instruction counter.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target feature_benchmark >/dev/null

work=$(mktemp -d /tmp/tarvel-features.XXXXXX)
trap 'rm -rf "$work"' EXIT
phone=$work/phone
mkdir -p "$phone"
QT_QPA_PLATFORM=offscreen "$build/bench/feature_benchmark" --make-phone "$phone" "${TARVEL_BENCH_PHOTOS:-5000}"
head -c "${TARVEL_BENCH_BYTES:-1000000000}" /dev/urandom >"$phone/big.bin"

counted=()
[[ -n ${TARVEL_BENCH_COUNTED:-} ]] && counted=(--qemu-arg=-icount --qemu-arg=shift=0,sleep=off)
# One download at a time, the imports and the app's record and cache live in the guest's tmpfs.
mb=$(( ($(stat -c %s "$phone/big.bin") + 1048575) / 1048576 ))
shm=$(( mb + 512 ))
mem=$(( shm + 1536 > 2048 ? shm + 1536 : 2048 ))
export TARVEL_BENCH_PHONE=$phone QT_QPA_PLATFORM=offscreen
tests/e2e/run-in-mtp-vm.sh "${counted[@]}" --timeout 5400 --mem "$mem" --phone "$phone" --phone-desc "Benchmark Phone" \
    -- /bin/sh -c 'mount -o remount,size="$1"m /dev/shm && exec "$2"' sh "$shm" "$PWD/$build/bench/feature_benchmark" \
    2> >(grep -v -E 'QEMU Virtual MTP|extended association' >&2)
