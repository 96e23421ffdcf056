#!/bin/sh
# Installs the Debian 12 packages Tarvel needs. Idempotent: packages already present are
# left alone. Uses sudo when not root.
#   scripts/install-deps.sh          what building and opening the app needs (run.sh, the
#                                    demo, the .deb)
#   scripts/install-deps.sh --test   that, and what the tests add (test.sh)
set -eu

# Compiler and build tools; the Qt and QCoro development files and the QML modules the
# window loads; libmtp with its udev rules; a font for the window; qrencode for the
# donation QR code made at build time; file, which CPack reads binaries with for the .deb;
# SQLite's development files for the database Tarvel keeps its import record in; lupdate,
# lrelease and their CMake functions for the translations, and Qt's own translations for
# its file panels.
RUN_PACKAGES="
build-essential cmake ninja-build pkg-config file
qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools qt6-svg-dev
libqt6svg6
qml6-module-qtqml qml6-module-qtquick qml6-module-qtquick-controls
qml6-module-qtquick-templates qml6-module-qtquick-layouts qml6-module-qtquick-window
qml6-module-qtqml-workerscript qml6-module-qtqml-models
qcoro-qt6-dev
libmtp-dev libmtp9 libmtp-common libusb-1.0-0-dev
libsqlite3-dev
qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
fonts-dejavu-core
qrencode
"

# GoogleTest; Xvfb for the screenshot and start-up scripts; zbarimg, which reads the
# donation QR code back; the desktop entry and metainfo validators; groff, which checks
# the man pages; a D-Bus daemon for the desktop tests' private bus and dbus-monitor for
# the start-up script; the emulator guest of the end-to-end tests (QEMU, a kernel and its
# modules, busybox, udev, python3 for hot-plug, xz for compressed modules); debootstrap
# for the package check; the accessibility bus, its Python client and xdotool (which
# gives the window the keyboard where no window manager does) for the screen-reader test.
TEST_PACKAGES="
libgtest-dev libgmock-dev
xvfb xauth
zbar-tools
desktop-file-utils appstream groff-base
dbus-daemon dbus-bin
qemu-system-x86 linux-image-amd64 busybox-static kmod xz-utils util-linux coreutils udev python3
debootstrap
at-spi2-core python3-pyatspi xdotool
"

case "${1:-}" in
"") PACKAGES=$RUN_PACKAGES ;;
--test) PACKAGES="$RUN_PACKAGES $TEST_PACKAGES" ;;
*) echo "usage: $0 [--test]" >&2; exit 2 ;;
esac

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || missing="$missing $p"
done
if [ -z "$missing" ]; then
    echo "install-deps: all packages present"
    exit 0
fi

if [ "$(id -u)" = 0 ]; then sudo=""; else sudo="sudo"; fi
echo "install-deps: installing:$missing"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
