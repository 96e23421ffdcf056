// Start-up figures of the real window over the real engine: the time from exec to the
// window's first frame, and the resident memory once the start task has settled.
// Prints one line; asserts nothing. Run through scripts/benchmark-startup.sh.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelApp/TarvelApp.h"
#include "TarvelCore/Language.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>

namespace {

qint64 residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    // Nanoseconds since the epoch, taken by the script just before it started us.
    const qint64 launched = qEnvironmentVariable("TARVEL_LAUNCHED_NS").toLongLong();
    QApplication application(argc, argv);
    tarvel::useSystemLanguage(application);
    QApplication::setApplicationName(QStringLiteral("Tarvel"));
    tarvel::TarvelApp app(std::make_shared<tarvel::MTPAndroidFileTransferEngine>());
    if (!app.window())
        return 1;
    app.followTransfersOnDesktop(); // as the program does: it must not touch D-Bus on the way to the first frame

    double firstFrameMs = -1;
    QObject::connect(app.window(), &QQuickWindow::frameSwapped, &application, [&] {
        if (firstFrameMs >= 0)
            return;
        firstFrameMs = (QDateTime::currentMSecsSinceEpoch() * 1'000'000 - launched) / 1e6;
        // Let the start task's scan finish and the window settle before reading memory.
        QTimer::singleShot(1500, &application, [&] {
            std::printf("first frame %.0f ms  resident %.1f MB\n", firstFrameMs, residentKilobytes() / 1024.0);
            std::fflush(stdout);
            QApplication::quit();
        });
    });
    app.show();
    const int status = QApplication::exec();
    tarvel::MTPAndroidFileTransferEngine::waitForIdle(5000);
    return status;
}
