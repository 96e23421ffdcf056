#include "TarvelCore/ThumbnailLoader.h"

#include "TarvelCore/ExifThumbnail.h"

#include <QCryptographicHash>
#include <QDir>
#include <QPointer>
#include <QStandardPaths>

namespace tarvel {

ThumbnailLoader::ThumbnailLoader(std::shared_ptr<WatchedEngine> engine, std::function<bool()> transferRuns,
                                 QString cacheRoot, QObject *parent)
    : QObject(parent)
    , m_engine(std::move(engine))
    , m_transferRuns(std::move(transferRuns))
    , m_cacheRoot(cacheRoot)
    , m_thumbnails(std::make_shared<PictureCache>(QDir(cacheRoot).filePath(QStringLiteral("thumbnails")),
                                                  thumbnailCacheCapBytes))
    , m_previews(std::make_shared<PictureCache>(QDir(cacheRoot).filePath(QStringLiteral("previews")),
                                                previewCacheCapBytes))
{
}

ThumbnailLoader::~ThumbnailLoader() = default;

QString ThumbnailLoader::defaultCacheRoot()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("tarvel"));
}

QString ThumbnailLoader::cacheKey(const QString &phone, const QString &storageID, const QString &path,
                                  std::optional<qint64> sizeBytes, std::optional<QDateTime> modifiedAt)
{
    const QStringList parts{phone, storageID, path, sizeBytes ? QString::number(*sizeBytes) : QString(),
                            modifiedAt ? modifiedAt->toUTC().toString(Qt::ISODate) : QString()};
    // NUL cannot be in any of them, so two different lists never join alike.
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QChar(0)).toUtf8(), QCryptographicHash::Sha1).toHex());
}

void ThumbnailLoader::want(QList<ThumbnailRequest> requests)
{
    m_wanted = std::move(requests);
    laneMayBeFree();
}

void ThumbnailLoader::laneMayBeFree()
{
    if (!m_pumping)
        pump();
}

// Started and dropped: it catches everything, and stops when nothing wanted can be done now.
QCoro::Task<> ThumbnailLoader::pump()
{
    m_pumping = true;
    QPointer<ThumbnailLoader> self(this);
    try {
        while (true) {
            QStringList unknown;
            for (const ThumbnailRequest &request : std::as_const(m_wanted)) {
                if (m_known.value(request.cacheKey) == Known::unknown && !unknown.contains(request.cacheKey))
                    unknown.append(request.cacheKey);
            }
            if (!unknown.isEmpty()) {
                co_await lookUp(unknown);
                if (!self)
                    co_return;
                continue;
            }
            std::optional<ThumbnailRequest> next;
            for (const ThumbnailRequest &request : std::as_const(m_wanted)) {
                const Known known = m_known.value(request.cacheKey);
                if (known == Known::missing || known == Known::exifOnly) {
                    next = request;
                    break;
                }
            }
            if (!next || !laneIsFree())
                break;
            m_known[next->cacheKey] = Known::fetching;
            const std::optional<QByteArray> bytes = co_await fetch(*next);
            if (!self)
                co_return;
            if (!bytes) {
                const Known known = m_known.value(next->cacheKey);
                if (known == Known::none) // refused: on to the next
                    continue;
                if (known == Known::exifOnly) // its second part waits for the lane
                    break;
                // Failed for a reason that may pass (the phone gone): nothing more until the
                // window asks again.
                m_known[next->cacheKey] = Known::missing;
                m_wanted.clear();
                break;
            }
            const auto cache = m_thumbnails;
            const QString key = next->cacheKey;
            auto store = [cache, key, picture = *bytes] { cache->store(key, picture); };
            co_await awaitResult(m_files.run(std::move(store)));
            if (!self)
                co_return;
            m_known[key] = bytes->isEmpty() ? Known::none : Known::picture;
            if (!bytes->isEmpty())
                Q_EMIT thumbnailReady(key);
        }
    } catch (...) {
        // A cache that cannot be read only costs fetching again; nothing to tell.
        if (!self)
            co_return;
    }
    m_pumping = false;
}

QCoro::Task<> ThumbnailLoader::lookUp(QStringList keys)
{
    for (const QString &key : keys)
        m_known[key] = Known::fetching; // asked already: not asked again meanwhile
    const auto cache = m_thumbnails;
    auto look = [cache, keys] {
        QHash<QString, qint64> sizes;
        for (const QString &key : keys) {
            if (const auto size = cache->lookup(key))
                sizes.insert(key, *size);
        }
        return sizes;
    };
    QPointer<ThumbnailLoader> self(this);
    const QHash<QString, qint64> sizes = co_await awaitResult(m_files.run(std::move(look)));
    if (!self)
        co_return;
    for (const QString &key : keys) {
        const auto size = sizes.constFind(key);
        m_known[key] = size == sizes.constEnd() ? Known::missing : *size > 0 ? Known::picture : Known::none;
        if (m_known[key] == Known::picture)
            Q_EMIT thumbnailReady(key);
    }
}

QCoro::Task<std::optional<QByteArray>> ThumbnailLoader::fetch(ThumbnailRequest request)
{
    const auto engine = m_engine->inner();
    QPointer<ThumbnailLoader> self(this);
    try {
        if (m_known.value(request.cacheKey) != Known::exifOnly) {
            const QByteArray own = co_await engine->thumbnail(request.object);
            if (!self)
                co_return std::nullopt;
            if (!own.isEmpty() || !request.readsExif)
                co_return own;
            m_known[request.cacheKey] = Known::exifOnly;
            // The partial read is a second job: it waits if anything came meanwhile.
            if (!laneIsFree())
                co_return std::nullopt;
        }
        const QByteArray start = co_await engine->readPart(request.object, 0, exifReadLength);
        co_return exifThumbnail(start).value_or(QByteArray());
    } catch (const TransferError &error) {
        // A phone that cannot read part of a file has no picture for it, this time; others
        // (the phone gone, a busy lane) may pass.
        if (error.kind() != TransferError::Kind::deviceRefused || !self)
            co_return std::nullopt;
    }
    m_known[request.cacheKey] = Known::none; // kept for this run only: never written to the cache
    co_return std::nullopt;
}

QCoro::Task<std::optional<QString>> ThumbnailLoader::preview(ThumbnailRequest request, qint64 limitBytes,
                                                             std::shared_ptr<TransferControl> control)
{
    const auto cache = m_previews;
    const auto engine = m_engine;
    const QString key = request.cacheKey;
    auto look = [cache, key] { return cache->lookup(key); };
    const std::optional<qint64> found = co_await awaitResult(m_files.run(std::move(look)));
    if (found && *found > 0)
        co_return cache->pathOf(key);
    if (!request.object.sizeBytes) {
        // The phone did not say how large the file is: one byte past the limit tells, and
        // a file of any size is never read whole.
        QByteArray bytes = co_await engine->readPart(request.object, 0, limitBytes + 1);
        if (control->isCancelled())
            throw TransferError::cancelled();
        if (bytes.size() > limitBytes)
            co_return std::nullopt;
        auto keep = [cache, key, bytes = std::move(bytes)] { return cache->store(key, bytes); };
        if (!co_await awaitResult(m_files.run(std::move(keep))))
            throw TransferError::writeFailed();
        co_return cache->pathOf(key);
    }
    const DownloadRequest download{.deviceID = request.object.deviceID,
                                   .remoteFileID = request.object.objectID,
                                   .localFolder = cache->folder(),
                                   .localName = key};
    QList<DownloadRequest> requests{download};
    const QList<std::exception_ptr> outcomes = co_await engine->downloadSeries(std::move(requests), control);
    if (outcomes.isEmpty())
        throw TransferError::cancelled();
    if (outcomes.first())
        std::rethrow_exception(outcomes.first());
    auto adopt = [cache, key] { cache->adopt(key); };
    co_await awaitResult(m_files.run(std::move(adopt)));
    co_return cache->pathOf(key);
}

} // namespace tarvel
