#pragma once

// The small pictures of a folder's images and the larger ones of the preview. Thumbnails
// are fetched only for what the window says is on screen, in the order it gives, one at a
// time, and only while the lane is free: no counted engine call in flight and no transfer
// running. So an operation the user asks for waits at most for the one thumbnail already
// on the lane. Each picture is kept in a disk cache, named by the phone, the path, the size
// and the date, so it is fetched once across folders, reconnections and runs.

#include "TarvelCore/PictureCache.h"
#include "TarvelCore/SerialWorker.h"
#include "TarvelCore/WatchedEngine.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>

namespace tarvel {

struct ThumbnailRequest {
    ObjectRequest object = {};
    QString cacheKey = {}; // from cacheKey()
    bool readsExif = false; // a JPEG: the thumbnail in its EXIF block when the phone keeps none

    friend bool operator==(const ThumbnailRequest &, const ThumbnailRequest &) = default;
};

class ThumbnailLoader : public QObject {
    Q_OBJECT

public:
    // About 10,000 thumbnails; the previews' cap holds several full-size photos.
    static constexpr qint64 thumbnailCacheCapBytes = 100LL * 1000 * 1000;
    static constexpr qint64 previewCacheCapBytes = 300LL * 1000 * 1000;

    // `transferRuns` says whether a transfer runs, which thumbnails also wait for between
    // its files. Pictures live in `cacheRoot`/thumbnails and `cacheRoot`/previews.
    ThumbnailLoader(std::shared_ptr<WatchedEngine> engine, std::function<bool()> transferRuns, QString cacheRoot,
                    QObject *parent = nullptr);
    ~ThumbnailLoader() override;

    // $XDG_CACHE_HOME/tarvel
    static QString defaultCacheRoot();
    // The name of an object's pictures: its phone (serial, or the device id without one),
    // storage, path, size and date, so a changed file is a new picture.
    static QString cacheKey(const QString &phone, const QString &storageID, const QString &path,
                            std::optional<qint64> sizeBytes, std::optional<QDateTime> modifiedAt);
    const QString &cacheRoot() const { return m_cacheRoot; }
    QString thumbnailFolder() const { return m_thumbnails->folder(); }
    QString previewFolder() const { return m_previews->folder(); }

    // What is on screen now, most wanted first; what was wanted before and is not in the
    // list is not fetched.
    void want(QList<ThumbnailRequest> requests);
    // Whether the key's thumbnail is in the cache, as far as known yet.
    bool hasThumbnail(const QString &key) const { return m_known.value(key) == Known::picture; }
    // The lane may have become free: carries on with what is wanted.
    void laneMayBeFree();

    // The whole file, read into the preview cache once; its path there, or nothing when the
    // file turns out larger than `limitBytes`. Counted as the user's own operation; throws
    // what the engine threw, cancelled once `control` is.
    QCoro::Task<std::optional<QString>> preview(ThumbnailRequest request, qint64 limitBytes,
                                                std::shared_ptr<TransferControl> control);

Q_SIGNALS:
    // The key's thumbnail is now in the cache.
    void thumbnailReady(QString key);

private:
    enum class Known { unknown, missing, exifOnly, fetching, picture, none };

    bool laneIsFree() const { return m_engine->callsInFlight() == 0 && !m_transferRuns(); }
    QCoro::Task<> pump();
    QCoro::Task<> lookUp(QStringList keys);
    // The thumbnail's bytes (empty: none to be had), or nothing when it must wait or failed
    // for a reason that may pass.
    QCoro::Task<std::optional<QByteArray>> fetch(ThumbnailRequest request);

    std::shared_ptr<WatchedEngine> m_engine;
    std::function<bool()> m_transferRuns;
    QString m_cacheRoot;
    std::shared_ptr<PictureCache> m_thumbnails;
    std::shared_ptr<PictureCache> m_previews;
    QList<ThumbnailRequest> m_wanted;
    QHash<QString, Known> m_known; // by key
    bool m_pumping = false;
    SerialWorker m_files; // the caches' file work; last, so it goes first and finishes its job
};

} // namespace tarvel
