#pragma once

// The engine over the native bridge. It holds no state: every operation makes one
// bridge call on the process's one operation lane and maps the fixed-size result
// records to domain values, or throws TransferError::nativeError with the bridge's text.

#include "TarvelCore/AndroidFileTransferEngine.h"

namespace tarvel {

class MTPAndroidFileTransferEngine : public AndroidFileTransferEngine {
public:
    MTPAndroidFileTransferEngine() = default;

    QCoro::Task<QList<AndroidDevice>> scanDevices() override;
    QCoro::Task<QList<AndroidStorage>> listStorage(QString deviceID) override;
    QCoro::Task<QList<RemoteEntry>> listDirectory(QString deviceID, QString storageID, std::optional<QString> parentID) override;
    QCoro::Task<> downloadFile(QString deviceID, QString remoteFileID, QUrl localURL) override;
    QCoro::Task<> uploadFile(QString deviceID, QString storageID, QUrl localURL, std::optional<QString> remoteParentID) override;

    // The bridge's own status text; nothing in the app shows it.
    QString diagnosticSummary() const;

    // Waits, at most timeoutMs, until the operation running on the lane (if any) and
    // those queued behind it have finished. Called once when the application quits,
    // so a transfer is not cut off in the middle of a libmtp call.
    static bool waitForIdle(int timeoutMs);
};

} // namespace tarvel
