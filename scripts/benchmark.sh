#!/usr/bin/env bash
# Measures the MTP engine against raw libmtp on QEMU's emulated phone: a 1 GB download
# and upload and a 5,000-entry listing, with the longest UI-thread stall of each while the
# window shows the progress, and how long a Cancel takes to free the lane.
# Usage: scripts/benchmark.sh [BUILD_DIR]   (default: build; builds mtp_benchmark first)
# TARVEL_BENCH_BYTES (1 GB) and TARVEL_BENCH_ROUNDS (3) make a quicker run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target mtp_benchmark >/dev/null

work=$(mktemp -d /tmp/tarvel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
phone=$work/phone
mkdir -p "$phone/Folder5000" "$work/local"
head -c "${TARVEL_BENCH_BYTES:-1000000000}" /dev/urandom >"$phone/big.bin"
cp "$phone/big.bin" "$work/local/upload-source.bin"
for ((i = 0; i < 5000; i++)); do printf '%d\n' "$i" >"$phone/Folder5000/$(printf 'entry-%05d.txt' "$i")"; done

export TARVEL_BENCH_WORK=$work/local QT_QPA_PLATFORM=offscreen
tests/e2e/run-in-mtp-vm.sh --timeout 3000 --mem 2048 --phone "$phone" --phone-desc "Benchmark Phone" \
    -- "$PWD/$build/tests/e2e/mtp_benchmark" 2> >(grep -v -E 'QEMU Virtual MTP|extended association' >&2)
