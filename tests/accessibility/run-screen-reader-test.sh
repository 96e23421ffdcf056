#!/bin/sh
# The screen-reader test: a private session bus, the accessibility bus on it, an X server,
# and the demo window inside. Works as root on a machine with no desktop.
# Usage: run-screen-reader-test.sh TARVEL_DEMO
set -eu
here=$(cd "$(dirname "$0")" && pwd)
demo=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
launcher=/usr/libexec/at-spi-bus-launcher
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORMTHEME
exec dbus-run-session -- xvfb-run -a -s '-screen 0 1280x1024x24' sh -c "
    $launcher --launch-immediately & launcher=\$!
    /usr/bin/python3 '$here/screen_reader_test.py' '$demo'; status=\$?
    kill \$launcher; exit \$status"
