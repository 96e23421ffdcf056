#include "TarvelCore/AndroidFileTransferEngine.h"

namespace tarvel {

namespace {

// The first operations failed with nativeError and the native text for everything but a
// cancel; the one body tells failures apart, and its kinds are mapped back here.
[[noreturn]] void rethrowAsFirstOperations(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &failure) {
        if (failure.kind() == TransferError::Kind::disconnected)
            throw TransferError::nativeError(QStringLiteral("MTP device is not connected or not available"));
        if (failure.kind() != TransferError::Kind::cancelled && !failure.nativeMessage().isEmpty())
            throw TransferError::nativeError(failure.nativeMessage());
        throw;
    }
}

// What the one request of a run ended with, thrown.
void rethrowFirst(const QList<std::exception_ptr> &outcomes)
{
    const std::exception_ptr first = outcomes.isEmpty() ? noResult() : outcomes.first();
    if (first)
        rethrowAsFirstOperations(first);
}

} // namespace

QCoro::Task<QList<RemoteEntry>> AndroidFileTransferEngine::listDirectory(QString deviceID, QString storageID,
                                                                         std::optional<QString> parentID)
{
    QList<DirectoryRequest> requests{DirectoryRequest{deviceID, storageID, parentID}};
    auto control = std::make_shared<TransferControl>();
    const QList<Attempt<DirectoryListing>> listings = co_await listFolders(std::move(requests), std::move(control));
    if (listings.isEmpty() || listings.first().error)
        rethrowAsFirstOperations(listings.isEmpty() ? noResult() : listings.first().error);
    co_return listings.first().value.entries;
}

QCoro::Task<> AndroidFileTransferEngine::downloadFile(QString deviceID, QString remoteFileID, QUrl localURL)
{
    const QString path = localURL.toLocalFile();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash > 0 ? path.left(slash) : (slash == 0 ? QStringLiteral("/") : QStringLiteral("."));
    QList<DownloadRequest> requests{DownloadRequest{deviceID, remoteFileID, folder, path.mid(slash + 1), true}};
    auto control = std::make_shared<TransferControl>();
    rethrowFirst(co_await downloadSeries(std::move(requests), std::move(control)));
}

QCoro::Task<> AndroidFileTransferEngine::uploadFile(QString deviceID, QString storageID, QUrl localURL,
                                                    std::optional<QString> remoteParentID)
{
    QList<UploadRequest> requests{UploadRequest{deviceID, storageID, localURL, remoteParentID}};
    auto control = std::make_shared<TransferControl>();
    rethrowFirst(co_await uploadSeries(std::move(requests), std::move(control)));
}

QCoro::Task<DirectoryListing> listOneFolder(std::shared_ptr<AndroidFileTransferEngine> engine, DirectoryRequest request)
{
    QList<DirectoryRequest> requests{std::move(request)};
    auto control = std::make_shared<TransferControl>();
    const QList<Attempt<DirectoryListing>> listings = co_await engine->listFolders(std::move(requests), std::move(control));
    if (listings.isEmpty() || listings.first().error)
        std::rethrow_exception(listings.isEmpty() ? noResult() : listings.first().error);
    co_return listings.first().value;
}

FakeAndroidFileTransferEngine::FakeAndroidFileTransferEngine(QList<AndroidDevice> devicesToReturn,
                                                             std::optional<TransferError> scanError,
                                                             std::optional<TransferError> directoryError,
                                                             Hook beforeDirectoryListing,
                                                             Hook beforeDownload,
                                                             QList<AndroidStorage> storagesToReturn,
                                                             QList<RemoteEntry> entriesToReturn,
                                                             QHash<QString, QList<RemoteEntry>> entriesByParentID)
    : devicesToReturn(std::move(devicesToReturn))
    , scanError(std::move(scanError))
    , directoryError(std::move(directoryError))
    , beforeDirectoryListing(std::move(beforeDirectoryListing))
    , beforeDownload(std::move(beforeDownload))
    , storagesToReturn(std::move(storagesToReturn))
    , entriesToReturn(std::move(entriesToReturn))
    , entriesByParentID(std::move(entriesByParentID))
{
}

// Results are returned as fresh copies: handing a member to co_return may move from it.

QCoro::Task<QList<AndroidDevice>> FakeAndroidFileTransferEngine::scanDevices()
{
    ++scans;
    if (const Hook hook = beforeScan)
        co_await hook();
    if (scanError)
        throw TransferError(*scanError);
    co_return QList<AndroidDevice>(devicesToReturn);
}

QCoro::Task<QList<AndroidStorage>> FakeAndroidFileTransferEngine::listStorage(QString)
{
    if (storageError)
        throw TransferError(*storageError);
    co_return QList<AndroidStorage>(storagesToReturn);
}

QCoro::Task<QList<Attempt<DirectoryListing>>> FakeAndroidFileTransferEngine::listFolders(
    QList<DirectoryRequest> requests, std::shared_ptr<TransferControl>)
{
    const DirectoryRequest request = requests.value(0);
    // A copy: the test may reassign the member while the hook is suspended.
    if (const Hook hook = beforeDirectoryListing)
        co_await hook();
    directoryRequests.append(request);
    Attempt<DirectoryListing> listing;
    if (directoryError) {
        listing.error = std::make_exception_ptr(TransferError(*directoryError));
    } else {
        const QString root = entriesByParentID.contains(request.storageID) ? request.storageID : QString();
        const auto found = entriesByParentID.constFind(request.parentID.value_or(root));
        listing.value.entries = found != entriesByParentID.constEnd() ? *found : entriesToReturn;
        listing.value.complete = !listingsIncomplete;
    }
    co_return QList<Attempt<DirectoryListing>>{listing};
}

QCoro::Task<QList<std::exception_ptr>> FakeAndroidFileTransferEngine::downloadSeries(QList<DownloadRequest> requests,
                                                                                    std::shared_ptr<TransferControl> control)
{
    const DownloadRequest request = requests.value(0);
    lastTransferControl = control;
    if (const Hook hook = beforeDownload)
        co_await hook();
    std::exception_ptr outcome;
    if (control->isCancelled())
        outcome = std::make_exception_ptr(TransferError::cancelled());
    else if (downloadError)
        outcome = std::make_exception_ptr(TransferError(*downloadError));
    else
        downloadRequests.append(request);
    co_return QList<std::exception_ptr>{outcome};
}

QCoro::Task<QList<std::exception_ptr>> FakeAndroidFileTransferEngine::uploadSeries(QList<UploadRequest> requests,
                                                                                  std::shared_ptr<TransferControl> control)
{
    const UploadRequest request = requests.value(0);
    lastTransferControl = control;
    if (const Hook hook = beforeUpload)
        co_await hook();
    std::exception_ptr outcome;
    if (control->isCancelled())
        outcome = std::make_exception_ptr(TransferError::cancelled());
    else if (uploadError)
        outcome = std::make_exception_ptr(TransferError(*uploadError));
    else
        uploadRequests.append(request);
    co_return QList<std::exception_ptr>{outcome};
}

QCoro::Task<QString> FakeAndroidFileTransferEngine::createFolder(FolderRequest request)
{
    if (createFolderError)
        throw TransferError(*createFolderError);
    folderRequests.append(request);
    const QString id = QStringLiteral("folder-%1").arg(folderRequests.size());
    entriesByParentID[request.parentID.value_or(QString())].append(
        RemoteEntry{.id = id, .name = request.name, .parentID = request.parentID, .kind = RemoteEntryKind::folder});
    co_return id;
}

QCoro::Task<QList<std::exception_ptr>> FakeAndroidFileTransferEngine::deleteObjects(QList<ObjectRequest> requests,
                                                                                   std::shared_ptr<TransferControl> control)
{
    const ObjectRequest request = requests.value(0);
    lastTransferControl = control;
    if (const Hook hook = beforeDelete)
        co_await hook();
    std::exception_ptr outcome;
    if (control->isCancelled()) {
        outcome = std::make_exception_ptr(TransferError::cancelled());
    } else if (deleteError) {
        outcome = std::make_exception_ptr(TransferError(*deleteError));
    } else {
        deleteRequests.append(request);
        for (QList<RemoteEntry> &entries : entriesByParentID)
            entries.removeIf([&](const RemoteEntry &entry) { return entry.id == request.objectID; });
        entriesToReturn.removeIf([&](const RemoteEntry &entry) { return entry.id == request.objectID; });
    }
    co_return QList<std::exception_ptr>{outcome};
}

QCoro::Task<> FakeAndroidFileTransferEngine::renameObject(RenameRequest request)
{
    if (renameError)
        throw TransferError(*renameError);
    renameRequests.append(request);
    const auto rename = [&](QList<RemoteEntry> &entries) {
        for (RemoteEntry &entry : entries) {
            if (entry.id == request.object.objectID)
                entry.name = request.newName;
        }
    };
    for (QList<RemoteEntry> &entries : entriesByParentID)
        rename(entries);
    rename(entriesToReturn);
    co_return;
}

QCoro::Task<QByteArray> FakeAndroidFileTransferEngine::thumbnail(ObjectRequest request)
{
    if (const Hook hook = beforeThumbnail)
        co_await hook();
    thumbnailRequests.append(request);
    co_return thumbnails.value(request.objectID);
}

QCoro::Task<QByteArray> FakeAndroidFileTransferEngine::readPart(ObjectRequest request, qint64 offset, qint64 length)
{
    partReads.append({request.objectID, offset});
    if (partReadError)
        throw TransferError(*partReadError);
    co_return contents.value(request.objectID).mid(offset, length);
}

QCoro::Task<QList<PhoneEvent>> FakeAndroidFileTransferEngine::phoneEvents(QString, int)
{
    if (const Hook hook = beforeEvents)
        co_await hook();
    QList<PhoneEvent> events;
    events.swap(pendingEvents);
    co_return events;
}

} // namespace tarvel
