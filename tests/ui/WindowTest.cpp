#include "tests/ui/AppWindowFixture.h"

#include <QDir>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QQmlApplicationEngine>
#include <QQmlEngine>
#include <QQmlNetworkAccessManagerFactory>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace tarvel;
using namespace tarvel::test::phone;
using tarvel::test::FakeDesktopServices;
using tarvel::test::Gate;
using tarvel::test::spinUntil;
using State = TarvelConnectionState;

namespace {

class WindowTest : public test::AppWindowTest {
protected:
    WindowTest()
    {
        test::phone::script(*engine);
        start();
    }
};

TEST_F(WindowTest, OpensAtLeast760By460WithTheStorageListed)
{
    open();
    EXPECT_EQ(window()->minimumSize(), QSize(760, 460));
    EXPECT_EQ(text("locationTitle"), "Internal shared storage");
    EXPECT_EQ(text("locationDetail"), "4 items · 10 GB available of 64 GB");
    EXPECT_EQ(text("statusText"), "Showing Internal shared storage.");
    EXPECT_EQ(rows()[3]->property("detailText"), "2 MB");
}

TEST_F(WindowTest, DoubleClickingAFolderRowOpensItAndUpGoesBack)
{
    open();
    EXPECT_FALSE(item("upButton")->isEnabled());
    // Anywhere on the row, not only its chevron.
    QQuickItem *dcimRow = row("DCIM");
    const QPoint nearLeft = dcimRow->mapToScene(QPointF(60, dcimRow->height() / 2)).toPoint();
    QTest::mouseDClick(window(), Qt::LeftButton, {}, nearLeft);
    ASSERT_TRUE(spinUntil([&] { return text("locationTitle") == "DCIM"; }));
    EXPECT_EQ(text("locationDetail"), "1 item · 10 GB available of 64 GB");

    click(rowButton("Camera"));
    ASSERT_TRUE(spinUntil([&] { return text("locationTitle") == "Camera"; }));
    EXPECT_EQ(text("uploadHelperText"), "Uploads and pasted files go to Camera.");

    // A file row opens nothing.
    const int listings = engine->directoryRequests.size();
    click(row("IMG_1.jpg"));
    EXPECT_EQ(engine->directoryRequests.size(), listings);

    click(item("upButton"));
    ASSERT_TRUE(spinUntil([&] { return text("locationTitle") == "DCIM"; }));
    click(item("upButton"));
    ASSERT_TRUE(spinUntil([&] { return text("locationTitle") == "Internal shared storage"; }));
    EXPECT_FALSE(item("upButton")->isEnabled());
}

TEST_F(WindowTest, RowsAndButtonsAreDeadWhileAFolderLoads)
{
    open();
    Gate listing;
    engine->beforeDirectoryListing = listing.hook();
    doubleClick(row("DCIM"));
    ASSERT_TRUE(listing.waitEntered());
    ASSERT_EQ(vm()->state(), State::loadingDirectory);

    doubleClick(row("Music"));
    click(rowButton("Music"));
    click(rowButton("photo.jpg"));
    click(item("uploadButton"));
    EXPECT_EQ(listing.entered(), 1);
    EXPECT_TRUE(desktop->savePanels.isEmpty());
    EXPECT_TRUE(desktop->openPanels.isEmpty());
    EXPECT_TRUE(item("refreshButton")->isEnabled());

    listing.open();
    ASSERT_TRUE(spinUntil([&] { return text("locationTitle") == "DCIM"; }));
}

// During a transfer only Refresh is refused: browsing goes on, its listings running between
// two files, and another transfer waits its turn in the pane, where it can be taken out.
TEST_F(WindowTest, ATransferRefusesRefreshAndQueuesOtherTransfers)
{
    open();
    Gate transfer;
    engine->beforeDownload = transfer.hook();
    desktop->saveLocation = QUrl::fromLocalFile("/home/user/photo.jpg");
    click(rowButton("photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    ASSERT_EQ(vm()->state(), State::transferring);
    EXPECT_EQ(desktop->savePanels.size(), 1);
    // The copy's own bar moves, not a second animation in the status line.
    EXPECT_FALSE(item("statusSpinner")->isVisible());
    EXPECT_TRUE(item("transferSummary")->isVisible());
    EXPECT_TRUE(item("transferProgress")->property("indeterminate").toBool());

    // Were Refresh live, this scan would find no phone and end the transfer's display.
    engine->devicesToReturn = {};
    EXPECT_FALSE(item("refreshButton")->isEnabled());
    click(item("refreshButton"));
    EXPECT_EQ(engine->directoryRequests.size(), 1);
    desktop->saveLocation = QUrl::fromLocalFile("/home/user/notes.txt");
    click(rowButton("notes.txt"));
    ASSERT_TRUE(spinUntil([&] { return item("transferQueue")->isVisible(); }));
    EXPECT_EQ(desktop->savePanels.size(), 2);
    QList<QQuickItem *> removeButtons;
    collect(item("transferQueue"), "removeQueuedButton", removeButtons);
    ASSERT_EQ(removeButtons.size(), 1);
    click(removeButtons.first());
    EXPECT_FALSE(item("transferQueue")->isVisible());
    EXPECT_EQ(vm()->state(), State::transferring);
    doubleClick(row("DCIM"));
    ASSERT_TRUE(spinUntil([&] { return engine->directoryRequests.size() == 2; }));
    EXPECT_EQ(vm()->state(), State::transferring);

    click(item("supportToggle"));
    // The side pane scrolls in a window this small: its end is where the address is.
    auto *sidePane = item("localActionsScroll")->property("contentItem").value<QQuickItem *>();
    ASSERT_TRUE(spinUntil([&] { return sidePane->property("contentHeight").toReal() > sidePane->height(); }));
    sidePane->setProperty("contentY", sidePane->property("contentHeight").toReal() - sidePane->height());
    click(item("copyAddressButton"));
    EXPECT_TRUE(desktop->clipboardText);

    transfer.open();
    ASSERT_TRUE(spinUntil([&] { return vm()->state() == State::ready; }));
    EXPECT_TRUE(item("refreshButton")->isEnabled());
    EXPECT_TRUE(item("noTransfer")->isVisible());
    EXPECT_EQ(engine->downloadRequests.size(), 1);
}

// The texts of the tooltips on screen.
QStringList shownToolTips(const QList<QQuickItem *> &items)
{
    QStringList shown;
    for (QQuickItem *candidate : items) {
        if (candidate->inherits("QQuickText") && candidate->parentItem()
            && candidate->parentItem()->inherits("QQuickPopupItem"))
            shown.append(candidate->property("text").toString());
    }
    return shown;
}

// An icon-only button names itself in a tooltip once the pointer rests on it; a button
// that shows its title has no tooltip, not even an empty one.
TEST_F(WindowTest, IconButtonsNameThemselvesInATooltip)
{
    open();
    doubleClick(row("DCIM"));
    ASSERT_TRUE(spinUntil([&] { return item("upButton")->isEnabled(); }));
    // The offscreen platform asks for no hover effects, which a desktop does.
    const auto hover = [&](QQuickItem *target) {
        target->setProperty("hoverEnabled", true);
        QTest::mouseMove(window(), target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint());
    };
    hover(item("upButton"));
    EXPECT_TRUE(spinUntil([&] { return shownToolTips(allItems()) == QStringList{"Up"}; }));
    hover(item("refreshButton"));
    EXPECT_TRUE(spinUntil([&] { return shownToolTips(allItems()).isEmpty(); }));
    QTest::qWait(800); // past the tooltip delay
    EXPECT_EQ(shownToolTips(allItems()), QStringList{});
}

// The paste key with nothing usable on the clipboard changes nothing at all; with a
// file it uploads it, so the key is known to reach the action.
TEST_F(WindowTest, PasteKeyUploadsFilesAndFolders)
{
    open();
    QTemporaryDir local;
    ASSERT_TRUE(QDir(local.path()).mkdir("Holiday"));
    desktop->clipboardURLs = {QUrl::fromLocalFile(local.filePath("Holiday"))};
    QTest::keySequence(window(), QKeySequence::Paste);
    ASSERT_TRUE(spinUntil([&] { return engine->folderRequests.size() == 1; }));
    EXPECT_EQ(engine->folderRequests.first().name, "Holiday");
    EXPECT_TRUE(engine->uploadRequests.isEmpty());
    ASSERT_TRUE(spinUntil([&] { return vm()->state() == State::ready; }));

    QFile file(local.filePath("a.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    desktop->clipboardURLs = {QUrl::fromLocalFile(file.fileName())};
    click(item("pasteButton"));
    ASSERT_TRUE(spinUntil([&] { return engine->uploadRequests.size() == 1; }));
    ASSERT_TRUE(spinUntil([&] { return text("statusText") == "Uploaded 1 file to Internal shared storage."; }))
        << text("statusText").toStdString();
}

// Counts every network request the window's QML engine makes (images load on a thread).
class RecordingFactory : public QQmlNetworkAccessManagerFactory {
public:
    class Manager : public QNetworkAccessManager {
    public:
        Manager(std::atomic<int> &requests, QObject *parent) : QNetworkAccessManager(parent), m_requests(requests) {}

    protected:
        QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request, QIODevice *data) override
        {
            ++m_requests;
            return QNetworkAccessManager::createRequest(operation, request, data);
        }

    private:
        std::atomic<int> &m_requests;
    };

    QNetworkAccessManager *create(QObject *parent) override { return new Manager(requests, parent); }
    std::atomic<int> requests = 0;
};

// Markup in a phone's names shows as the characters it is, and loads nothing.
TEST_F(WindowTest, PhoneTextsAreShownAsPlainText)
{
    const QString image = R"(<img src="http://127.0.0.1:9/y.png">)";
    engine->devicesToReturn = {{.id = "mtp-1-2-18d1-4ee1", .name = "<b>Pixel</b>"}};
    engine->entriesByParentID[""] = {test::folder("70", "<i>Music</i>"), test::file("71", image, 10)};
    RecordingFactory factory;
    auto *qml = window() ? qmlEngine(window()) : nullptr;
    ASSERT_NE(qml, nullptr);
    qml->setNetworkAccessManagerFactory(&factory);
    app->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    ASSERT_TRUE(spinUntil([&] { return rows().size() == 2; }));

    // Hovering the folder's chevron brings up its tooltip, which names the folder.
    QQuickItem *chevron = rowButton("<i>Music</i>");
    QTest::mouseMove(window(), chevron->mapToScene(QPointF(chevron->width() / 2, chevron->height() / 2)).toPoint());
    spinUntil([&] {
        const QList<QQuickItem *> texts = allItems();
        return std::any_of(texts.begin(), texts.end(), [](QQuickItem *t) {
            return t->property("text").toString() == "Open <i>Music</i>";
        });
    }, std::chrono::milliseconds(3000));

    int markedUp = 0;
    for (QQuickItem *candidate : allItems()) {
        const QString shown = candidate->property("text").toString();
        if (!candidate->inherits("QQuickText") || !shown.contains('<'))
            continue;
        ++markedUp;
        EXPECT_EQ(candidate->property("textFormat").toInt(), Qt::PlainText) << shown.toStdString();
    }
    EXPECT_GE(markedUp, 3); // both names and the tooltip
    EXPECT_EQ(row(image)->property("name"), image);
    test::settle();
    EXPECT_EQ(factory.requests, 0);
    qml->setNetworkAccessManagerFactory(nullptr);
}

// Every icon and the QR code in the window loads from the app's own files.
TEST_F(WindowTest, EveryImageLoads)
{
    open();
    click(item("supportToggle"));
    int images = 0;
    for (QQuickItem *candidate : allItems()) {
        const QUrl source = candidate->property("source").toUrl();
        if (!candidate->inherits("QQuickImageBase") || source.isEmpty())
            continue;
        ++images;
        EXPECT_EQ(candidate->property("status").toInt(), 1 /* Image.Ready */) << source.toString().toStdString();
    }
    EXPECT_GE(images, 15);
    QList<QQuickItem *> codes;
    collect(window()->contentItem(), "donationQRCode", codes);
    ASSERT_EQ(codes.size(), 1);
    EXPECT_EQ(codes[0]->width(), 72);
    EXPECT_EQ(codes[0]->height(), 72);
}

// A status too long for two lines is cut at its end and stays clear of Refresh; the panes
// keep their limits however far the divider is dragged.
TEST_F(WindowTest, LayoutKeepsItsLimits)
{
    engine->storagesToReturn = {{.id = "65537", .name = QString(300, 'x')}};
    open();
    window()->resize(760, 460);
    test::settle();
    QQuickItem *status = item("statusText");
    QQuickItem *refresh = item("refreshButton");
    EXPECT_TRUE(status->property("truncated").toBool());
    EXPECT_GE(refresh->mapToScene({0, 0}).x() - status->mapToScene({status->width(), 0}).x(), 12);

    QQuickItem *left = item("remoteBrowser");
    QQuickItem *right = item("localActions");
    const auto drag = [&](int toX) {
        const QPoint handle(int(left->mapToScene({left->width(), 0}).x() + 1), int(left->mapToScene({0, 200}).y()));
        QTest::mousePress(window(), Qt::LeftButton, {}, handle);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(window(), handle + (QPoint(toX, handle.y()) - handle) * step / 10);
        QTest::mouseRelease(window(), Qt::LeftButton, {}, QPoint(toX, handle.y()));
        test::settle();
    };
    window()->resize(1200, 600);
    test::settle();
    drag(100);
    EXPECT_EQ(right->width(), 340);
    drag(1190);
    EXPECT_EQ(right->width(), 260);
    window()->resize(760, 460);
    test::settle();
    drag(100);
    EXPECT_GE(left->width(), 420);
    EXPECT_GE(right->width(), 260);
}

} // namespace

// Escape cancels the running transfer; closing the window during one asks first, and
// "Stop and Quit" stops it before the application is asked to end.
TEST_F(WindowTest, EscapeCancelsAndClosingAsksFirst)
{
    open();
    Gate transfer;
    engine->beforeDownload = transfer.hook();
    desktop->saveLocation = QUrl::fromLocalFile("/home/user/photo.jpg");
    click(rowButton("photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    EXPECT_EQ(window()->title(), "Tarvel – Downloading");
    QTest::keyClick(window(), Qt::Key_Escape);
    EXPECT_TRUE(engine->lastTransferControl->isCancelled());
    EXPECT_EQ(text("cancelTransferButton"), "Cancelling...");
    EXPECT_FALSE(item("cancelTransferButton")->isEnabled());
    transfer.open();
    ASSERT_TRUE(spinUntil([&] { return vm()->state() == State::ready; }));
    EXPECT_EQ(text("statusText"), "The transfer was cancelled.");

    Gate second;
    engine->beforeDownload = second.hook();
    click(rowButton("photo.jpg"));
    ASSERT_TRUE(second.waitEntered());
    QSignalSpy quit(app->contentView(), &ContentView::quitRequested);
    // The application's own answer would end every event loop of this test process.
    QObject::disconnect(app->contentView(), &ContentView::quitRequested, app.get(), nullptr);
    window()->close();
    ASSERT_TRUE(spinUntil([&] { return item("stopAndQuitButton") != nullptr; }));
    EXPECT_TRUE(window()->isVisible());
    click(item("stopAndQuitButton"));
    EXPECT_TRUE(engine->lastTransferControl->isCancelled());
    EXPECT_EQ(quit.count(), 0);
    second.open();
    ASSERT_TRUE(spinUntil([&] { return quit.count() == 1; }));
}

// Files and folders dropped from a file manager are uploaded into the folder shown, folders
// with what they hold, and the end sentence says so.
TEST_F(WindowTest, DroppedFilesAndFoldersAreUploaded)
{
    open();
    QTemporaryDir local;
    QDir(local.path()).mkpath("Trip");
    for (const QString &name : {QStringLiteral("a.txt"), QStringLiteral("Trip/b.txt")}) {
        QFile file(local.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("12345");
    }
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(local.filePath("a.txt")), QUrl::fromLocalFile(local.filePath("Trip"))});
    const QPoint centre(window()->width() / 2, window()->height() / 2);
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window(), &enter);
    QDragMoveEvent move(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window(), &move);
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window(), &drop);
    ASSERT_TRUE(spinUntil([&] { return text("statusText") == "Uploaded 2 files (1 KB) to Internal shared storage."; }))
        << text("statusText").toStdString();
    ASSERT_EQ(engine->folderRequests.size(), 1);
    EXPECT_EQ(engine->folderRequests.first().name, "Trip");
    ASSERT_EQ(engine->uploadRequests.size(), 2);
    EXPECT_EQ(engine->uploadRequests[1].remoteParentID, "folder-1");
}
