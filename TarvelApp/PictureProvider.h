#pragma once

// Decodes the cached pictures for the window: "image://tarvel/thumbnails/KEY" and
// "image://tarvel/previews/KEY". What comes from a phone may be anything: a picture that
// is not one, too large or cut short decodes to nothing, and the window shows the kind's
// icon instead.

#include <QQuickImageProvider>

#include <optional>

namespace tarvel {

class PictureProvider : public QQuickImageProvider {
public:
    static inline const QString providerName = QStringLiteral("tarvel");
    // Whatever a photo claims, nothing wider or taller is decoded.
    static constexpr int maximumSide = 30000;
    // Qt's readers allocate at most this many megabytes for one image, in any reader of the
    // process: set once when the window is built.
    static constexpr int allocationLimitMB = 128;

    explicit PictureProvider(QString cacheRoot);

    // Called on Qt Quick's image threads: it only reads files.
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // The picture in a file, scaled down in the decoder to fit `bound` (when valid); a null
    // image for anything that does not decode.
    static QImage decode(const QString &path, QSize bound);
    // The size a picture's header claims when it is more than decode() opens: a side past
    // maximumSide, or more pixels than the readers may allocate; nothing otherwise.
    static std::optional<QSize> tooLargeToDecode(const QString &path);

private:
    QString m_cacheRoot;
};

} // namespace tarvel
