// Opens the window over a scripted phone (a device, a storage with sizes, folders and
// files, a download held open) and writes PNG screenshots of its states into the folder
// given as the only argument. Run under a real X server (scripts/screenshots.sh uses Xvfb).

#include "TarvelApp/TarvelApp.h"
#include "TarvelCore/AndroidFileTransferEngine.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFuture>
#include <QPromise>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTextStream>

#include <QCoro/QCoroFuture>

#include <functional>

using namespace tarvel;

namespace {

RemoteEntry folder(QString id, QString name, std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::folder};
}

RemoteEntry file(QString id, QString name, std::optional<qint64> size, std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::file, .sizeBytes = size};
}

void scriptPhone(FakeAndroidFileTransferEngine &engine)
{
    engine.devicesToReturn = {{.id = "mtp-3-7-18d1-4ee1", .name = "Pixel 8", .vendorID = 0x18d1, .productID = 0x4ee1}};
    engine.storagesToReturn = {{.id = "65537", .name = "Internal shared storage",
                                .capacityBytes = 128'000'000'000, .freeBytes = 41'276'000'000}};
    engine.entriesByParentID = {
        {"", {folder("10", "Alarms"), folder("11", "DCIM"), folder("12", "Documents"), folder("13", "Download"),
              folder("14", "Music"), folder("15", "Pictures"), file("16", "notes-from-the-long-meeting-on-tuesday.txt", 18'432),
              file("17", "boarding-pass.pdf", 214'876)}},
        {"11", {folder("20", "Camera", "11"), folder("21", "Screenshots", "11")}},
        {"20", {file("30", "IMG_20240611_181502.jpg", 4'812'331, "20"), file("31", "IMG_20240611_181544.jpg", 5'104'002, "20"),
                file("32", "PXL_20240612_090112.mp4", 187'324'990, "20"), file("33", "PXL_20240612_090330.dng", 24'680'113, "20"),
                file("34", "IMG_20240613_071200.jpg", 3'990'120, "20"), file("35", "VID_20240614_200001.mp4", 1'204'332'011, "20"),
                file("36", "IMG_20240615_121212.heic", 2'100'450, "20"), file("37", "thumbnail-cache", std::nullopt, "20")}},
    };
}

bool spinUntil(const std::function<bool()> &done, int milliseconds = 10000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void settle(int milliseconds = 400)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QCoro::Task<> waitFor(QFuture<void> future)
{
    co_await future;
}

class Shooter {
public:
    Shooter(TarvelApp &app, QString folder) : m_app(app), m_folder(std::move(folder)) {}

    bool shoot(const QString &name, QSize size)
    {
        QQuickWindow *window = m_app.window();
        window->resize(size);
        settle();
        const QImage image = window->grabWindow();
        const QString path = QDir(m_folder).filePath(QStringLiteral("%1-%2x%3.png").arg(name).arg(size.width()).arg(size.height()));
        if (image.isNull() || !image.save(path)) {
            QTextStream(stderr) << "could not write " << path << "\n";
            return false;
        }
        QTextStream(stdout) << path << "\n";
        return true;
    }

    // Scrolls the right pane to its end, where the donation section is.
    void scrollSidePane(bool toEnd)
    {
        auto *scroll = m_app.window()->findChild<QQuickItem *>(QStringLiteral("localActionsScroll"));
        auto *flickable = scroll ? scroll->property("contentItem").value<QQuickItem *>() : nullptr;
        if (!flickable)
            return;
        const qreal end = flickable->property("contentHeight").toReal() - flickable->height();
        flickable->setProperty("contentY", toEnd ? qMax<qreal>(0, end) : 0);
        settle(200);
    }

private:
    TarvelApp &m_app;
    QString m_folder;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvel"));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(folder);

    auto engine = std::make_shared<FakeAndroidFileTransferEngine>();
    auto diagnosis = std::make_shared<FakePhoneDiagnosis>();
    FakeUSBPlugEvents plugs;
    TarvelApp app(engine, diagnosis, &plugs);
    if (!app.window())
        return 1;
    TarvelViewModel *viewModel = app.viewModel();
    Shooter shooter(app, folder);
    const QSize small(760, 460);
    const QSize large(1100, 760);
    bool ok = true;

    // No phone yet: the start task finds nothing.
    app.show();
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::noDevice && !viewModel->devices().size(); });
    settle();
    ok &= shooter.shoot(QStringLiteral("01-no-device"), small);

    // The phone appears; Refresh lists the storage root.
    scriptPhone(*engine);
    app.contentView()->startRefresh();
    spinUntil([&] { return !viewModel->entries().isEmpty(); });
    ok &= shooter.shoot(QStringLiteral("02-storage-root"), small);

    // Two folders down, with a download held open.
    viewModel->openFolder(engine->entriesByParentID.value("").at(1));
    spinUntil([&] { return viewModel->folderPath().size() == 1; });
    viewModel->openFolder(engine->entriesByParentID.value("11").at(0));
    spinUntil([&] { return viewModel->folderPath().size() == 2; });
    QPromise<void> transferGate;
    transferGate.start();
    engine->beforeDownload = [future = transferGate.future()] { return waitFor(future); };
    viewModel->download(QStringLiteral("32"), QStringLiteral("PXL_20240612_090112.mp4"),
                        QUrl::fromLocalFile(QDir::homePath() + QStringLiteral("/Videos/PXL_20240612_090112.mp4")));
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::transferring; });
    // Bytes arrive for a little over a second, so the speed and time left show.
    const auto control = engine->lastTransferControl;
    for (qint64 step = 0; step <= 12; ++step) {
        control->setProgress(300'000'000 + step * 12'700'000, 1'200'000'000);
        QElapsedTimer pause;
        pause.start();
        spinUntil([&] { return pause.elapsed() >= 100; });
    }
    ok &= shooter.shoot(QStringLiteral("03-transfer"), small);
    shooter.scrollSidePane(true);
    ok &= shooter.shoot(QStringLiteral("04-donation"), small);
    shooter.scrollSidePane(false);
    ok &= shooter.shoot(QStringLiteral("05-transfer"), large);

    // Closing the window during the transfer asks first.
    app.window()->close();
    settle();
    ok &= shooter.shoot(QStringLiteral("08-quit-question"), small);
    if (auto *question = app.window()->findChild<QObject *>(QStringLiteral("quitQuestion")))
        QMetaObject::invokeMethod(question, "close");

    // The transfer ends; a failed listing of an empty folder shows the failure state.
    transferGate.finish();
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::ready; });
    ok &= shooter.shoot(QStringLiteral("06-downloaded"), small);
    engine->directoryError = TransferError::unsupportedUSBMode();
    app.contentView()->startRefresh();
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::transferFailed; });
    ok &= shooter.shoot(QStringLiteral("07-failed"), small);

    // Looking for phones: the scan held open.
    engine->directoryError.reset();
    QPromise<void> scanGate;
    scanGate.start();
    engine->beforeScan = [future = scanGate.future()] { return waitFor(future); };
    app.contentView()->startRefresh();
    spinUntil([&] { return viewModel->scanning(); });
    ok &= shooter.shoot(QStringLiteral("08-looking"), small);
    scanGate.finish();
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::ready; });
    engine->beforeScan = {};

    // Two phones, the first with its own memory and a card: the pickers, one of them open.
    engine->devicesToReturn.append({.id = "mtp-3-9-04e8-6860", .name = "Galaxy S23", .busNumber = 3, .deviceNumber = 9});
    engine->storagesToReturn = {{.id = "65537", .name = "Interner gemeinsamer Speicher", .capacityBytes = 128'000'000'000,
                                 .freeBytes = 41'276'000'000, .kind = StorageKind::internal},
                                {.id = "131073", .name = "SanDisk", .capacityBytes = 64'000'000'000,
                                 .freeBytes = 12'500'000'000, .kind = StorageKind::removable}};
    app.contentView()->startRefresh();
    spinUntil([&] { return viewModel->storages().size() == 2 && viewModel->state() == TarvelConnectionState::ready; });
    ok &= shooter.shoot(QStringLiteral("09-pickers"), small);
    if (auto *picker = app.window()->findChild<QQuickItem *>(QStringLiteral("storagePicker"))) {
        auto *popup = picker->property("popup").value<QObject *>();
        QMetaObject::invokeMethod(popup, "open");
        ok &= shooter.shoot(QStringLiteral("10-storage-picker"), small);
        QMetaObject::invokeMethod(popup, "close");
    }

    // Why no phone can be used, as the bus shows it.
    const QList<std::pair<QString, TransferError>> reasons{
        {QStringLiteral("11-held-by-files"), TransferError::deviceInUse({PhoneHolderKind::filesService, "gvfsd-mtp"})},
        {QStringLiteral("12-held-by-another-user"), TransferError::deviceInUse({})},
        {QStringLiteral("13-permission"), TransferError::permissionDenied()},
        {QStringLiteral("14-usb-mode"), TransferError::unsupportedUSBMode()},
    };
    const QList<AndroidDevice> phones = engine->devicesToReturn;
    engine->devicesToReturn = {};
    for (const auto &[name, reason] : reasons) {
        diagnosis->reports = {{.address = {3, 7}, .problem = reason}};
        app.contentView()->startRefresh();
        spinUntil([&] { return !viewModel->scanning() && viewModel->state() == TarvelConnectionState::deviceUnavailable; });
        ok &= shooter.shoot(name, small);
    }
    diagnosis->reports = {};
    app.contentView()->startRefresh();
    spinUntil([&] { return !viewModel->scanning() && viewModel->state() == TarvelConnectionState::noDevice; });
    app.contentView()->startRefresh();
    spinUntil([&] { return viewModel->statusMessage() == QStringLiteral("Still no phone found."); });
    ok &= shooter.shoot(QStringLiteral("15-still-no-phone"), small);

    // Plugged in, and pulled out during a download.
    engine->devicesToReturn = {phones.first()};
    engine->devicesToReturn.first().busNumber = 3;
    engine->devicesToReturn.first().deviceNumber = 7;
    diagnosis->reports = {{.address = {3, 7}}};
    plugs.plugIn({3, 7});
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::ready; });
    ok &= shooter.shoot(QStringLiteral("16-plugged-in"), small);
    QPromise<void> secondGate;
    secondGate.start();
    engine->beforeDownload = [future = secondGate.future()] { return waitFor(future); };
    viewModel->download(QStringLiteral("17"), QStringLiteral("boarding-pass.pdf"),
                        QUrl::fromLocalFile(QDir::homePath() + QStringLiteral("/boarding-pass.pdf")));
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::transferring; });
    plugs.pullOut({3, 7});
    ok &= shooter.shoot(QStringLiteral("17-pulled-out"), small);
    secondGate.finish();
    settle();

    return ok ? 0 : 1;
}
