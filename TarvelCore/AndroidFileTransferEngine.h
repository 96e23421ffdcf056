#pragma once

// The one way the rest of the app reaches a phone, and an in-memory engine that
// answers from scripted values so the view model and the window run without one.

#include "TarvelCore/Attempt.h"
#include "TarvelCore/Models.h"
#include "TarvelCore/TransferControl.h"

#include <QCoro/QCoroTask>
#include <QByteArray>
#include <QDateTime>
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
    // Where the copy lands: a folder on the computer and a name in it, as the batch placed
    // them, so the path is never joined and split again on the way to the bridge.
    QString localFolder = {};
    QString localName = {};
    bool replacesExisting = true; // false: a file already there makes the copy fail, untouched
    std::optional<QDateTime> modifiedAt = {}; // the phone's date, given to the copy as its own
    // A copy that may resume: the tag of the hidden part its bytes gather in, kept when the
    // copy is cut and gone on from by the next request with the same tag. Empty: a cut copy
    // leaves nothing.
    QString partTag = {};

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

// One object on the phone as it was listed. A phone numbers its objects anew on every
// connection, so before an engine changes or deletes anything it checks that the id still
// names an object of this name (and, for a file, this size).
struct ObjectRequest {
    QString deviceID = {};
    QString storageID = {};
    QString objectID = {};
    QString name = {};
    std::optional<qint64> sizeBytes = {}; // a file's size as listed; absent for a folder

    friend bool operator==(const ObjectRequest &, const ObjectRequest &) = default;
};

struct RenameRequest {
    ObjectRequest object = {};
    QString newName = {};

    friend bool operator==(const RenameRequest &, const RenameRequest &) = default;
};

// What the phone said changed while the app was connected.
struct PhoneEvent {
    enum class Kind { objectAdded, objectRemoved, storageChanged };
    Kind kind = Kind::objectAdded;
    QString objectID = {}; // empty for storageChanged

    friend bool operator==(const PhoneEvent &, const PhoneEvent &) = default;
};

// A folder's entries, and whether they are all of them.
struct DirectoryListing {
    QList<RemoteEntry> entries = {};
    bool complete = true; // false when the phone answered but could not describe some objects

    friend bool operator==(const DirectoryListing &, const DirectoryListing &) = default;
};

// Every operation may throw; engines throw TransferError. Ids in results are handed back
// to later calls unchanged.
//
// Each verb has one body. Listings and copies take a run of requests, which an engine may
// do in one go (one lane job) while nothing else waits for the phone. Each returns how the
// first requests ended, in order: at least the first, none after one that was cancelled
// or found the phone gone, and none once `control` is cancelled; the caller asks again for
// the rest. Copies store their progress and the request in flight in `control` and, once
// it is cancelled, stop soon with TransferError::cancelled() and leave nothing behind: no
// partial file on the computer (but a download's tagged part), no partial object on the phone.
class AndroidFileTransferEngine {
public:
    virtual ~AndroidFileTransferEngine() = default;
    virtual QCoro::Task<QList<AndroidDevice>> scanDevices() = 0;
    virtual QCoro::Task<QList<AndroidStorage>> listStorage(QString deviceID) = 0;
    virtual QCoro::Task<QList<Attempt<DirectoryListing>>> listFolders(QList<DirectoryRequest> requests,
                                                                      std::shared_ptr<TransferControl> control) = 0;
    virtual QCoro::Task<QList<std::exception_ptr>> downloadSeries(QList<DownloadRequest> requests,
                                                                  std::shared_ptr<TransferControl> control) = 0;
    virtual QCoro::Task<QList<std::exception_ptr>> uploadSeries(QList<UploadRequest> requests,
                                                                std::shared_ptr<TransferControl> control) = 0;
    // Creates folder `name` inside parentID (absent: the storage's root); returns its id.
    virtual QCoro::Task<QString> createFolder(FolderRequest request) = 0;
    // Deletes each object, a run like the copies above: a folder goes with what it holds
    // where the phone does that, so callers delete what a folder holds first. An id that no
    // longer names the object as listed fails that request and deletes nothing.
    virtual QCoro::Task<QList<std::exception_ptr>> deleteObjects(QList<ObjectRequest> requests,
                                                                 std::shared_ptr<TransferControl> control) = 0;
    virtual QCoro::Task<> renameObject(RenameRequest request) = 0;
    // The small picture the phone keeps for an image, or nothing when it keeps none.
    virtual QCoro::Task<QByteArray> thumbnail(ObjectRequest request) = 0;
    // At most `length` bytes of a file from `offset`; fewer at its end. Throws deviceRefused
    // when the phone cannot read a part of a file.
    virtual QCoro::Task<QByteArray> readPart(ObjectRequest request, qint64 offset, qint64 length) = 0;
    // What the phone announced since the last call, waiting at most `waitMs` for something
    // when nothing has come yet, and less when another operation wants the phone.
    virtual QCoro::Task<QList<PhoneEvent>> phoneEvents(QString deviceID, int waitMs) = 0;

    // The first operations, one request each through the bodies above, kept for code written
    // against them. An absent parentID is the storage's root; a download replaces what is at
    // localURL once it is complete; an upload is named after its local file.
    QCoro::Task<QList<RemoteEntry>> listDirectory(QString deviceID, QString storageID, std::optional<QString> parentID);
    QCoro::Task<> downloadFile(QString deviceID, QString remoteFileID, QUrl localURL);
    QCoro::Task<> uploadFile(QString deviceID, QString storageID, QUrl localURL, std::optional<QString> remoteParentID);
};

// One folder through the engine's run of listings: its listing, or what it failed with,
// thrown as the engine gave it.
QCoro::Task<DirectoryListing> listOneFolder(std::shared_ptr<AndroidFileTransferEngine> engine, DirectoryRequest request);

// Reads its members at the moment each step needs them, so a test may change them
// between or during operations. Runs on the caller's (UI) thread; it touches no file.
// Each run of requests does only its first, as an engine does when another job waits.
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
    // Waits for beforeDirectoryListing, records the request, then answers with directoryError
    // as the listing's error (it does not throw), or from entriesByParentID ("" is the root;
    // a storage's id, when there, is that storage's), else entriesToReturn; the listing is marked incomplete while listingsIncomplete is set.
    QCoro::Task<QList<Attempt<DirectoryListing>>> listFolders(QList<DirectoryRequest> requests,
                                                              std::shared_ptr<TransferControl> control) override;
    // Hand the test the control through lastTransferControl, wait for their hook, then answer
    // cancelled when the control was cancelled meanwhile, else downloadError or uploadError
    // as the copy's outcome (they do not throw), else record the request. A failed copy is
    // not recorded.
    QCoro::Task<QList<std::exception_ptr>> downloadSeries(QList<DownloadRequest> requests,
                                                          std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QList<std::exception_ptr>> uploadSeries(QList<UploadRequest> requests,
                                                        std::shared_ptr<TransferControl> control) override;
    // Records the request and answers "folder-<n>" (n counts from 1), or throws
    // createFolderError; the new folder shows in later listings of its parent.
    QCoro::Task<QString> createFolder(FolderRequest request) override;
    // Waits for beforeDelete, then answers deleteError as the outcome, else records the
    // request and takes the object out of entriesByParentID.
    QCoro::Task<QList<std::exception_ptr>> deleteObjects(QList<ObjectRequest> requests,
                                                         std::shared_ptr<TransferControl> control) override;
    // Throws renameError, else records the request and renames the object in entriesByParentID.
    QCoro::Task<> renameObject(RenameRequest request) override;
    // Waits for beforeThumbnail, records the request, answers from thumbnails (empty when absent).
    QCoro::Task<QByteArray> thumbnail(ObjectRequest request) override;
    // Records the request, throws partReadError, else answers from contents.
    QCoro::Task<QByteArray> readPart(ObjectRequest request, qint64 offset, qint64 length) override;
    // Waits for beforeEvents, then hands over pendingEvents and empties it.
    QCoro::Task<QList<PhoneEvent>> phoneEvents(QString deviceID, int waitMs) override;

    QList<AndroidDevice> devicesToReturn;
    std::optional<TransferError> scanError;
    std::optional<TransferError> directoryError;
    std::optional<TransferError> downloadError;
    std::optional<TransferError> uploadError;
    Hook beforeDirectoryListing;
    Hook beforeDownload;
    QList<AndroidStorage> storagesToReturn;
    QList<RemoteEntry> entriesToReturn;
    QHash<QString, QList<RemoteEntry>> entriesByParentID; // "" is the root, or a storage's id its own
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
    QList<ObjectRequest> deleteRequests;
    std::optional<TransferError> deleteError;
    Hook beforeDelete;
    QList<RenameRequest> renameRequests;
    std::optional<TransferError> renameError;
    QHash<QString, QByteArray> thumbnails; // by object id
    QList<ObjectRequest> thumbnailRequests;
    Hook beforeThumbnail;
    QHash<QString, QByteArray> contents; // what readPart reads, by object id
    QList<std::pair<QString, qint64>> partReads; // object id and offset of each read
    std::optional<TransferError> partReadError;
    QList<PhoneEvent> pendingEvents;
    Hook beforeEvents;
};

} // namespace tarvel
