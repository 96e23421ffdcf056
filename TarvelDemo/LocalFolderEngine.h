#pragma once

// An engine that serves a local folder as a phone, so Tarvel can be tried without one:
// one device, one storage (the folder), its sub-folders and files, real copies in both
// directions, deletes and renames, and the phone's events for the folders listed, which a
// watch on the computer's folders tells. Ids are paths relative to the folder, checked to
// stay inside it. Like a phone without thumbnails of its own, it gives none: pictures come
// from partial reads.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/SerialWorker.h"

#include <atomic>
#include <memory>


namespace tarvel {

class LocalFolderEngine : public AndroidFileTransferEngine {
public:
    // A slow engine copies at about one megabyte per second and lists with a short
    // delay, so loading and transfer states stay on screen long enough to see.
    explicit LocalFolderEngine(QString folder, bool slow = false);
    // Stops a copy in flight (a slow one can take minutes) and discards its partial file.
    ~LocalFolderEngine() override;

    QCoro::Task<QList<AndroidDevice>> scanDevices() override;
    QCoro::Task<QList<AndroidStorage>> listStorage(QString deviceID) override;
    QCoro::Task<QList<Attempt<DirectoryListing>>> listFolders(QList<DirectoryRequest> requests,
                                                              std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QList<std::exception_ptr>> downloadSeries(QList<DownloadRequest> requests,
                                                          std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QList<std::exception_ptr>> uploadSeries(QList<UploadRequest> requests,
                                                        std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QString> createFolder(FolderRequest request) override;
    QCoro::Task<QList<std::exception_ptr>> deleteObjects(QList<ObjectRequest> requests,
                                                         std::shared_ptr<TransferControl> control) override;
    QCoro::Task<> renameObject(RenameRequest request) override;
    QCoro::Task<QByteArray> thumbnail(ObjectRequest request) override;
    QCoro::Task<QByteArray> readPart(ObjectRequest request, qint64 offset, qint64 length) override;
    QCoro::Task<QList<PhoneEvent>> phoneEvents(QString deviceID, int waitMs) override;

    static inline const QString deviceID = QStringLiteral("demo-phone");
    static inline const QString storageID = QStringLiteral("demo-storage");

private:
    struct Watch;

    QString m_folder; // absolute and canonical
    bool m_slow;
    // Shared with the calls in flight, which may outlive the engine on the UI thread.
    std::shared_ptr<Watch> m_watch;
    std::shared_ptr<std::atomic_bool> m_stopping = std::make_shared<std::atomic_bool>(false);
    SerialWorker m_worker; // one copy or listing at a time, like a phone; last, so it goes first
};

} // namespace tarvel
