#!/bin/sh
# Builds Tarvel and opens its window; with --demo, the demo's window over a fresh copy of
# the sample phone. The tests are left out: their packages come with scripts/test.sh.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_BUILD_TESTS=OFF
cmake --build build --parallel "$(nproc 2>/dev/null || echo 2)"
if [ "${1:-}" = "--demo" ]; then
    exec build/TarvelDemo/tarvel-demo
fi
exec build/TarvelApp/tarvel
