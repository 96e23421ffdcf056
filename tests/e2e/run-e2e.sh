#!/usr/bin/env bash
# Runs the end-to-end suite against QEMU's emulated USB MTP phone: prepares phone
# folders on the host, boots one guest with the phones attached and runs the given
# test binary inside it, so libmtp talks to a real MTP responder over a USB bus.
#
#   run-e2e.sh import   BINARY [ARGS...]   one phone with 300 dated photos
#   run-e2e.sh phones   BINARY [ARGS...]   two phones, read-write
#   run-e2e.sh readonly BINARY [ARGS...]   one read-only phone
#   run-e2e.sh app      BINARY [ARGS...]   one phone, for the whole application
#   run-e2e.sh files    BINARY [ARGS...]   one phone to tidy, never pulled out
#   run-e2e.sh unplug   BINARY [ARGS...]   one phone the test can pull out and plug in
#   run-e2e.sh ops      BINARY [ARGS...]   one phone on EHCI, for the phone's own operations and events
#   run-e2e.sh bus      BINARY [ARGS...]   one phone that can be pulled out and plugged in, with udev
#   run-e2e.sh nonroot  BINARY [ARGS...]   one phone, the binary run as nobody without access to it
#
# Exit 77 (skipped) when the emulator packages are missing, unless TARVEL_REQUIRE_E2E=1
# (CI), where that is a failure like any guest that cannot start.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mode=$1
shift

missing=""
command -v qemu-system-x86_64 >/dev/null || missing="$missing qemu-system-x86"
ls /boot/vmlinuz-* >/dev/null 2>&1 || missing="$missing linux-image-amd64"
[ -x /bin/busybox ] || missing="$missing busybox-static"
if [ -n "$missing" ]; then
    echo "end-to-end tests skipped: the phone emulator needs:$missing (scripts/install-deps.sh --test installs them)"
    [ "${TARVEL_REQUIRE_E2E:-0}" = 1 ] && exit 1
    exit 77
fi

work=$(mktemp -d /tmp/tarvel-e2e.XXXXXX)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/local"

# A file of n bytes of random data.
random_file() { head -c "$2" /dev/urandom >"$1"; }

# A tree of four levels: 12 leaf folders of 25 files of 1 to 20 KB, 300 files in all.
tree() { # tree DIR
    local a b c i
    for a in Alpha Beta Gamma; do for b in One Two; do for c in Red Blue; do
        mkdir -p "$1/$a/$b/$c"
        for ((i = 0; i < 25; i++)); do head -c $((1000 + (RANDOM % 20) * 1000)) /dev/urandom >"$1/$a/$b/$c/photo-$i.jpg"; done
    done; done; done
}

many() { # many DIR COUNT
    mkdir -p "$1"
    for ((i = 0; i < $2; i++)); do printf '%d\n' "$i" >"$1/$(printf 'entry-%05d.txt' "$i")"; done
}

case "$mode" in
import)
    # 300 photos, a minute apart in June 2024; the test adds 20 more later.
    main=$work/main
    mkdir -p "$main/DCIM/Camera" "$main/Pictures"
    for ((i = 0; i < 300; i++)); do
        name=$(printf '%s/DCIM/Camera/IMG_%04d.jpg' "$main" "$i")
        head -c $((2000 + (RANDOM % 30) * 1000)) /dev/urandom >"$name"
        touch -d "@$((1718000000 + i * 60))" "$name"
    done
    phones=(--phone "$main" --phone-desc "Tarvel Phone")
    export TARVEL_E2E_PHONE="$main"
    ;;
phones)
    main=$work/main
    mkdir -p "$main/DCIM/Camera" "$main/Documents" "$main/Music"
    random_file "$main/DCIM/Camera/IMG_0001.jpg" 3000000
    random_file "$main/DCIM/Camera/IMG_0002.jpg" 1000
    random_file "$main/big.bin" 100000000
    random_file "$main/video300.bin" 300000000
    random_file "$work/local/upload300.bin" 300000000
    tree "$main/Tree"
    tree "$work/local/UpTree"
    mkdir -p "$main/Gone"
    random_file "$main/Gone/a-big.bin" 30000000
    printf 'b\n' >"$main/Gone/b.txt"
    printf 'c\n' >"$main/Gone/c.txt"
    : >"$main/empty.txt"
    printf 'notes\n' >"$main/with spaces.txt"
    printf 'café\n' >"$main/Ünïcode café.txt"
    printf 'soon gone\n' >"$main/doomed.txt"
    many "$main/Folder600" 600
    many "$main/Folder5000" 5000
    second=$work/second
    mkdir -p "$second"
    printf 'second\n' >"$second/second.txt"
    # Phones enumerate in reverse attach order: the main phone, attached last, is first.
    phones=(--phone "$second" --phone-desc "Second Phone" --phone "$main" --phone-desc "Tarvel Phone")
    export TARVEL_E2E_PHONE="$main" TARVEL_E2E_PHONE_NAME="Tarvel Phone" TARVEL_E2E_SECOND_PHONE="$second"
    ;;
app)
    main=$work/app
    mkdir -p "$main/DCIM/Camera" "$main/Documents" "$main/Music"
    random_file "$main/DCIM/Camera/IMG_0001.jpg" 2500000
    printf 'hello\n' >"$main/hello.txt"
    random_file "$main/video.mp4" 200000000
    phones=(--phone "$main" --phone-desc "Tarvel Phone")
    export TARVEL_E2E_PHONE="$main"
    ;;
files)
    # Never unplugged: files changed on the host in a listed folder can crash QEMU at an unplug.
    main=$work/files
    mkdir -p "$main/Camera" "$main/Tree/Trip/Day 1" "$main/Tree/Trip/Day 2" "$main/Tree/Empty"
    random_file "$main/Camera/IMG_0001.jpg" 2000
    for f in a b c; do random_file "$main/Tree/Trip/Day 1/$f.jpg" 1000; random_file "$main/Tree/Trip/Day 2/$f.jpg" 1000; done
    printf 'notes\n' >"$main/Tree/notes.txt"
    # On EHCI: over xHCI QEMU's phone events never reach libmtp (see ops).
    phones=(--usb ehci --phone "$main" --phone-desc "Tarvel Phone")
    export TARVEL_E2E_PHONE="$main"
    ;;
bus)
    main=$work/bus
    mkdir -p "$main/DCIM"
    printf 'hello\n' >"$main/hello.txt"
    phones=(--phone "$main" --phone-desc "Tarvel Phone" --udev --hotplug)
    ;;
nonroot)
    main=$work/nonroot
    mkdir -p "$main/DCIM"
    phones=(--phone "$main" --phone-desc "Tarvel Phone" --user nobody)
    # nobody must reach the run folder and write its own files and screenshots there.
    chmod 0755 "$work"
    mkdir -p "$work/local/screenshots"
    chmod -R 0777 "$work/local"
    ;;
ops)
    # The phone's own operations: deletes, parts (a sparse 5 GiB file costs no disk), a date
    # of its own, and a folder that files come to while it is listed. On EHCI: over xHCI,
    # QEMU's phone queues its events (its trace shows them) but none reached libmtp in 20 s,
    # seemingly because nothing wakes the event endpoint it answered with a NAK; EHCI polls
    # it and hands them over within a tenth of a second.
    main=$work/ops
    mkdir -p "$main/Ops/Tree/Sub" "$main/Ops/Watched"
    printf 'a\n' >"$main/Ops/Tree/a.txt"
    printf 'b\n' >"$main/Ops/Tree/Sub/b.txt"
    printf 'c\n' >"$main/Ops/Tree/Sub/c.txt"
    printf 'single\n' >"$main/Ops/single.txt"
    random_file "$main/Ops/parts.bin" 100000
    truncate -s 5G "$main/Ops/huge.bin"
    printf 'dated\n' >"$main/Ops/dated.txt"
    touch -d '2021-03-04 05:06:07' "$main/Ops/dated.txt"
    phones=(--usb ehci --phone "$main" --phone-desc "Tarvel Phone")
    export TARVEL_E2E_PHONE="$main"
    ;;
unplug)
    main=$work/unplug
    many "$main/Folder5000" 5000
    random_file "$main/video300.bin" 300000000
    random_file "$main/twenty.bin" 20971520
    # udev in the guest: libusb hears of a phone that comes back only through it.
    phones=(--udev --hotplug --phone "$main" --phone-desc "Tarvel Phone")
    export TARVEL_E2E_PHONE="$main" TARVEL_E2E_UNPLUG=1
    ;;
readonly)
    ro=$work/readonly
    mkdir -p "$ro/Pictures"
    printf 'read me\n' >"$ro/readme.txt"
    phones=(--phone-ro "$ro" --phone-desc "Read-only Phone")
    export TARVEL_E2E_PHONE="$ro" TARVEL_E2E_PHONE_NAME="Read-only Phone" TARVEL_E2E_READONLY=1
    ;;
*)
    echo "usage: run-e2e.sh import|phones|readonly|app|files|unplug|ops|bus|nonroot BINARY [ARGS...]" >&2
    exit 2
    ;;
esac
export TARVEL_E2E_WORK="$work/local"

# Screenshots are written where the caller wants them, which the guest must see; nobody
# writes them into the run folder, and they are copied over afterwards.
shares=()
wanted_screenshots=${TARVEL_E2E_SCREENSHOTS:-}
if [ "$mode" = nonroot ] && [ -n "$wanted_screenshots" ]; then
    export TARVEL_E2E_SCREENSHOTS="$work/local/screenshots"
    trap 'mkdir -p "$wanted_screenshots"; cp "$work"/local/screenshots/*.png "$wanted_screenshots"/ 2>/dev/null; chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
elif [ -n "${TARVEL_E2E_SCREENSHOTS:-}" ]; then
    mkdir -p "$TARVEL_E2E_SCREENSHOTS"
    shares=(--share "$TARVEL_E2E_SCREENSHOTS")
fi

# The harness's own failures (no guest, QEMU died) come back as 124/125 and fail the test.
cd "$work"
"$here/run-in-mtp-vm.sh" --timeout 1500 --mem 2048 "${shares[@]}" "${phones[@]}" -- "$@"

