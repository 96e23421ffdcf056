#!/bin/sh
# Builds Tarvel from scratch and runs every test: once in a normal build that treats
# warnings as errors, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --test

jobs=$(nproc 2>/dev/null || echo 2)
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen

run_suite() {
    dir=$1
    shift
    echo "== $dir: configure and build"
    cmake -S . -B "$dir" -G Ninja -DTARVEL_WERROR=ON -DTARVEL_BUILD_TESTS=ON "$@"
    cmake --build "$dir" --parallel "$jobs"
    echo "== $dir: tests"
    (cd "$dir" && ctest --output-on-failure --parallel "$jobs")
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_SANITIZE=OFF

# The .deb in a clean Debian root needs root (debootstrap, chroot).
if [ "$(id -u)" = 0 ]; then
    echo "== build: the Debian package in a clean root"
    ./scripts/check-deb.sh build
else
    echo "== skipped the Debian package check: it needs root (sudo ./scripts/check-deb.sh)"
fi

run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTARVEL_SANITIZE=ON
echo "== all tests passed"
