// Opens the window over a scripted phone (a device, a storage with sizes, folders and
// files, a download held open) and writes PNG screenshots of its states into the folder
// given as the argument, with the window's accessibility tree as a screen reader reads
// it (accessibility.txt). --dark draws it with a dark palette, as a desktop in a dark
// colour scheme hands it; --font-points N with the application font at N points, as a
// desktop set to a larger font hands it. Run under a real X server (scripts/screenshots.sh
// uses Xvfb); QT_SCALE_FACTOR=2 renders it at twice the size.

#include "TarvelApp/TarvelApp.h"
#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/ImportStore.h"
#include "TarvelCore/Language.h"
#include "tools/samplephone/SamplePhotos.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QSettings>
#include <QMetaEnum>
#include <QPalette>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QFuture>
#include <QPromise>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <QCoro/QCoroFuture>

#include <algorithm>
#include <functional>

using namespace tarvel;

namespace {

// Dates a few days apart, so sorting by date visibly reorders the rows.
QDateTime day(int n)
{
    return QDateTime(QDate(2024, 6, 1), QTime(9, 30), Qt::UTC).addDays(n).addSecs(n * 3917);
}

RemoteEntry folder(QString id, QString name, std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::folder, .modifiedAt = day(id.toInt() % 13)};
}

RemoteEntry file(QString id, QString name, std::optional<qint64> size, std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::file, .sizeBytes = size,
            .modifiedAt = day(id.toInt() % 17)};
}

void scriptPhone(FakeAndroidFileTransferEngine &engine)
{
    engine.devicesToReturn = {{.id = "mtp-3-7-18d1-4ee1", .name = "Pixel 8", .vendorID = 0x18d1, .productID = 0x4ee1,
                               .serialNumber = QStringLiteral("38121FDJG004TS")}};
    engine.storagesToReturn = {{.id = "65537", .name = "Internal shared storage",
                                .capacityBytes = 128'000'000'000, .freeBytes = 41'276'000'000}};
    engine.entriesByParentID = {
        {"", {folder("9", "Android"), folder("10", "Alarms"), folder("11", "DCIM"), folder("12", "Documents"), folder("13", "Download"),
              folder("14", "Music"), folder("15", "Pictures"), file("16", "notes-from-the-long-meeting-on-tuesday.txt", 18'432),
              file("17", "boarding-pass.pdf", 214'876)}},
        {"11", {folder("20", "Camera", "11"), folder("21", "Screenshots", "11")}},
        {"20", {file("30", "IMG_20240611_181502.jpg", 4'812'331, "20"), file("31", "IMG_20240611_181544.jpg", 5'104'002, "20"),
                file("32", "PXL_20240612_090112.mp4", 187'324'990, "20"), file("33", "PXL_20240612_090330.dng", 24'680'113, "20"),
                file("34", "IMG_20240613_071200.jpg", 3'990'120, "20"), file("35", "VID_20240614_200001.mp4", 1'204'332'011, "20"),
                file("36", "IMG_20240615_121212.heic", 2'100'450, "20"), file("37", "thumbnail-cache", std::nullopt, "20")}},
        // Seven levels down, as a messaging app keeps its pictures.
        {"9", {folder("50", "media", "9")}},
        {"50", {folder("51", "com.whatsapp", "50")}},
        {"51", {folder("52", "WhatsApp", "51")}},
        {"52", {folder("53", "Media", "52")}},
        {"53", {folder("54", "WhatsApp Images", "53")}},
        {"54", {folder("55", "Sent", "54"), file("56", "IMG-20240601-WA0001-a-very-long-name-from-the-messaging-app.jpg", 181'220, "54"),
                file("57", "IMG-20240602-WA0002.jpg", 0, "54")}},
        {"55", {}},
    };
}

QString roleName(QAccessible::Role role)
{
    return QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role));
}

// The tree a screen reader walks: role, name, description and the states it announces.
void dumpAccessible(QAccessibleInterface *node, int depth, QTextStream &out)
{
    if (!node || !node->isValid() || node->state().invisible)
        return;
    const QAccessible::State state = node->state();
    QStringList states;
    if (state.focused)
        states << QStringLiteral("focused");
    if (state.selected)
        states << QStringLiteral("selected");
    if (state.checked)
        states << QStringLiteral("checked");
    if (state.disabled)
        states << QStringLiteral("disabled");
    out << QString(depth * 2, QLatin1Char(' ')) << roleName(node->role()) << " \"" << node->text(QAccessible::Name) << '"';
    if (const QString description = node->text(QAccessible::Description); !description.isEmpty())
        out << " (" << description << ')';
    if (!states.isEmpty())
        out << " [" << states.join(QStringLiteral(", ")) << ']';
    out << '\n';
    for (int i = 0; i < node->childCount(); ++i)
        dumpAccessible(node->child(i), depth + 1, out);
}

// What a desktop in a dark colour scheme hands the application.
QPalette darkPalette()
{
    QPalette dark;
    const QColor window(0x2b, 0x2b, 0x2e), base(0x1e, 0x1e, 0x20), text(0xe8, 0xe8, 0xea), dim(0x80, 0x80, 0x86);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x84, 0xe0));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4f));
    dark.setColor(QPalette::Midlight, QColor(0x42, 0x42, 0x46));
    dark.setColor(QPalette::Mid, QColor(0x50, 0x50, 0x55));
    dark.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    dark.setColor(QPalette::Shadow, Qt::black);
    dark.setColor(QPalette::PlaceholderText, dim);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, dim);
    return dark;
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
        // A larger desktop font makes the window's smallest size larger too.
        size = size.expandedTo(window->minimumSize());
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

    // Through the platform's way in, as a keyboard's keys come, so shortcuts and popups
    // see them too.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {})
    {
        QTest::sendKeyEvent(QTest::Press, m_app.window(), Qt::Key(key), text, modifiers);
        QTest::sendKeyEvent(QTest::Release, m_app.window(), Qt::Key(key), text, modifiers);
        settle(100);
    }

    void type(const QString &letters)
    {
        for (const QChar letter : letters)
            press(letter.toUpper().unicode(), Qt::NoModifier, QString(letter));
    }

    QQuickItem *item(const char *objectName) { return m_app.window()->findChild<QQuickItem *>(QLatin1String(objectName)); }

    void writeAccessibilityTree()
    {
        QFile file(QDir(m_folder).filePath(QStringLiteral("accessibility.txt")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return;
        QTextStream out(&file);
        dumpAccessible(QAccessible::queryAccessibleInterface(m_app.window()), 0, out);
        QTextStream(stdout) << file.fileName() << "\n";
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

// Pictures as a grid of the phone's own thumbnails, and one of them in the preview, read
// from the preview cache where an earlier look left it.
bool shootPictures(Shooter &shooter, TarvelApp &app, FakeAndroidFileTransferEngine &engine, QSize size)
{
    TarvelViewModel *viewModel = app.viewModel();
    BrowserPresenter *browser = app.contentView()->browser();
    QList<RemoteEntry> photos;
    for (int i = 0; i < 30; ++i) {
        const QDateTime taken = day(0).addSecs(i * 1250);
        RemoteEntry photo = file(QString::number(300 + i), QStringLiteral("PXL_%1.jpg").arg(taken.toString(QStringLiteral("yyyyMMdd_HHmmss"))),
                                 2'400'000 + i * 37'000, QStringLiteral("15"));
        photo.modifiedAt = taken;
        photos.append(photo);
        QByteArray thumbnail;
        QBuffer buffer(&thumbnail);
        buffer.open(QIODevice::WriteOnly);
        sample::picture(i, QSize(160, 120)).save(&buffer, "jpg");
        engine.thumbnails.insert(photo.id, thumbnail);
    }
    engine.entriesByParentID.insert(QStringLiteral("15"), photos);
    const QList<RemoteEntry> root = engine.entriesByParentID.value(QString());
    viewModel->openFolder(*std::find_if(root.begin(), root.end(), [](const RemoteEntry &e) { return e.id == "15"; }));
    spinUntil([&] { return viewModel->currentParentID() == QStringLiteral("15") && viewModel->entries().size() == 30; });
    browser->thumbnails()->setShowsGrid(true);
    shooter.item("remoteGrid")->forceActiveFocus(Qt::TabFocusReason);
    settle();
    spinUntil([&] { return engine.thumbnailRequests.size() >= 12; });
    bool ok = shooter.shoot(QStringLiteral("23-grid"), size);

    const int row = 7;
    const auto request = browser->thumbnails()->requestFor(*browser->entries()->entryAt(row));
    QDir().mkpath(viewModel->thumbnails()->previewFolder());
    sample::picture(row, QSize(1600, 1200)).save(QDir(viewModel->thumbnails()->previewFolder()).filePath(request->cacheKey), "jpg");
    browser->preview()->openAt(row);
    spinUntil([&] { return !browser->preview()->pictureSource().isEmpty(); });
    ok &= shooter.shoot(QStringLiteral("24-preview"), size);
    browser->preview()->close();
    browser->thumbnails()->setShowsGrid(false);
    viewModel->navigateToDepth(0);
    spinUntil([&] { return viewModel->folderPath().isEmpty(); });
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    // Thumbnails and settings of this run's own, never the user's.
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    QApplication application(argc, argv);
    tarvel::useSystemLanguage(application);
    QApplication::setApplicationName(QStringLiteral("Tarvel"));
    QStringList arguments = QApplication::arguments().mid(1);
    const bool dark = arguments.removeAll(QStringLiteral("--dark")) > 0;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--font-points")); at >= 0 && at + 1 < arguments.size()) {
        QFont font = QApplication::font();
        font.setPointSizeF(arguments.at(at + 1).toDouble());
        QApplication::setFont(font);
        arguments.remove(at, 2);
    }
    const QString folder = arguments.value(0, QStringLiteral("screenshots"));
    QDir().mkpath(folder);

    auto engine = std::make_shared<FakeAndroidFileTransferEngine>();
    auto diagnosis = std::make_shared<FakePhoneDiagnosis>();
    FakeUSBPlugEvents plugs;
    TarvelApp app(engine, diagnosis, &plugs);
    if (dark)
        QApplication::setPalette(darkPalette());
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
    app.contentView()->status()->startRefresh();
    spinUntil([&] { return !viewModel->entries().isEmpty(); });
    ok &= shooter.shoot(QStringLiteral("02-storage-root"), small);

    // The keyboard alone: the list has the focus, a row is current, two rows selected.
    shooter.item("remoteList")->forceActiveFocus(Qt::TabFocusReason);
    shooter.press(Qt::Key_End);
    shooter.press(Qt::Key_Up, Qt::ShiftModifier);
    shooter.press(Qt::Key_Up);
    shooter.press(Qt::Key_Up);
    ok &= shooter.shoot(QStringLiteral("08-keyboard-selection"), small);
    shooter.writeAccessibilityTree();
    app.contentView()->browser()->setSortIndex(2);
    ok &= shooter.shoot(QStringLiteral("09-sorted-by-size"), small);
    app.contentView()->browser()->setSortIndex(0);

    // Seven folders down, then an empty one.
    QStringList deep = {QStringLiteral("9"), QStringLiteral("50"), QStringLiteral("51"), QStringLiteral("52"),
                        QStringLiteral("53"), QStringLiteral("54")};
    QString parent;
    for (const QString &id : deep) {
        const QList<RemoteEntry> listed = engine->entriesByParentID.value(parent);
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const RemoteEntry &e) { return e.id == id; });
        viewModel->openFolder(*found);
        spinUntil([&] { return viewModel->currentParentID() == id; });
        parent = id;
    }
    ok &= shooter.shoot(QStringLiteral("10-deep-path"), small);
    viewModel->openFolder(engine->entriesByParentID.value("54").at(0));
    spinUntil([&] { return viewModel->currentParentID() == QStringLiteral("55"); });
    ok &= shooter.shoot(QStringLiteral("11-empty-folder"), small);
    viewModel->navigateToDepth(0);
    spinUntil([&] { return viewModel->folderPath().isEmpty(); });
    ok &= shootPictures(shooter, app, *engine, large);

    // Tidying: the menu of a row, a new folder's name refused as taken, a delete that
    // counts what it takes, and the filter over a reversed order.
    BrowserPresenter *browser = app.contentView()->browser();
    // Window-wide shortcuts need the window to have the keyboard, as a desktop gives it.
    app.window()->requestActivate();
    if (!QTest::qWaitForWindowActive(app.window()))
        QTextStream(stderr) << "the window never got the keyboard: shortcuts will not show\n";
    shooter.item("remoteList")->forceActiveFocus(Qt::TabFocusReason);
    browser->entries()->selectOnly(browser->entries()->rowOf(QStringLiteral("12")));
    shooter.press(Qt::Key_Menu);
    ok &= shooter.shoot(QStringLiteral("18-context-menu"), small);
    shooter.press(Qt::Key_Escape);
    shooter.press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    shooter.type(QStringLiteral("Music"));
    ok &= shooter.shoot(QStringLiteral("19-new-folder-taken"), small);
    shooter.press(Qt::Key_Escape);
    browser->entries()->selectOnly(browser->entries()->rowOf(QStringLiteral("11")));
    browser->entries()->toggleSelected(browser->entries()->rowOf(QStringLiteral("17")));
    shooter.press(Qt::Key_Delete);
    spinUntil([&] { return browser->files()->deleteConfirmEnabled(); });
    ok &= shooter.shoot(QStringLiteral("20-delete-question"), small);
    shooter.press(Qt::Key_Escape);
    browser->entries()->clearSelection();
    shooter.press(Qt::Key_F, Qt::ControlModifier);
    shooter.type(QStringLiteral("do"));
    browser->reverseSort();
    ok &= shooter.shoot(QStringLiteral("21-filtered"), small);
    shooter.press(Qt::Key_Escape);
    browser->reverseSort();

    // Two folders down, with a download held open.
    viewModel->openFolder(engine->entriesByParentID.value("").at(2));
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
    QMetaObject::invokeMethod(shooter.item("supportToggle"), "clicked");
    settle();
    shooter.scrollSidePane(true);
    ok &= shooter.shoot(QStringLiteral("04-donation"), small);
    QMetaObject::invokeMethod(shooter.item("supportToggle"), "clicked");
    shooter.scrollSidePane(false);
    ok &= shooter.shoot(QStringLiteral("05-transfer"), large);

    // Closing the window during the transfer asks first.
    app.window()->close();
    settle();
    ok &= shooter.shoot(QStringLiteral("12-quit-question"), small);
    if (auto *question = app.window()->findChild<QObject *>(QStringLiteral("quitQuestion")))
        QMetaObject::invokeMethod(question, "close");

    // The transfer ends; a failed listing of an empty folder shows the failure state.
    transferGate.finish();
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::ready; });
    ok &= shooter.shoot(QStringLiteral("06-downloaded"), small);

    // The whole folder at once, held in its third file.
    QTemporaryDir computer;
    // The user's home, as sentences name a folder from there ("to Camera roll").
    qputenv("HOME", QFile::encodeName(computer.path()));
    const QString roll = computer.path() + QStringLiteral("/Camera roll");
    QDir().mkpath(roll);
    QPromise<void> batchGate;
    batchGate.start();
    int begun = 0;
    engine->beforeDownload = [&begun, future = batchGate.future()] {
        return waitFor(++begun >= 3 ? future : QtFuture::makeReadyFuture());
    };
    viewModel->downloadItems(viewModel->entries(), QUrl::fromLocalFile(roll));
    spinUntil([&] { return begun >= 3; });
    for (qint64 step = 0; step <= 12; ++step) {
        engine->lastTransferControl->setProgress(40'000'000 + step * 6'000'000, 187'324'990);
        QElapsedTimer pause;
        pause.start();
        spinUntil([&] { return pause.elapsed() >= 100; });
    }
    ok &= shooter.shoot(QStringLiteral("13-batch"), small);
    // Two more asked for meanwhile wait their turn under it; taken out again, they never run.
    QList<RemoteEntry> two = viewModel->entries().mid(0, 2);
    viewModel->downloadItems(two, QUrl::fromLocalFile(roll));
    QDir().mkpath(computer.path() + QStringLiteral("/Holiday"));
    viewModel->uploadItems({QUrl::fromLocalFile(computer.path() + QStringLiteral("/Holiday"))}, viewModel->currentParentID());
    spinUntil([&] { return viewModel->queuedTransfers().size() == 2; });
    ok &= shooter.shoot(QStringLiteral("30-queue"), large);
    for (const QueuedTransfer &queued : viewModel->queuedTransfers())
        viewModel->removeQueued(queued.id);
    batchGate.finish();
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::ready; });
    ok &= shooter.shoot(QStringLiteral("14-batch-done"), small);

    // The same folder again where three of its names are taken: the question asked once.
    for (const char *name : {"IMG_20240611_181502.jpg", "IMG_20240611_181544.jpg", "IMG_20240613_071200.jpg"}) {
        QFile taken(roll + QLatin1Char('/') + QLatin1String(name));
        if (taken.open(QIODevice::WriteOnly))
            taken.write("x");
    }
    engine->beforeDownload = {};
    viewModel->downloadItems(viewModel->entries(), QUrl::fromLocalFile(roll));
    TakenNamesPresenter *takenNames = app.contentView()->takenNames();
    spinUntil([&] { return takenNames->asking(); });
    settle(300);
    ok &= shooter.shoot(QStringLiteral("22-taken-names"), small);
    takenNames->answer(0);
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::ready; });

    // The same folder written down as it goes and cut by the phone going away after its first
    // file: the offer to resume it.
    viewModel->setStore(std::make_shared<ImportStore>(computer.path() + QStringLiteral("/journal")));
    int cutAfter = 0;
    engine->beforeDownload = [&cutAfter, fake = engine.get()] {
        if (++cutAfter == 2)
            fake->downloadError = TransferError::disconnected();
        return waitFor(QtFuture::makeReadyFuture());
    };
    QDir().mkpath(computer.path() + QStringLiteral("/Phone"));
    viewModel->downloadItems(viewModel->entries(), QUrl::fromLocalFile(computer.path() + QStringLiteral("/Phone")));
    spinUntil([&] { return !viewModel->resumeOffer().isEmpty(); });
    settle(300);
    ok &= shooter.shoot(QStringLiteral("29-resume-offer"), small);
    viewModel->dismissResume();
    viewModel->setStore(nullptr);
    engine->beforeDownload = {};
    engine->downloadError.reset();
    viewModel->loadCurrentDirectory();
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::ready; });

    // Importing: the look through the camera folders held in its third folder, what is new,
    // then the offer to free the phone and its question.
    // The settings and the record in the run's own folder, never the user's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, computer.path() + QStringLiteral("/config"));
    QSettings(QStringLiteral("tarvel"), QStringLiteral("tarvel"))
        .setValue(QStringLiteral("import/destination"), computer.path() + QStringLiteral("/Pictures"));
    ImportPresenter *imports = app.contentView()->imports();
    imports->setStore(std::make_shared<ImportStore>(computer.path() + QStringLiteral("/record")));
    engine->entriesByParentID.insert(QStringLiteral("15"), {::folder("60", "Screenshots", "15")});
    engine->entriesByParentID.insert(QStringLiteral("60"), {file("61", "Screenshot_20240620.png", 412'000, "60")});
    engine->entriesByParentID.insert(QStringLiteral("21"), {file("62", "Screenshot_20240618.png", 380'000, "21")});
    QPromise<void> lookGate;
    lookGate.start();
    int listed = 0;
    engine->beforeDirectoryListing = [&listed, future = lookGate.future()] {
        return waitFor(++listed == 6 ? future : QtFuture::makeReadyFuture());
    };
    imports->startImport();
    spinUntil([&] { return listed >= 6; });
    settle(300);
    ok &= shooter.shoot(QStringLiteral("25-import-looking"), small);
    lookGate.finish();
    spinUntil([&] { return imports->canImport(); });
    engine->beforeDirectoryListing = {};
    ok &= shooter.shoot(QStringLiteral("26-import-summary"), small);
    imports->confirmImport();
    spinUntil([&] { return imports->deleteOfferVisible(); });
    ok &= shooter.shoot(QStringLiteral("27-import-delete-offer"), small);
    if (auto *question = app.window()->findChild<QObject *>(QStringLiteral("deleteImportedQuestion"))) {
        QMetaObject::invokeMethod(question, "open");
        ok &= shooter.shoot(QStringLiteral("28-import-delete-question"), small);
        QMetaObject::invokeMethod(question, "close");
    }
    imports->dismissDeleteOffer();
    engine->directoryError = TransferError::unsupportedUSBMode();
    app.contentView()->status()->startRefresh();
    spinUntil([&] { return viewModel->state() == TarvelConnectionState::transferFailed; });
    ok &= shooter.shoot(QStringLiteral("07-failed"), small);

    // Looking for phones: the scan held open.
    engine->directoryError.reset();
    QPromise<void> scanGate;
    scanGate.start();
    engine->beforeScan = [future = scanGate.future()] { return waitFor(future); };
    app.contentView()->status()->startRefresh();
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
    app.contentView()->status()->startRefresh();
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
        app.contentView()->status()->startRefresh();
        spinUntil([&] { return !viewModel->scanning() && viewModel->state() == TarvelConnectionState::deviceUnavailable; });
        ok &= shooter.shoot(name, small);
    }
    diagnosis->reports = {};
    app.contentView()->status()->startRefresh();
    spinUntil([&] { return !viewModel->scanning() && viewModel->state() == TarvelConnectionState::noDevice; });
    app.contentView()->status()->startRefresh();
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
    // The lane gives up the cut copy, and the one sentence says what happened.
    secondGate.finish();
    spinUntil([&] { return viewModel->state() != TarvelConnectionState::transferring; });
    ok &= shooter.shoot(QStringLiteral("17-pulled-out"), small);
    settle();

    return ok ? 0 : 1;
}
