#pragma once

// The engine over the native bridge. It holds no state: every operation makes its bridge
// calls on the process's one operation lane and maps the fixed-size result records to
// domain values, or throws the TransferError its result code stands for.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/PhoneDiagnosis.h"

#include <functional>

namespace tarvel {

class MTPAndroidFileTransferEngine : public AndroidFileTransferEngine {
public:
    MTPAndroidFileTransferEngine() = default;

    QCoro::Task<QList<AndroidDevice>> scanDevices() override;
    QCoro::Task<QList<AndroidStorage>> listStorage(QString deviceID) override;

    // Runs of requests go to the lane as one job, which ends early when another job waits, so
    // a listing the user asks for goes in between two files. A download goes into its folder
    // by name: the series opens each folder once, and a folder that cannot be opened fails its
    // files with the system's error.
    QCoro::Task<QList<Attempt<DirectoryListing>>> listFolders(QList<DirectoryRequest> requests,
                                                              std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QList<std::exception_ptr>> downloadSeries(QList<DownloadRequest> requests,
                                                          std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QList<std::exception_ptr>> uploadSeries(QList<UploadRequest> requests,
                                                        std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QString> createFolder(FolderRequest request) override;
    // A run like the copies: one lane job that gives way between two objects.
    QCoro::Task<QList<std::exception_ptr>> deleteObjects(QList<ObjectRequest> requests,
                                                         std::shared_ptr<TransferControl> control) override;
    QCoro::Task<> renameObject(RenameRequest request) override;
    // Each one short lane job; a phone that keeps no picture gives an empty one.
    QCoro::Task<QByteArray> thumbnail(ObjectRequest request) override;
    QCoro::Task<QByteArray> readPart(ObjectRequest request, qint64 offset, qint64 length) override;
    // Holds the lane while it waits, but gives way within 50 ms to any job queued behind it.
    QCoro::Task<QList<PhoneEvent>> phoneEvents(QString deviceID, int waitMs) override;

    // The one translation of a failed bridge result (its code, the system's errno of a local
    // file problem, and its text) into the error the core words: a cancel is cancelled, a
    // phone that left disconnected, a phone's refusal deviceRefused with its text, a full disk
    // or quota diskFull, another local file problem localFileFailed with the bridge's words
    // (which hold the system's), and everything else nativeError with the bridge's text.
    static TransferError errorFor(int32_t code, int systemError, const QString &text);

    // The bridge's own status text; nothing in the app shows it.
    QString diagnosticSummary() const;

    // Waits, at most timeoutMs, until the operation running on the lane (if any) and
    // those queued behind it have finished. Called once when the application quits,
    // so a transfer is not cut off in the middle of a libmtp call.
    static bool waitForIdle(int timeoutMs);
    // At quit, after waitForIdle: closes the phone on the lane, so its session ends cleanly
    // instead of being cut by the process exit. Waits at most timeoutMs.
    static bool closeDevice(int timeoutMs);
    // Told, on the lane, just before the bridge closes a phone it chose to close (at quit, for
    // another phone, or for a new session with a phone still on the bus after a failure):
    // closing can reset the phone, and a hot-plug watch should not take that for a pull and
    // a plug. Not told when a phone has left. Set it once, before the first operation.
    static void onDeviceClosing(std::function<void(USBAddress)> handler);
};

} // namespace tarvel
