#pragma once

// The one way the rest of the app reaches a phone, and an in-memory engine that
// answers from scripted values so the view model and the window run without one.

#include "TarvelCore/Attempt.h"
#include "TarvelCore/Models.h"
#include "TarvelCore/TransferControl.h"

#include <QCoro/QCoroTask>
#include <QHash>
#include <QList>
#include <QUrl>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace tarvel {

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
    bool replacesExisting = true; // false: a file already at localURL makes the copy fail, untouched

    friend bool operator==(const DownloadRequest &, const DownloadRequest &) = default;
};

struct UploadRequest {
    QString deviceID = {};
    QString storageID = {};
    QUrl localURL = {};
    std::optional<QString> remoteParentID = {};
    std::optional<QString> remoteName = {}; // absent: the local file's name

    friend bool operator==(const UploadRequest &, const UploadRequest &) = default;
};

struct FolderRequest {
    QString deviceID = {};
    QString storageID = {};
    std::optional<QString> parentID = {};
    QString name = {};

    friend bool operator==(const FolderRequest &, const FolderRequest &) = default;
};

// A folder's entries, and whether they are all of them.
struct DirectoryListing {
    QList<RemoteEntry> entries = {};
    bool complete = true; // false when the phone answered but could not describe some objects

    friend bool operator==(const DirectoryListing &, const DirectoryListing &) = default;
};

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

    // Later additions. Each has a default built on the operations above, so an engine
    // written against those alone keeps working.

    // listDirectory that also says when the phone could not describe every object.
    virtual QCoro::Task<DirectoryListing> listFolder(DirectoryRequest request);
    // downloadFile and uploadFile that store their progress in `control` and, once it is
    // cancelled, stop soon with TransferError::cancelled() and leave nothing behind: no
    // partial local file, no partial object on the phone.
    virtual QCoro::Task<> download(DownloadRequest request, std::shared_ptr<TransferControl> control);
    virtual QCoro::Task<> upload(UploadRequest request, std::shared_ptr<TransferControl> control);
    // Creates folder `name` inside parentID (absent: the storage's root); returns its id.
    virtual QCoro::Task<QString> createFolder(QString deviceID, QString storageID, std::optional<QString> parentID,
                                              QString name);
    // True when operations started together still run one at a time, in the order they
    // were started.
    virtual bool queuesOperations() const { return false; }
    // Downloads the first requests, in order, as download does each, storing in `control`
    // which one is in flight. Returns how each that ran ended, null for copied: at least the
    // first, and no more after one that was cancelled or found the phone gone. The caller
    // asks again for the rest. The default runs only the first.
    virtual QCoro::Task<QList<std::exception_ptr>> downloadSeries(QList<DownloadRequest> requests,
                                                                  std::shared_ptr<TransferControl> control);
    // The same for uploads.
    virtual QCoro::Task<QList<std::exception_ptr>> uploadSeries(QList<UploadRequest> requests,
                                                                std::shared_ptr<TransferControl> control);
    // Lists the first folders, in order, as listFolder does each. Returns each one's listing or
    // error: at least the first, and none after one that found the phone gone or once
    // `control` is cancelled. The caller asks again for the rest. The default lists only the first.
    virtual QCoro::Task<QList<Attempt<DirectoryListing>>> listFolders(QList<DirectoryRequest> requests,
                                                                      std::shared_ptr<TransferControl> control);
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
    // Record their requests like the calls above and hand the test the control through
    // lastTransferControl; a transfer whose control is cancelled while its hook holds it
    // throws TransferError::cancelled() and records nothing.
    QCoro::Task<> download(DownloadRequest request, std::shared_ptr<TransferControl> control) override;
    QCoro::Task<> upload(UploadRequest request, std::shared_ptr<TransferControl> control) override;
    // listDirectory's answer, marked incomplete while listingsIncomplete is set.
    QCoro::Task<DirectoryListing> listFolder(DirectoryRequest request) override;
    // Records the request and answers "folder-<n>" (n counts from 1), or throws
    // createFolderError; the new folder shows in later listings of its parent.
    QCoro::Task<QString> createFolder(QString deviceID, QString storageID, std::optional<QString> parentID,
                                      QString name) override;

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
    Hook beforeUpload;
    std::shared_ptr<TransferControl> lastTransferControl;
    bool listingsIncomplete = false;
    std::optional<TransferError> createFolderError;
    QList<FolderRequest> folderRequests;
    Hook beforeScan;                          // holds scanDevices
    std::optional<TransferError> storageError; // thrown by listStorage, as a phone that will not open
    int scans = 0;
};

} // namespace tarvel
