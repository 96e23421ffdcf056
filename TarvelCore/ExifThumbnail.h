#pragma once

// The small JPEG a camera stores inside a photo's EXIF block, read from the photo's first
// bytes: a phone that keeps no thumbnail of its own still gives these with a partial read.

#include <QByteArray>

#include <optional>

namespace tarvel {

// Enough of a photo's start to hold its EXIF block: the block lives in one JPEG segment,
// whose length field caps it at 64 KB, and cameras put it first.
constexpr qint64 exifReadLength = 64 * 1024 + 64;

// The thumbnail of the EXIF block's second directory; nothing for anything that is not a
// JPEG with one, whatever its bytes claim (every offset is checked against what was read).
std::optional<QByteArray> exifThumbnail(const QByteArray &jpegStart);

} // namespace tarvel
