#!/bin/sh
# Refreshes the README's screenshots: the window over a scripted phone (screenshots.sh)
# and the whole application over QEMU's emulated phone (the e2e.app test).
# Usage: scripts/readme-screenshots.sh [BUILD_DIR]   (default: build)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
TARVEL_SCREENSHOT_BUILD=$build ./scripts/screenshots.sh "$shots" >/dev/null
LANGUAGE=de LANG=de_DE.UTF-8 TARVEL_SCREENSHOT_BUILD=$build ./scripts/screenshots.sh "$shots/de" >/dev/null
(cd "$build" && ctest -R '^e2e\.(app|bus)$' --output-on-failure >/dev/null)
mkdir -p docs/screenshots
cp "$shots/03-transfer-760x460.png" docs/screenshots/transfer.png
cp "$shots/13-batch-760x460.png" docs/screenshots/batch.png
cp "$shots/de/13-batch-760x460.png" docs/screenshots/batch-de.png
cp "$shots/01-no-device-760x460.png" docs/screenshots/no-device.png
cp "$shots/26-import-summary-760x460.png" docs/screenshots/import.png
cp "$shots/27-import-delete-offer-760x460.png" docs/screenshots/import-delete-offer.png
cp "$shots/29-resume-offer-760x460.png" docs/screenshots/resume-offer.png
cp "$shots/30-queue-1100x760.png" docs/screenshots/queue.png
cp "$shots/04-donation-760x460.png" docs/screenshots/donation.png
cp "$shots/10-storage-picker-760x460.png" docs/screenshots/storage-picker.png
cp "$build/e2e-screenshots/bus-held-by-another-program.png" docs/screenshots/emulated-phone-held.png
cp "$shots/08-keyboard-selection-760x460.png" docs/screenshots/browsing.png
cp "$shots/20-delete-question-760x460.png" docs/screenshots/tidying.png
cp "$shots/23-grid-1100x760.png" docs/screenshots/grid.png
cp "$shots/24-preview-1100x760.png" docs/screenshots/preview.png
cp "$build/e2e-screenshots/03-subfolder.png" docs/screenshots/emulated-phone-folder.png
cp "$build/e2e-screenshots/07-pasted.png" docs/screenshots/emulated-phone-uploaded.png
ls docs/screenshots
