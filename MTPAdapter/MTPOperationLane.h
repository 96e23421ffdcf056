#pragma once

// The one serial lane of the process: a single worker thread that runs every bridge
// call, strictly one at a time. The bridge and libmtp have no locks of their own;
// this lane is what makes them safe.

#include "TarvelCore/Models.h"

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroTask>
#include <QFuture>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace tarvel {

class MTPOperationLane {
public:
    // Created on first use and never destroyed: it must outlive every caller, and the
    // process may exit with the worker still parked.
    static MTPOperationLane &shared();

    // Queues work behind everything already queued. What the work throws is handed to
    // the awaiting side; the work itself must not be a coroutine.
    template <typename Work>
    auto run(Work work) -> QFuture<decltype(work())>
    {
        using Result = decltype(work());
        auto promise = std::make_shared<QPromise<Result>>();
        QFuture<Result> future = promise->future();
        promise->start();
        m_pool.start([promise, work = std::move(work)]() mutable {
            try {
                if constexpr (std::is_void_v<Result>) {
                    work();
                } else {
                    promise->addResult(work());
                }
            } catch (...) {
                promise->setException(std::current_exception());
            }
            promise->finish();
        });
        return future;
    }

    // Blocks until the lane has nothing running or queued, or the timeout passes.
    bool waitForIdle(int timeoutMs);

private:
    MTPOperationLane();

    QThreadPool m_pool; // one thread that never expires
};

// Awaits a lane future on the UI thread. It waits on the future as void first: awaiting
// a typed future that ended without a result would read a result that is not there.
template <typename T>
QCoro::Task<T> awaitLane(QFuture<T> future)
{
    co_await QFuture<void>(future); // rethrows what the work threw
    if constexpr (!std::is_void_v<T>) {
        if (future.resultCount() == 0)
            throw TransferError::nativeError(QStringLiteral("The MTP operation ended without a result"));
        co_return future.result();
    }
}

} // namespace tarvel
