#pragma once

// The engine over the native bridge. It holds no state: every operation makes one
// bridge call on the process's one operation lane and maps the fixed-size result
// records to domain values, or throws TransferError::nativeError with the bridge's text.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/PhoneDiagnosis.h"

#include <functional>

namespace tarvel {

class MTPAndroidFileTransferEngine : public AndroidFileTransferEngine {
public:
    MTPAndroidFileTransferEngine() = default;

    QCoro::Task<QList<AndroidDevice>> scanDevices() override;
    QCoro::Task<QList<AndroidStorage>> listStorage(QString deviceID) override;

    // The bridge's result codes become the errors the window words: a cancel is cancelled,
    // a vanished phone disconnected, a phone's refusal deviceRefused with its text, and
    // everything else nativeError with the bridge's text. Runs of requests go to the lane as
    // one job, which ends early when another job waits, so a listing the user asks for goes
    // in between two files.
    QCoro::Task<QList<Attempt<DirectoryListing>>> listFolders(QList<DirectoryRequest> requests,
                                                              std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QList<std::exception_ptr>> downloadSeries(QList<DownloadRequest> requests,
                                                          std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QList<std::exception_ptr>> uploadSeries(QList<UploadRequest> requests,
                                                        std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QString> createFolder(FolderRequest request) override;

    // The bridge's own status text; nothing in the app shows it.
    QString diagnosticSummary() const;

    // Waits, at most timeoutMs, until the operation running on the lane (if any) and
    // those queued behind it have finished. Called once when the application quits,
    // so a transfer is not cut off in the middle of a libmtp call.
    static bool waitForIdle(int timeoutMs);
    // At quit, after waitForIdle: closes the phone on the lane, so its session ends cleanly
    // instead of being cut by the process exit. Waits at most timeoutMs.
    static bool closeDevice(int timeoutMs);
    // Told, on the lane, just before the bridge closes a phone it opened (at quit, or for a
    // new session after a failure): closing can reset the phone, and a hot-plug watch
    // should not take that for a pull and a plug. Set it once, before the first operation.
    static void onDeviceClosing(std::function<void(USBAddress)> handler);
};

} // namespace tarvel
