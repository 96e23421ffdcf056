#pragma once

// The one way the rest of the app reaches a phone, and an in-memory engine that
// answers from scripted values so the view model and the window run without one.

#include "TarvelCore/Models.h"

#include <QCoro/QCoroTask>
#include <QHash>
#include <QList>
#include <QUrl>

#include <functional>
#include <optional>

namespace tarvel {

// Every operation may throw; engines throw TransferError. Ids in results are
// handed back to later calls unchanged.
class AndroidFileTransferEngine {
public:
    virtual ~AndroidFileTransferEngine() = default;
    virtual QCoro::Task<QList<AndroidDevice>> scanDevices() = 0;
    virtual QCoro::Task<QList<AndroidStorage>> listStorage(QString deviceID) = 0;
    // An absent parentID is the storage's root.
    virtual QCoro::Task<QList<RemoteEntry>> listDirectory(QString deviceID, QString storageID, std::optional<QString> parentID) = 0;
    virtual QCoro::Task<> downloadFile(QString deviceID, QString remoteFileID, QUrl localURL) = 0;
    virtual QCoro::Task<> uploadFile(QString deviceID, QString storageID, QUrl localURL, std::optional<QString> remoteParentID) = 0;
};

struct DirectoryRequest {
    QString deviceID = {};
    QString storageID = {};
    std::optional<QString> parentID = {};

    friend bool operator==(const DirectoryRequest &, const DirectoryRequest &) = default;
};

struct DownloadRequest {
    QString deviceID = {};
    QString remoteFileID = {};
    QUrl localURL = {};

    friend bool operator==(const DownloadRequest &, const DownloadRequest &) = default;
};

struct UploadRequest {
    QString deviceID = {};
    QString storageID = {};
    QUrl localURL = {};
    std::optional<QString> remoteParentID = {};

    friend bool operator==(const UploadRequest &, const UploadRequest &) = default;
};

// Reads its members at the moment each step needs them, so a test may change them
// between or during operations. Runs on the caller's (UI) thread; it touches no file.
class FakeAndroidFileTransferEngine : public AndroidFileTransferEngine {
public:
    using Hook = std::function<QCoro::Task<>()>; // empty means absent

    explicit FakeAndroidFileTransferEngine(QList<AndroidDevice> devicesToReturn = {},
                                           std::optional<TransferError> scanError = std::nullopt,
                                           std::optional<TransferError> directoryError = std::nullopt,
                                           Hook beforeDirectoryListing = {},
                                           Hook beforeDownload = {},
                                           QList<AndroidStorage> storagesToReturn = {},
                                           QList<RemoteEntry> entriesToReturn = {},
                                           QHash<QString, QList<RemoteEntry>> entriesByParentID = {});

    QCoro::Task<QList<AndroidDevice>> scanDevices() override;
    QCoro::Task<QList<AndroidStorage>> listStorage(QString deviceID) override;
    QCoro::Task<QList<RemoteEntry>> listDirectory(QString deviceID, QString storageID, std::optional<QString> parentID) override;
    QCoro::Task<> downloadFile(QString deviceID, QString remoteFileID, QUrl localURL) override;
    QCoro::Task<> uploadFile(QString deviceID, QString storageID, QUrl localURL, std::optional<QString> remoteParentID) override;

    QList<AndroidDevice> devicesToReturn;
    std::optional<TransferError> scanError;
    std::optional<TransferError> directoryError;
    std::optional<TransferError> downloadError;
    std::optional<TransferError> uploadError;
    Hook beforeDirectoryListing;
    Hook beforeDownload;
    QList<AndroidStorage> storagesToReturn;
    QList<RemoteEntry> entriesToReturn;
    QHash<QString, QList<RemoteEntry>> entriesByParentID; // "" is the root
    QList<DirectoryRequest> directoryRequests;
    QList<DownloadRequest> downloadRequests;
    QList<UploadRequest> uploadRequests;
};

} // namespace tarvel
