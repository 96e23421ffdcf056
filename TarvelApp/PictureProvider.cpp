#include "TarvelApp/PictureProvider.h"

#include <QDir>
#include <QImageReader>
#include <QRegularExpression>

namespace tarvel {

PictureProvider::PictureProvider(QString cacheRoot)
    : QQuickImageProvider(QQuickImageProvider::Image), m_cacheRoot(std::move(cacheRoot))
{
}

QImage PictureProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    // A folder and a key the loader made: nothing in the id may lead elsewhere.
    static const QRegularExpression valid(QStringLiteral("^(thumbnails|previews)/[0-9a-f]{40}$"));
    QImage image;
    if (valid.match(id).hasMatch())
        image = decode(QDir(m_cacheRoot).filePath(id), requestedSize);
    if (size)
        *size = image.size();
    return image;
}

std::optional<QSize> PictureProvider::tooLargeToDecode(const QString &path)
{
    const QSize size = QImageReader(path).size();
    if (!size.isValid())
        return std::nullopt;
    const bool tooLarge = size.width() > maximumSide || size.height() > maximumSide
        || qint64(size.width()) * size.height() * 4 > qint64(allocationLimitMB) * 1024 * 1024;
    return tooLarge ? std::optional(size) : std::nullopt;
}

QImage PictureProvider::decode(const QString &path, QSize bound)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > maximumSide || size.height() > maximumSide)
        return {};
    if (bound.isValid() && !bound.isEmpty() && (size.width() > bound.width() || size.height() > bound.height()))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

} // namespace tarvel
