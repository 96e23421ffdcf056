#!/bin/sh
# Builds the screenshot tool and runs it under Xvfb over a scripted phone.
# Usage: scripts/screenshots.sh [output-folder] [--dark] [--font-points N]   (default: build/screenshots)
# QT_SCALE_FACTOR=2 scripts/screenshots.sh renders at twice the size.
set -eu
cd "$(dirname "$0")/.."
out=${1:-build/screenshots}
[ $# -gt 0 ] && shift
build=${TARVEL_SCREENSHOT_BUILD:-build}
cmake -S . -B "$build" -G Ninja
cmake --build "$build" --target tarvel-screenshots
mkdir -p "$out"
# A fresh X server with a 24-bit screen large enough for the biggest shot, at 2x too.
shoot="xvfb-run -a -s '-screen 0 2800x2000x24' '$build/tools/screenshots/tarvel-screenshots' '$out' $*"
# With an accessibility bus the window's tree in accessibility.txt is the one a screen
# reader walks; without one only what is marked up in QML shows.
launcher=/usr/libexec/at-spi-bus-launcher
if command -v dbus-run-session >/dev/null && [ -x "$launcher" ]; then
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 dbus-run-session -- sh -c "$launcher --launch-immediately & sleep 1; $shoot" 2>/dev/null
else
    sh -c "$shoot"
fi
