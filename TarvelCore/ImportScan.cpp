#include "TarvelCore/ImportScan.h"

namespace tarvel {

namespace {

const RemoteEntry *folderNamed(const QList<RemoteEntry> &entries, const QString &name)
{
    for (const RemoteEntry &entry : entries) {
        // Phones differ in case ("DCIM", "dcim") but never hold both.
        if (entry.kind == RemoteEntryKind::folder && entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace

ImportScan::ImportScan(std::shared_ptr<AndroidFileTransferEngine> engine, QString deviceID, QList<AndroidStorage> storages)
    : m_engine(std::move(engine)), m_deviceID(std::move(deviceID)), m_storages(std::move(storages))
{
}

QCoro::Task<QList<RemoteEntry>> ImportScan::list(QString storageID, std::optional<QString> folderID)
{
    if (m_control->isCancelled())
        throw TransferError::cancelled();
    // Named first: GCC 12 mishandles a braced list inside a co_await expression.
    QList<DirectoryRequest> requests{DirectoryRequest{m_deviceID, storageID, folderID}};
    auto listings = co_await m_engine->listFolders(std::move(requests), m_control);
    if (m_control->isCancelled())
        throw TransferError::cancelled();
    if (listings.isEmpty())
        std::rethrow_exception(noResult());
    if (listings.first().error)
        std::rethrow_exception(listings.first().error);
    co_return std::move(listings.first().value.entries);
}

QCoro::Task<QList<CameraFolder>> ImportScan::findCameraFolders()
{
    QList<CameraFolder> found;
    for (const AndroidStorage &storage : m_storages) {
        const QList<RemoteEntry> root = co_await list(storage.id, std::nullopt);
        for (const QString &parent : {QStringLiteral("DCIM"), QStringLiteral("Pictures")}) {
            const RemoteEntry *folder = folderNamed(root, parent);
            if (!folder)
                continue;
            const QString parentPath = folder->name;
            const QList<RemoteEntry> inside = co_await list(storage.id, folder->id);
            for (const RemoteEntry &entry : inside) {
                if (entry.kind == RemoteEntryKind::folder && !isHiddenName(entry.name))
                    found.append({storage.id, storage.name, parentPath + QLatin1Char('/') + entry.name, entry.id});
            }
        }
        if (const RemoteEntry *movies = folderNamed(root, QStringLiteral("Movies")))
            found.append({storage.id, storage.name, movies->name, movies->id});
    }
    co_return found;
}

QCoro::Task<QList<ImportCandidate>> ImportScan::look(QList<CameraFolder> chosen)
{
    QList<ImportCandidate> found;
    QList<CameraFolder> toList = std::move(chosen);
    m_progress = Progress{.folderCount = int(toList.size())};
    for (qsizetype i = 0; i < toList.size(); ++i) {
        const CameraFolder folder = toList.at(i);
        m_progress.folder = folder.path;
        QList<RemoteEntry> entries = co_await list(folder.storageID, folder.id);
        found.reserve(found.size() + entries.size());
        for (RemoteEntry &entry : entries) {
            if (isHiddenName(entry.name))
                continue;
            const QString path = folder.path + QLatin1Char('/') + entry.name;
            if (entry.kind == RemoteEntryKind::folder) {
                toList.append({folder.storageID, folder.storageName, path, entry.id});
                ++m_progress.folderCount;
            } else if (isPhotoOrVideo(entry.name)) {
                found.append({folder.storageID, path, std::move(entry)});
                ++m_progress.itemsFound;
            }
        }
        ++m_progress.foldersDone;
    }
    co_return found;
}

} // namespace tarvel
