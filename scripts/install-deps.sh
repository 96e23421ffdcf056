#!/bin/sh
# Installs every Debian 12 package that building, testing and running Tarvel needs.
# Idempotent: packages already present are left alone. Uses sudo when not root.
set -eu

PACKAGES="
build-essential cmake ninja-build pkg-config git
qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools qt6-svg-dev
libqt6svg6 qt6-image-formats-plugins
qml6-module-qtqml qml6-module-qtquick qml6-module-qtquick-controls
qml6-module-qtquick-templates qml6-module-qtquick-layouts qml6-module-qtquick-window
qml6-module-qtqml-workerscript qml6-module-qtqml-models
qcoro-qt6-dev
libmtp-dev libmtp9 libmtp-common libusb-1.0-0-dev
libgtest-dev libgmock-dev
xvfb xauth fonts-dejavu-core
qrencode zbar-tools
qemu-system-x86 linux-image-amd64 busybox-static kmod xz-utils util-linux coreutils udev python3
desktop-file-utils appstream dpkg-dev fakeroot file debootstrap
"

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
