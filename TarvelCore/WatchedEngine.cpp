#include "TarvelCore/WatchedEngine.h"

namespace tarvel {

WatchedEngine::WatchedEngine(std::shared_ptr<AndroidFileTransferEngine> inner) : m_inner(std::move(inner)) {}

WatchedEngine::Count::Count(std::shared_ptr<State> state) : m_state(std::move(state))
{
    ++m_state->inFlight;
}

WatchedEngine::Count::~Count()
{
    if (--m_state->inFlight == 0 && m_state->onSettled) {
        const auto onSettled = m_state->onSettled; // it may replace itself
        onSettled();
    }
}

// Each call holds its engine and its count until it has returned.
QCoro::Task<QList<AndroidDevice>> WatchedEngine::scanDevices()
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->scanDevices();
}

QCoro::Task<QList<AndroidStorage>> WatchedEngine::listStorage(QString deviceID)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->listStorage(std::move(deviceID));
}

QCoro::Task<QList<Attempt<DirectoryListing>>> WatchedEngine::listFolders(QList<DirectoryRequest> requests,
                                                                          std::shared_ptr<TransferControl> control)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->listFolders(std::move(requests), std::move(control));
}

QCoro::Task<QList<std::exception_ptr>> WatchedEngine::downloadSeries(QList<DownloadRequest> requests,
                                                                    std::shared_ptr<TransferControl> control)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->downloadSeries(std::move(requests), std::move(control));
}

QCoro::Task<QList<std::exception_ptr>> WatchedEngine::uploadSeries(QList<UploadRequest> requests,
                                                                  std::shared_ptr<TransferControl> control)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->uploadSeries(std::move(requests), std::move(control));
}

QCoro::Task<QString> WatchedEngine::createFolder(FolderRequest request)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->createFolder(std::move(request));
}

QCoro::Task<QList<std::exception_ptr>> WatchedEngine::deleteObjects(QList<ObjectRequest> requests,
                                                                   std::shared_ptr<TransferControl> control)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->deleteObjects(std::move(requests), std::move(control));
}

QCoro::Task<> WatchedEngine::renameObject(RenameRequest request)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_await inner->renameObject(std::move(request));
}

QCoro::Task<QByteArray> WatchedEngine::thumbnail(ObjectRequest request)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->thumbnail(std::move(request));
}

QCoro::Task<QByteArray> WatchedEngine::readPart(ObjectRequest request, qint64 offset, qint64 length)
{
    const Count count(m_state);
    const auto inner = m_inner;
    co_return co_await inner->readPart(std::move(request), offset, length);
}

QCoro::Task<QList<PhoneEvent>> WatchedEngine::phoneEvents(QString deviceID, int waitMs)
{
    const auto inner = m_inner;
    co_return co_await inner->phoneEvents(std::move(deviceID), waitMs);
}

} // namespace tarvel
