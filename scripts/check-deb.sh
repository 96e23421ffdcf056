#!/usr/bin/env bash
# Builds the .deb and installs it into a clean Debian 12 root made with debootstrap,
# then starts tarvel-demo there (offscreen) to prove every runtime piece came along.
# Needs root and access to a Debian mirror. Usage: scripts/check-deb.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

command -v debootstrap >/dev/null || { echo "check-deb: needs debootstrap (apt-get install debootstrap)" >&2; exit 1; }
cmake --build "$build" >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/tarvel_*.deb | head -n 1)
echo "check-deb: built $deb"
dpkg-deb --field "$deb" Depends

root=$(mktemp -d /tmp/tarvel-debroot.XXXXXX)
cleanup() {
    for m in proc sys dev; do umount "$root/$m" 2>/dev/null || true; done
    rm -rf "$root"
}
trap cleanup EXIT
debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
mount -t proc proc "$root/proc"
mount --bind /sys "$root/sys"
mount --bind /dev "$root/dev"
cp "$deb" "$root/tmp/tarvel.deb"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/tarvel.deb >/dev/null
echo "check-deb: installed into a clean root"

for path in /usr/bin/tarvel /usr/bin/tarvel-demo /usr/share/applications/io.github.orvath.Tarvel.desktop \
            /usr/share/metainfo/io.github.orvath.Tarvel.metainfo.xml \
            /usr/share/icons/hicolor/scalable/apps/io.github.orvath.Tarvel.svg \
            /usr/share/icons/hicolor/256x256/apps/io.github.orvath.Tarvel.png /lib/udev/rules.d/69-libmtp.rules \
            /usr/share/man/man1/tarvel.1.gz /usr/share/man/man1/tarvel-demo.1.gz; do
    [ -e "$root$path" ] || { echo "check-deb: missing $path" >&2; exit 1; }
done

# The terminal answers without a display.
chroot "$root" env -u DISPLAY -u QT_QPA_PLATFORM tarvel --version | grep -q '^Tarvel ' ||
    { echo "check-deb: tarvel --version did not answer" >&2; exit 1; }

# The window must come up with the installed QML modules and plugins alone.
mkdir -p "$root/tmp/phone/DCIM"
set +e
chroot "$root" env QT_QPA_PLATFORM=offscreen timeout 5 tarvel-demo /tmp/phone >"$root/tmp/run.log" 2>&1
status=$?
set -e
if [ "$status" != 124 ] || grep -q -E 'is not installed|module .* not found|Cannot load|failed to load' "$root/tmp/run.log"; then
    echo "check-deb: tarvel-demo did not stay up (exit $status):" >&2
    cat "$root/tmp/run.log" >&2
    exit 1
fi
echo "check-deb: tarvel-demo ran for 5 s in the clean root; the package is complete"
