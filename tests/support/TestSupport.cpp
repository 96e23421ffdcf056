#include "tests/support/TestSupport.h"

#include <QCoreApplication>

namespace tarvel::test {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

namespace {
QCoro::Task<> waitAtGate(QFuture<void> future, std::shared_ptr<int> entered)
{
    ++*entered;
    co_await future;
}
} // namespace

Gate::Gate() : m_promise(std::make_unique<QPromise<void>>()), m_entered(std::make_shared<int>(0))
{
    m_promise->start();
    m_future = m_promise->future();
}

Gate::~Gate()
{
    open();
}

FakeAndroidFileTransferEngine::Hook Gate::hook() const
{
    return [future = m_future, entered = m_entered] { return waitAtGate(future, entered); };
}

void Gate::open()
{
    if (!m_future.isFinished())
        m_promise->finish();
}

bool Gate::waitEntered(int n) const
{
    return spinUntil([&] { return *m_entered >= n; });
}

namespace {

void rethrowFirst(const QList<std::exception_ptr> &outcomes)
{
    if (outcomes.isEmpty())
        throw std::runtime_error("the engine returned no outcome");
    if (outcomes.first())
        std::rethrow_exception(outcomes.first());
}

} // namespace

QCoro::Task<DirectoryListing> listOne(AndroidFileTransferEngine *engine, DirectoryRequest request)
{
    QList<DirectoryRequest> requests{std::move(request)};
    auto control = std::make_shared<TransferControl>();
    const QList<Attempt<DirectoryListing>> listings = co_await engine->listFolders(std::move(requests), std::move(control));
    if (listings.isEmpty())
        throw std::runtime_error("the engine returned no listing");
    if (listings.first().error)
        std::rethrow_exception(listings.first().error);
    co_return listings.first().value;
}

QCoro::Task<> downloadOne(AndroidFileTransferEngine *engine, DownloadRequest request, std::shared_ptr<TransferControl> control)
{
    QList<DownloadRequest> requests{std::move(request)};
    rethrowFirst(co_await engine->downloadSeries(std::move(requests), std::move(control)));
}

QCoro::Task<> uploadOne(AndroidFileTransferEngine *engine, UploadRequest request, std::shared_ptr<TransferControl> control)
{
    QList<UploadRequest> requests{std::move(request)};
    rethrowFirst(co_await engine->uploadSeries(std::move(requests), std::move(control)));
}

DownloadRequest downloadTo(QString deviceID, QString remoteFileID, const QString &path, bool replacesExisting)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return DownloadRequest{std::move(deviceID), std::move(remoteFileID), path.left(slash), path.mid(slash + 1),
                           replacesExisting};
}

QCoro::Task<QList<std::exception_ptr>> SeriesEngine::downloadSeries(QList<DownloadRequest> requests,
                                                                    std::shared_ptr<TransferControl> control)
{
    Copy copy = [this, requests, control](int k) {
        return FakeAndroidFileTransferEngine::downloadSeries({requests.at(k)}, control);
    };
    co_return co_await runAll(int(requests.size()), control, std::move(copy));
}

QCoro::Task<QList<std::exception_ptr>> SeriesEngine::uploadSeries(QList<UploadRequest> requests,
                                                                  std::shared_ptr<TransferControl> control)
{
    Copy copy = [this, requests, control](int k) {
        return FakeAndroidFileTransferEngine::uploadSeries({requests.at(k)}, control);
    };
    co_return co_await runAll(int(requests.size()), control, std::move(copy));
}

// As the lane does: no file after one the phone refused to go on with.
QCoro::Task<QList<std::exception_ptr>> SeriesEngine::runAll(int count, std::shared_ptr<TransferControl> control, Copy copy)
{
    ++calls;
    QList<std::exception_ptr> outcomes;
    for (int k = 0; k < count && !control->isCancelled(); ++k) {
        control->setProgress(0, 0);
        control->setFileInSeries(k);
        const auto [outcome, error] = co_await attempt(copy(k));
        outcomes.append(error ? error : outcome.value(0));
        if (kindOf(outcomes.last()) == TransferError::Kind::disconnected)
            break;
    }
    co_return outcomes;
}

} // namespace tarvel::test
