#include "TarvelCore/ExifThumbnail.h"

#include <cstring>

namespace tarvel {

namespace {

// The TIFF structure inside the EXIF segment; every read is checked against its end.
class Tiff {
public:
    explicit Tiff(QByteArrayView bytes) : m_bytes(bytes) {}

    bool readHeader()
    {
        if (m_bytes.size() < 8)
            return false;
        if (m_bytes.first(2) == "II")
            m_littleEndian = true;
        else if (m_bytes.first(2) == "MM")
            m_littleEndian = false;
        else
            return false;
        return u16(2) == 42;
    }

    bool has(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }

    std::optional<quint32> u16(qint64 offset) const
    {
        if (!has(offset, 2))
            return std::nullopt;
        const auto b = [&](int i) { return quint32(quint8(m_bytes[offset + i])); };
        return m_littleEndian ? b(0) | b(1) << 8 : b(0) << 8 | b(1);
    }

    std::optional<quint32> u32(qint64 offset) const
    {
        const auto low = u16(offset + (m_littleEndian ? 0 : 2));
        const auto high = u16(offset + (m_littleEndian ? 2 : 0));
        if (!low || !high)
            return std::nullopt;
        return *low | *high << 16;
    }

    // A directory's entry count, checked to fit; nothing for a directory outside the block.
    std::optional<quint32> entryCount(qint64 directory) const
    {
        const auto count = u16(directory);
        if (!count || !has(directory + 2, qint64(*count) * 12 + 4))
            return std::nullopt;
        return count;
    }

    // The value of a SHORT or LONG tag with one value.
    std::optional<quint32> tagValue(qint64 directory, quint16 tag) const
    {
        const auto count = entryCount(directory);
        for (quint32 i = 0; count && i < *count; ++i) {
            const qint64 entry = directory + 2 + qint64(i) * 12;
            if (u16(entry) != tag)
                continue;
            const auto type = u16(entry + 2);
            if (type == 3u)
                return u16(entry + 8);
            if (type == 4u)
                return u32(entry + 8);
            return std::nullopt;
        }
        return std::nullopt;
    }

    QByteArrayView bytes() const { return m_bytes; }

private:
    QByteArrayView m_bytes;
    bool m_littleEndian = true;
};

std::optional<QByteArray> thumbnailInTiff(QByteArrayView bytes)
{
    Tiff tiff(bytes);
    if (!tiff.readHeader())
        return std::nullopt;
    const auto first = tiff.u32(4);
    const auto firstCount = first ? tiff.entryCount(*first) : std::nullopt;
    if (!firstCount)
        return std::nullopt;
    const auto second = tiff.u32(qint64(*first) + 2 + qint64(*firstCount) * 12);
    if (!second || *second == 0)
        return std::nullopt;
    constexpr quint16 thumbnailOffsetTag = 0x0201;
    constexpr quint16 thumbnailLengthTag = 0x0202;
    const auto offset = tiff.tagValue(*second, thumbnailOffsetTag);
    const auto length = tiff.tagValue(*second, thumbnailLengthTag);
    if (!offset || !length || *length < 4 || !tiff.has(*offset, *length))
        return std::nullopt;
    const QByteArrayView thumbnail = bytes.sliced(*offset, *length);
    if (quint8(thumbnail[0]) != 0xFF || quint8(thumbnail[1]) != 0xD8)
        return std::nullopt;
    return thumbnail.toByteArray();
}

} // namespace

std::optional<QByteArray> exifThumbnail(const QByteArray &jpegStart)
{
    const QByteArrayView data(jpegStart);
    const auto byte = [&](qint64 i) { return quint8(data[i]); };
    if (data.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return std::nullopt;
    qint64 pos = 2;
    while (pos + 4 <= data.size()) {
        if (byte(pos) != 0xFF)
            return std::nullopt;
        const quint8 marker = byte(pos + 1);
        if (marker == 0xFF) { // fill byte before a marker
            ++pos;
            continue;
        }
        // The picture's data begins: the metadata segments are all behind.
        if (marker == 0xDA || marker == 0xD9)
            return std::nullopt;
        const qint64 length = qint64(byte(pos + 2)) << 8 | byte(pos + 3);
        if (length < 2)
            return std::nullopt;
        const qint64 start = pos + 4;
        // A segment cut short by the partial read still holds what fits.
        const qint64 available = std::min(length - 2, data.size() - start);
        static constexpr char exifHeader[] = {'E', 'x', 'i', 'f', '\0', '\0'};
        if (marker == 0xE1 && available >= 6 && std::memcmp(data.data() + start, exifHeader, 6) == 0)
            return thumbnailInTiff(data.sliced(start + 6, available - 6));
        pos += 2 + length;
    }
    return std::nullopt;
}

} // namespace tarvel
