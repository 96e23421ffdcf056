#!/bin/sh
# Builds the screenshot tool and runs it under Xvfb over a scripted phone.
# Usage: scripts/screenshots.sh [output-folder]   (default: build/screenshots)
set -eu
cd "$(dirname "$0")/.."
out=${1:-build/screenshots}
build=${TARVEL_SCREENSHOT_BUILD:-build}
cmake -S . -B "$build" -G Ninja
cmake --build "$build" --target tarvel-screenshots
mkdir -p "$out"
# A fresh X server with a 24-bit screen large enough for the biggest shot.
xvfb-run -a -s "-screen 0 1400x1000x24" "$build/tools/screenshots/tarvel-screenshots" "$out"
