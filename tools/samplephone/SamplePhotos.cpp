#include "tools/samplephone/SamplePhotos.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tarvel::sample {

namespace {

QByteArray encode(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// Little-endian TIFF, as most phones write it.
class TiffWriter {
public:
    void u16(quint32 value) { m_bytes.append(char(value & 0xFF)).append(char(value >> 8 & 0xFF)); }
    void u32(quint32 value)
    {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }
    void entry(quint16 tag, quint16 type, quint32 count, quint32 value)
    {
        u16(tag);
        u16(type);
        u32(count);
        if (type == 3) { // a SHORT sits in the first two bytes of the value field
            u16(value);
            u16(0);
        } else {
            u32(value);
        }
    }
    void raw(const QByteArray &bytes) { m_bytes.append(bytes); }
    qsizetype size() const { return m_bytes.size(); }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

QByteArray exifSegment(const QDateTime &taken, const QByteArray &thumbnail)
{
    constexpr quint16 shortType = 3, longType = 4, asciiType = 2;
    // Offsets from the TIFF header: IFD0 (2 entries), the Exif IFD (1), the date, IFD1 (3),
    // then the thumbnail.
    constexpr quint32 ifd0 = 8, exifIFD = ifd0 + 2 + 2 * 12 + 4, date = exifIFD + 2 + 12 + 4, ifd1 = date + 20,
                      thumbnailAt = ifd1 + 2 + 3 * 12 + 4;
    TiffWriter tiff;
    tiff.raw("II");
    tiff.u16(42);
    tiff.u32(ifd0);
    tiff.u16(2);
    tiff.entry(0x0112, shortType, 1, 1);       // Orientation: as stored
    tiff.entry(0x8769, longType, 1, exifIFD);  // the Exif IFD
    tiff.u32(ifd1);
    tiff.u16(1);
    tiff.entry(0x9003, asciiType, 20, date);   // DateTimeOriginal
    tiff.u32(0);
    QByteArray when = taken.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1();
    when.append('\0');
    tiff.raw(when.leftJustified(20, '\0', true));
    tiff.u16(3);
    tiff.entry(0x0103, shortType, 1, 6);       // Compression: JPEG
    tiff.entry(0x0201, longType, 1, thumbnailAt);
    tiff.entry(0x0202, longType, 1, quint32(thumbnail.size()));
    tiff.u32(0);
    Q_ASSERT(tiff.size() == thumbnailAt);
    tiff.raw(thumbnail);

    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff.bytes();
    const quint32 length = quint32(payload.size()) + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(length >> 8)).append(char(length & 0xFF));
    return segment + payload;
}

} // namespace

QImage picture(int number, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int hue = (number * 47) % 360;
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor::fromHsv(hue, 120, 250));
    sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 60, 255));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((hue + 180) % 360, 200, 255));
    const int r = size.height() / 8;
    painter.drawEllipse(QPoint(size.width() * (2 + number % 6) / 9, size.height() / 4), r, r);
    for (int layer = 0; layer < 3; ++layer) {
        QPainterPath hills;
        const int base = size.height() * (5 + layer) / 9;
        hills.moveTo(0, size.height());
        for (int x = 0; x <= size.width(); x += size.width() / 8) {
            const int wave = ((number + 3) * (x + 17 * layer) / 7) % (size.height() / 6);
            hills.lineTo(x, base - wave);
        }
        hills.lineTo(size.width(), size.height());
        painter.setBrush(QColor::fromHsv((hue + 90 + layer * 25) % 360, 150, 160 - layer * 40));
        painter.drawPath(hills);
    }
    return image;
}

QByteArray cameraJPEG(const QImage &image, const QDateTime &taken, int quality)
{
    const QByteArray thumbnail = encode(image.scaled(160, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation), 70);
    QByteArray jpeg = encode(image, quality);
    // A camera's file has no JFIF segment: the EXIF block comes straight after the start.
    qsizetype rest = 2;
    if (jpeg.size() > 6 && quint8(jpeg[2]) == 0xFF && quint8(jpeg[3]) == 0xE0)
        rest = 4 + (quint8(jpeg[4]) << 8 | quint8(jpeg[5]));
    return jpeg.first(2) + exifSegment(taken, thumbnail) + jpeg.sliced(rest);
}

} // namespace tarvel::sample
