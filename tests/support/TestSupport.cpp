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

} // namespace tarvel::test
