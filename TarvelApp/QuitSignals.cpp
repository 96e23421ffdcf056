#include "TarvelApp/QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvel {

namespace {

constexpr int watched[] = {SIGTERM, SIGINT, SIGHUP};
int wakeFds[2] = {-1, -1}; // the handler writes to [1]; the notifier reads [0]

// Only async-signal-safe calls here: one byte to the socket wakes the event loop.
void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFds[1], &byte, 1);
    errno = saved;
}

} // namespace

QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, wakeFds) != 0)
        return; // without it the signals keep their default: the process ends at once
    m_notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (read(wakeFds[0], bytes, sizeof bytes) > 0) {
        }
        Q_EMIT received();
    });
    struct sigaction action = {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : watched)
        sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals()
{
    if (!m_notifier)
        return;
    for (const int signal : watched)
        std::signal(signal, SIG_DFL);
    close(wakeFds[0]);
    close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
}

} // namespace tarvel
