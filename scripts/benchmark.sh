#!/usr/bin/env bash
# Measures the MTP engine against raw libmtp on QEMU's emulated phone: a 1 GB download
# and upload and a 5,000-entry listing, with the longest UI-thread stall of each while the
# window shows the progress, how long a Cancel takes to free the lane (split at libmtp's own
# cancelled call), and batches: 1,000 files of 100 KB and a tree of 2,000 files against plain
# libmtp loops over the same objects. An A/A row (the raw 1,000-file loop against itself)
# gives the run's noise floor, and a line says when it strays beyond 0.05 of 1.
# Usage: scripts/benchmark.sh [BUILD_DIR]   (default: build; builds mtp_benchmark first)
#        scripts/benchmark.sh --features [BUILD_DIR]   the import and the thumbnails instead
#        scripts/benchmark.sh --resume [BUILD_DIR]     a download cut at 60% and resumed
# TARVEL_BENCH_BYTES (1 GB) and TARVEL_BENCH_ROUNDS (3) make a quicker run.
# TARVEL_BENCH_COUNTED=1 runs the guest on QEMU's instruction counter (-icount): its clock
# then mostly counts the work the guest does, and the rounds' own ratios stay within a few
# parts in a thousand however busy the host is (read the medians: a round can still stray).
set -euo pipefail
cd "$(dirname "$0")/.."
[[ ${1:-} == --features ]] && { shift; exec scripts/benchmark-features.sh "$@"; }
[[ ${1:-} == --resume ]] && { shift; exec scripts/benchmark-resume.sh "$@"; }
build=${1:-build}
cmake --build "$build" --target mtp_benchmark >/dev/null

work=$(mktemp -d /tmp/tarvel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
phone=$work/phone
mkdir -p "$phone/Folder5000" "$work/local"
head -c "${TARVEL_BENCH_BYTES:-1000000000}" /dev/urandom >"$phone/big.bin"
cp "$phone/big.bin" "$work/local/upload-source.bin"
for ((i = 0; i < 5000; i++)); do printf '%d\n' "$i" >"$phone/Folder5000/$(printf 'entry-%05d.txt' "$i")"; done
# A selection of 1,000 files of 100 KB, and a tree of 2,000 files of 10 KB in four levels.
mkdir -p "$phone/Batch1000"
head -c 100000000 /dev/urandom | split -b 100000 -a 4 -d - "$phone/Batch1000/photo-"
for a in 1 2 3 4 5; do for b in 1 2 3 4; do for c in 1 2 3 4; do
    mkdir -p "$phone/Tree2000/A$a/B$b/C$c"
    head -c 250000 /dev/urandom | split -b 10000 -a 2 -d - "$phone/Tree2000/A$a/B$b/C$c/img-"
done; done; done

counted=()
[[ -n ${TARVEL_BENCH_COUNTED:-} ]] && counted=(--qemu-arg=-icount --qemu-arg=shift=0,sleep=off)
# The guest keeps the upload's source and one download at a time in its own tmpfs, beside
# the batches (120 MB): /dev/shm is made large enough, and the guest has 1.5 GB on top.
mb=$(( ($(stat -c %s "$phone/big.bin") + 1048575) / 1048576 ))
shm=$(( 2 * mb + 256 ))
mem=$(( shm + 1536 > 2048 ? shm + 1536 : 2048 ))
export TARVEL_BENCH_WORK=$work/local QT_QPA_PLATFORM=offscreen
tests/e2e/run-in-mtp-vm.sh "${counted[@]}" --timeout 3000 --mem "$mem" --phone "$phone" --phone-desc "Benchmark Phone" \
    -- /bin/sh -c 'mount -o remount,size="$1"m /dev/shm && exec "$2"' sh "$shm" "$PWD/$build/tests/e2e/mtp_benchmark" \
    2> >(grep -v -E 'QEMU Virtual MTP|extended association' >&2)
