#!/bin/sh
# Builds Tarvel and opens its window.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc 2>/dev/null || echo 2)"
if [ -x build/TarvelApp/tarvel ]; then
    exec build/TarvelApp/tarvel
fi
echo "Everything is built, but the window is not there yet."
