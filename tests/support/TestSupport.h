#pragma once

// Helpers every test uses to drive coroutines: runSync waits for a task while the
// event loop keeps ticking, with a deadline; a Gate holds a fake engine's operation
// open until the test releases it.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "tests/support/Printers.h"

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroTask>
#include <QEventLoop>
#include <QFuture>
#include <QPromise>
#include <QTimer>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace tarvel::test {

inline constexpr std::chrono::milliseconds defaultDeadline{15000};

namespace detail {

template <typename T>
struct SyncState {
    bool done = false;
    std::exception_ptr error;
    std::optional<T> value;
    QEventLoop *loop = nullptr;
};

template <>
struct SyncState<void> {
    bool done = false;
    std::exception_ptr error;
    QEventLoop *loop = nullptr;
};

// A free coroutine taking everything by value: it may outlive runSync's frame.
template <typename T>
QCoro::Task<> drive(QCoro::Task<T> task, std::shared_ptr<SyncState<T>> state)
{
    try {
        if constexpr (std::is_void_v<T>)
            co_await task;
        else
            state->value.emplace(co_await task);
    } catch (...) {
        state->error = std::current_exception();
    }
    state->done = true;
    if (state->loop)
        state->loop->quit();
}

} // namespace detail

// Spins an event loop until the task ends and rethrows what it threw. Throws
// std::runtime_error when the deadline passes first (the task is then left running).
template <typename T>
T runSync(QCoro::Task<T> task, std::chrono::milliseconds deadline = defaultDeadline)
{
    auto state = std::make_shared<detail::SyncState<T>>();
    auto driver = detail::drive(std::move(task), state);
    if (!state->done) {
        QEventLoop loop;
        state->loop = &loop;
        QTimer::singleShot(deadline, &loop, &QEventLoop::quit);
        loop.exec();
        state->loop = nullptr;
    }
    if (!state->done)
        throw std::runtime_error("runSync: the task did not finish before its deadline");
    if (state->error)
        std::rethrow_exception(state->error);
    if constexpr (!std::is_void_v<T>)
        return std::move(*state->value);
}

// Spins the event loop until pred() holds; false when the deadline passes first.
template <typename Pred>
bool spinUntil(Pred pred, std::chrono::milliseconds deadline = defaultDeadline)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (pred())
            loop.quit();
    });
    QTimer::singleShot(deadline, &loop, &QEventLoop::quit);
    if (pred())
        return true;
    poll.start(1);
    loop.exec();
    return pred();
}

// One request through an engine's run of them: what it gave, or what it threw. The engine
// must outlive the task.
QCoro::Task<DirectoryListing> listOne(AndroidFileTransferEngine *engine, DirectoryRequest request);
QCoro::Task<> downloadOne(AndroidFileTransferEngine *engine, DownloadRequest request,
                          std::shared_ptr<TransferControl> control = std::make_shared<TransferControl>());
QCoro::Task<> uploadOne(AndroidFileTransferEngine *engine, UploadRequest request,
                        std::shared_ptr<TransferControl> control = std::make_shared<TransferControl>());
// A download into the folder and name of a local path.
DownloadRequest downloadTo(QString deviceID, QString remoteFileID, const QString &path, bool replacesExisting = true);

// Runs a whole series in one call, as the phone's engine does, each file through the
// fake's copy of one, storing which file is in flight in the control.
struct SeriesEngine : FakeAndroidFileTransferEngine {
    QCoro::Task<QList<std::exception_ptr>> downloadSeries(QList<DownloadRequest> requests,
                                                          std::shared_ptr<TransferControl> control) override;
    QCoro::Task<QList<std::exception_ptr>> uploadSeries(QList<UploadRequest> requests,
                                                        std::shared_ptr<TransferControl> control) override;
    int calls = 0;

private:
    using Copy = std::function<QCoro::Task<QList<std::exception_ptr>>(int)>;
    QCoro::Task<QList<std::exception_ptr>> runAll(int count, std::shared_ptr<TransferControl> control, Copy copy);
};

// Lets queued events run (a released gate resumes its waiters through the event loop).
void settle();

class Gate {
public:
    Gate();
    ~Gate();
    Gate(const Gate &) = delete;
    Gate &operator=(const Gate &) = delete;

    // A hook for the fake engine: counts itself as entered, then waits for open().
    FakeAndroidFileTransferEngine::Hook hook() const;
    void open();
    int entered() const { return *m_entered; }
    // Spins until at least n operations wait on this gate.
    bool waitEntered(int n = 1) const;

private:
    std::unique_ptr<QPromise<void>> m_promise;
    QFuture<void> m_future;
    std::shared_ptr<int> m_entered;
};

} // namespace tarvel::test
