#pragma once

// Blocking work off the UI thread: one dedicated thread runs jobs strictly one at a
// time, and each job comes back as a QFuture that a UI-thread coroutine awaits.

#include "TarvelCore/Models.h"

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroTask>
#include <QFuture>
#include <QPromise>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <type_traits>

namespace tarvel {

class SerialWorker {
public:
    SerialWorker()
    {
        m_pool.setMaxThreadCount(1);
        m_pool.setExpiryTimeout(-1); // the same thread for every job
    }

    // Queues work behind everything already queued. What the work throws is handed to
    // the awaiting side. The work must not be a coroutine.
    template <typename Work>
    auto run(Work work) -> QFuture<decltype(work())>
    {
        using Result = decltype(work());
        auto promise = std::make_shared<QPromise<Result>>();
        QFuture<Result> future = promise->future();
        promise->start();
        m_waiting.fetch_add(1, std::memory_order_relaxed);
        m_pool.start([this, promise, work = std::move(work)]() mutable {
            m_waiting.fetch_sub(1, std::memory_order_relaxed);
            try {
                if constexpr (std::is_void_v<Result>)
                    work();
                else
                    promise->addResult(work());
            } catch (...) {
                promise->setException(std::current_exception());
            }
            promise->finish();
        });
        return future;
    }

    // Blocks until nothing runs or waits, or the timeout passes.
    bool waitForIdle(int timeoutMs) { return m_pool.waitForDone(timeoutMs); }

    // Whether a job waits behind the one running, so a long job can end early and let it in.
    bool hasWaitingJobs() const { return m_waiting.load(std::memory_order_relaxed) > 0; }

private:
    std::atomic<int> m_waiting{0}; // before the pool: the pool's end waits for jobs that touch it
    QThreadPool m_pool;
};

// Awaits a worker's future on the UI thread. It waits on the future as void first:
// awaiting a typed future that ended without a result would read a missing result. The
// result is taken, not copied: a list left shared with the future would be copied whole at
// its first change.
template <typename T>
QCoro::Task<T> awaitResult(QFuture<T> future)
{
    co_await QFuture<void>(future); // rethrows what the work threw
    if constexpr (!std::is_void_v<T>) {
        if (future.resultCount() == 0)
            throw TransferError::nativeError(QStringLiteral("The operation ended without a result"));
        co_return future.takeResult();
    }
}

} // namespace tarvel
