#include "TarvelCore/AndroidFileTransferEngine.h"

namespace tarvel {

namespace {

// A series of one: what an engine without series does with the first copy of one.
QCoro::Task<QList<std::exception_ptr>> firstOfSeries(std::shared_ptr<TransferControl> control,
                                                     std::function<QCoro::Task<>()> copy)
{
    control->setProgress(0, 0);
    control->setFileInSeries(0);
    const auto [error] = co_await attempt(copy());
    co_return QList<std::exception_ptr>{error};
}

} // namespace

QCoro::Task<DirectoryListing> AndroidFileTransferEngine::listFolder(DirectoryRequest request)
{
    QList<RemoteEntry> entries = co_await listDirectory(request.deviceID, request.storageID, request.parentID);
    co_return DirectoryListing{std::move(entries)};
}

QCoro::Task<> AndroidFileTransferEngine::download(DownloadRequest request, std::shared_ptr<TransferControl> control)
{
    if (control->isCancelled())
        throw TransferError::cancelled();
    co_await downloadFile(request.deviceID, request.remoteFileID, request.localURL);
}

QCoro::Task<> AndroidFileTransferEngine::upload(UploadRequest request, std::shared_ptr<TransferControl> control)
{
    if (control->isCancelled())
        throw TransferError::cancelled();
    if (request.remoteName && *request.remoteName != request.localURL.fileName())
        throw TransferError::nativeError(QStringLiteral("This phone cannot give an upload another name."));
    co_await uploadFile(request.deviceID, request.storageID, request.localURL, request.remoteParentID);
}

QCoro::Task<QString> AndroidFileTransferEngine::createFolder(QString, QString, std::optional<QString>, QString)
{
    throw TransferError::nativeError(QStringLiteral("This phone cannot create folders."));
    co_return QString();
}

QCoro::Task<QList<std::exception_ptr>> AndroidFileTransferEngine::downloadSeries(QList<DownloadRequest> requests,
                                                                                std::shared_ptr<TransferControl> control)
{
    std::function<QCoro::Task<>()> copy = [this, first = requests.value(0), control] { return download(first, control); };
    co_return co_await firstOfSeries(control, std::move(copy));
}

QCoro::Task<QList<std::exception_ptr>> AndroidFileTransferEngine::uploadSeries(QList<UploadRequest> requests,
                                                                              std::shared_ptr<TransferControl> control)
{
    std::function<QCoro::Task<>()> copy = [this, first = requests.value(0), control] { return upload(first, control); };
    co_return co_await firstOfSeries(control, std::move(copy));
}

QCoro::Task<QList<Attempt<DirectoryListing>>> AndroidFileTransferEngine::listFolders(QList<DirectoryRequest> requests,
                                                                                      std::shared_ptr<TransferControl>)
{
    DirectoryRequest first = requests.value(0);
    Attempt<DirectoryListing> listing = co_await attempt(listFolder(std::move(first)));
    co_return QList{listing};
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

QCoro::Task<QList<RemoteEntry>> FakeAndroidFileTransferEngine::listDirectory(QString deviceID, QString storageID,
                                                                             std::optional<QString> parentID)
{
    // A copy: the test may reassign the member while the hook is suspended.
    if (const Hook hook = beforeDirectoryListing)
        co_await hook();
    directoryRequests.append(DirectoryRequest{deviceID, storageID, parentID});
    if (directoryError)
        throw TransferError(*directoryError);
    const QString key = parentID.value_or(QString());
    const auto found = entriesByParentID.constFind(key);
    if (found != entriesByParentID.constEnd())
        co_return QList<RemoteEntry>(*found);
    co_return QList<RemoteEntry>(entriesToReturn);
}

QCoro::Task<> FakeAndroidFileTransferEngine::downloadFile(QString deviceID, QString remoteFileID, QUrl localURL)
{
    if (const Hook hook = beforeDownload)
        co_await hook();
    if (downloadError)
        throw TransferError(*downloadError);
    downloadRequests.append(DownloadRequest{deviceID, remoteFileID, localURL});
}

QCoro::Task<> FakeAndroidFileTransferEngine::uploadFile(QString deviceID, QString storageID, QUrl localURL,
                                                        std::optional<QString> remoteParentID)
{
    if (uploadError)
        throw TransferError(*uploadError);
    uploadRequests.append(UploadRequest{deviceID, storageID, localURL, remoteParentID});
    co_return;
}

QCoro::Task<DirectoryListing> FakeAndroidFileTransferEngine::listFolder(DirectoryRequest request)
{
    QList<RemoteEntry> entries = co_await listDirectory(request.deviceID, request.storageID, request.parentID);
    co_return DirectoryListing{std::move(entries), !listingsIncomplete};
}

QCoro::Task<> FakeAndroidFileTransferEngine::download(DownloadRequest request, std::shared_ptr<TransferControl> control)
{
    lastTransferControl = control;
    if (const Hook hook = beforeDownload)
        co_await hook();
    if (control->isCancelled())
        throw TransferError::cancelled();
    if (downloadError)
        throw TransferError(*downloadError);
    downloadRequests.append(request);
}

QCoro::Task<> FakeAndroidFileTransferEngine::upload(UploadRequest request, std::shared_ptr<TransferControl> control)
{
    lastTransferControl = control;
    if (const Hook hook = beforeUpload)
        co_await hook();
    if (control->isCancelled())
        throw TransferError::cancelled();
    if (uploadError)
        throw TransferError(*uploadError);
    uploadRequests.append(request);
}

QCoro::Task<QString> FakeAndroidFileTransferEngine::createFolder(QString deviceID, QString storageID,
                                                                 std::optional<QString> parentID, QString name)
{
    if (createFolderError)
        throw TransferError(*createFolderError);
    folderRequests.append(FolderRequest{deviceID, storageID, parentID, name});
    const QString id = QStringLiteral("folder-%1").arg(folderRequests.size());
    entriesByParentID[parentID.value_or(QString())].append(
        RemoteEntry{.id = id, .name = name, .parentID = parentID, .kind = RemoteEntryKind::folder});
    co_return id;
}

} // namespace tarvel
