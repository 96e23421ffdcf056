#pragma once

// Photos as a phone's camera writes them: a JPEG with an EXIF block first, holding the date
// it was taken and a small JPEG thumbnail. The sample phone and the end-to-end tests make
// theirs here.

#include <QByteArray>
#include <QDateTime>
#include <QImage>

namespace tarvel::sample {

// A picture of its own for each number: sky, hills and a sun, in colours from the number.
QImage picture(int number, QSize size);
// The picture as a camera JPEG: EXIF DateTimeOriginal and a thumbnail of at most 160 × 120
// in the EXIF block's second directory.
QByteArray cameraJPEG(const QImage &picture, const QDateTime &taken, int quality = 82);

} // namespace tarvel::sample
