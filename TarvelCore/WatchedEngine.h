#pragma once

// An engine in front of another that counts the calls in flight through it. The app's
// operations go through it; pictures that only decorate the listing go to the engine
// behind it, and wait while anything counted is in flight. A call counts from the moment
// it is made on the UI thread until it returns there, so an operation that waits on the
// lane behind a picture already counts.

#include "TarvelCore/AndroidFileTransferEngine.h"

#include <functional>
#include <memory>

namespace tarvel {

class WatchedEngine : public AndroidFileTransferEngine {
public:
    explicit WatchedEngine(std::shared_ptr<AndroidFileTransferEngine> inner);

    // The engine behind, whose calls are not counted.
    std::shared_ptr<AndroidFileTransferEngine> inner() const { return m_inner; }
    int callsInFlight() const { return m_state->inFlight; }
    // Called each time the count falls back to 0.
    void setOnSettled(std::function<void()> onSettled) { m_state->onSettled = std::move(onSettled); }

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
    // Not counted: waiting for the phone's news gives way by itself to anything else.
    QCoro::Task<QList<PhoneEvent>> phoneEvents(QString deviceID, int waitMs) override;

private:
    struct State {
        int inFlight = 0;
        std::function<void()> onSettled;
    };
    // Held by each call, so a call that outlives the engine still counts down safely.
    class Count {
    public:
        explicit Count(std::shared_ptr<State> state);
        ~Count();
        Count(const Count &) = delete;
        Count &operator=(const Count &) = delete;

    private:
        std::shared_ptr<State> m_state;
    };

    std::shared_ptr<AndroidFileTransferEngine> m_inner;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace tarvel
