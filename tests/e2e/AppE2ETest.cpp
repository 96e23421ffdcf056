// Runs inside the emulator guest (see run-e2e.sh): the whole application, its real window
// (offscreen) over the real engine and libmtp, driven with mouse and keys, with scripted
// panels and clipboard. Writes a screenshot of every step.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelApp/QuitSignals.h"
#include "TarvelApp/TarvelApp.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/e2e/Guest.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace tarvel;
using namespace tarvel::test::guest;
using namespace std::chrono_literals;
using tarvel::test::spinUntil;

namespace {

QString writeLocal(const QString &name, const QByteArray &bytes)
{
    const QString path = workDir() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

class WholeApp : public ::testing::Test, protected test::WindowDriver {
protected:
    WholeApp() { start(); }
    ~WholeApp() override { quit(); }
    void start()
    {
        auto services = std::make_unique<test::FakeDesktopServices>();
        desktop = services.get();
        app = std::make_unique<TarvelApp>(std::make_shared<MTPAndroidFileTransferEngine>(), std::move(services));
    }
    // As the application quits: the phone's session ends cleanly.
    void quit()
    {
        app.reset();
        MTPAndroidFileTransferEngine::waitForIdle(60000);
        MTPAndroidFileTransferEngine::closeDevice(60000);
    }
    // The hidden parts a cut download keeps beside where it goes.
    QStringList parts() const { return QDir(workDir()).entryList(QDir::Hidden | QDir::Files).filter(".part-"); }
    bool offered() const { return spinUntil([&] { return item("resumeBar")->isVisible(); }, 60s); }

    QQuickWindow *window() const override { return app->window(); }

    void screenshot(const QString &name)
    {
        const QString folder = qEnvironmentVariable("TARVEL_E2E_SCREENSHOTS", workDir() + "/screenshots");
        QDir().mkpath(folder);
        test::settle();
        EXPECT_TRUE(window()->grabWindow().save(folder + QLatin1Char('/') + name + ".png")) << name.toStdString();
    }

    bool waitForStatus(const QString &status) { return spinUntil([&] { return text("statusText") == status; }, 300s); }
    bool waitForTitle(const QString &title) { return spinUntil([&] { return text("locationTitle") == title; }, 60s); }
    QStringList rowNames() const
    {
        QStringList names;
        for (QQuickItem *row : rows())
            names << row->property("name").toString();
        return names;
    }

    test::FakeDesktopServices *desktop = nullptr;
    std::unique_ptr<TarvelApp> app;
};

} // namespace

// Start, browse, download, upload through the panel and through the clipboard, each step
// checked on screen and, for the transfers, on the phone's and the computer's disks.
TEST_F(WholeApp, BrowsesDownloadsAndUploads)
{
    ASSERT_NE(window(), nullptr);
    window()->resize(900, 600);
    app->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));

    // The start task scans, opens the first storage and lists its root.
    ASSERT_TRUE(waitForStatus("Showing Tarvel Phone."));
    EXPECT_EQ(text("locationTitle"), "Tarvel Phone");
    QStringList hostRoot = QDir(phoneDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QStringList shown = rowNames();
    hostRoot.sort();
    shown.sort();
    EXPECT_EQ(shown, hostRoot);
    // Each file's row shows its modification time, the host file's own.
    QQuickItem *hello = row("hello.txt");
    ASSERT_NE(hello, nullptr);
    const QDateTime helloTime = QFileInfo(phoneDir() + "/hello.txt").lastModified();
    const QString info = hello->property("infoText").toString();
    EXPECT_TRUE(info.endsWith(RemoteEntryListModel::dateText(helloTime)) || info.endsWith(RemoteEntryListModel::dateText(helloTime.addSecs(-1)))
                || info.endsWith(RemoteEntryListModel::dateText(helloTime.addSecs(1))))
        << info.toStdString();
    screenshot("01-start");

    doubleClick(row("DCIM"));
    ASSERT_TRUE(waitForTitle("DCIM"));
    EXPECT_EQ(text("locationDetail").left(9), "1 item · ");
    screenshot("02-folder");

    click(rowButton("Camera"));
    ASSERT_TRUE(waitForTitle("Camera"));
    EXPECT_EQ(rowNames(), QStringList{"IMG_0001.jpg"});
    screenshot("03-subfolder");

    // Download: the save panel proposes the name, the file lands where the user chose.
    const QString target = workDir() + "/Downloaded photo.jpg";
    desktop->saveLocation = QUrl::fromLocalFile(target);
    click(rowButton("IMG_0001.jpg"));
    ASSERT_TRUE(waitForStatus("Downloaded IMG_0001.jpg."));
    ASSERT_EQ(desktop->savePanels.size(), 1);
    EXPECT_EQ(desktop->savePanels.first().proposedName, "IMG_0001.jpg");
    EXPECT_EQ(readAll(target), readAll(phoneDir() + "/DCIM/Camera/IMG_0001.jpg"));
    screenshot("04-downloaded");

    click(item("upButton"));
    ASSERT_TRUE(waitForTitle("DCIM"));
    screenshot("05-up");
    click(item("upButton"));
    ASSERT_TRUE(waitForTitle("Tarvel Phone"));

    // Two files through the open panel, into a sub-folder, then the listing is read again.
    doubleClick(row("Documents"));
    ASSERT_TRUE(waitForTitle("Documents"));
    const QByteArray report = QByteArray("quarterly numbers\n").repeated(5000);
    desktop->filesToOpen = {QUrl::fromLocalFile(writeLocal("report.txt", report)),
                            QUrl::fromLocalFile(writeLocal("Ünïcode notes.txt", "notes\n"))};
    click(item("uploadButton"));
    ASSERT_TRUE(spinUntil([&] { return rowNames().contains("report.txt") && rowNames().contains("Ünïcode notes.txt"); }, 300s));
    EXPECT_EQ(readAll(phoneDir() + "/Documents/report.txt"), report);
    EXPECT_EQ(readAll(phoneDir() + "/Documents/Ünïcode notes.txt"), QByteArray("notes\n"));
    EXPECT_EQ(text("statusText"), "Uploaded 2 files (90 KB) to Documents.");
    screenshot("06-uploaded");

    // One file through the clipboard and the Paste key.
    desktop->clipboardURLs = {QUrl::fromLocalFile(writeLocal("pasted photo.jpg", "jpeg bytes"))};
    QTest::keySequence(window(), QKeySequence::Paste);
    ASSERT_TRUE(spinUntil([&] { return rowNames().contains("pasted photo.jpg"); }, 300s));
    EXPECT_EQ(readAll(phoneDir() + "/Documents/pasted photo.jpg"), QByteArray("jpeg bytes"));
    screenshot("07-pasted");

    // A big download shows its bytes and speed, and Cancel stops it: the place the user
    // chose stays empty, and the phone answers the next click without a Refresh.
    click(item("upButton"));
    ASSERT_TRUE(waitForTitle("Tarvel Phone"));
    const QString video = workDir() + "/video.mp4";
    desktop->saveLocation = QUrl::fromLocalFile(video);
    click(rowButton("video.mp4"));
    ASSERT_TRUE(spinUntil([&] { return !text("transferRate").isEmpty(); }, 120s));
    EXPECT_TRUE(text("transferBytes").endsWith(" of 200 MB")) << text("transferBytes").toStdString();
    EXPECT_EQ(text("transferRoute"), "video.mp4 \u2192 " + QDir(workDir()).dirName());
    EXPECT_TRUE(window()->title().startsWith("Tarvel – Downloading ")) << window()->title().toStdString();
    screenshot("08-downloading");
    click(item("cancelTransferButton"));
    ASSERT_TRUE(waitForStatus("The transfer was cancelled."));
    EXPECT_FALSE(QFile::exists(video));
    // What arrived waits in a hidden part and is offered to resume; Dismiss removes it.
    ASSERT_TRUE(offered());
    EXPECT_EQ(parts().size(), 1);
    screenshot("09-cancelled");
    click(item("dismissResumeButton"));
    EXPECT_TRUE(spinUntil([&] { return parts().isEmpty(); }, 60s));
    doubleClick(row("Music"));
    ASSERT_TRUE(waitForTitle("Music"));

    // Logging out during the same download (SIGTERM, wired as the application wires it)
    // stops it the same way before Tarvel quits.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, app->contentView(), &ContentView::stopTransferAndQuit);
    QSignalSpy quitAsked(app->contentView(), &ContentView::quitRequested);
    // The test ends the application itself: QCoreApplication::exit would end every event
    // loop the test spins after it.
    QObject::disconnect(app->contentView(), QMetaMethod::fromSignal(&ContentView::quitRequested), app.get(), QMetaMethod());
    click(item("upButton"));
    ASSERT_TRUE(waitForTitle("Tarvel Phone"));
    click(rowButton("video.mp4"));
    ASSERT_TRUE(spinUntil([&] { return !text("transferRate").isEmpty(); }, 120s));
    std::raise(SIGTERM);
    ASSERT_TRUE(spinUntil([&] { return quitAsked.count() == 1; }, 120s));
    EXPECT_FALSE(QFile::exists(video));
    ASSERT_EQ(parts().size(), 1);
    const qint64 kept = QFileInfo(workDir() + QLatin1Char('/') + parts().first()).size();

    // At the next start the cut copy is offered, and Resume goes on from the part's last byte.
    quit();
    start();
    window()->resize(900, 600);
    app->show();
    ASSERT_TRUE(waitForStatus("Showing Tarvel Phone.")) << text("statusText").toStdString();
    ASSERT_TRUE(offered());
    EXPECT_TRUE(text("resumeText").startsWith("Resume: 1 of 1 file left")) << text("resumeText").toStdString();
    screenshot("10-resume-offered");
    click(item("resumeButton"));
    ASSERT_TRUE(spinUntil([&] { return !text("transferRate").isEmpty(); }, 120s));
    const QString from = text("transferBytes"); // "41.2 MB of 200 MB"
    const double scale = from.section(' ', 1, 1) == "MB" ? 1e6 : 1e3;
    EXPECT_GE(from.section(' ', 0, 0).toDouble() * scale, 0.95 * double(kept)) << from.toStdString();
    // A file asked for meanwhile waits its turn, and comes once the resumed copy stops.
    const QString later = workDir() + "/hello.txt";
    desktop->saveLocation = QUrl::fromLocalFile(later);
    click(rowButton("hello.txt"));
    ASSERT_TRUE(spinUntil([&] { return app->contentView()->transfers()->queueLines().size() == 1; }, 60s));
    screenshot("11-queued");
    click(item("cancelTransferButton"));
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(later); }, 300s)) << text("statusText").toStdString();
    EXPECT_EQ(readAll(later), readAll(phoneDir() + "/hello.txt"));
    EXPECT_FALSE(QFile::exists(video));
    ASSERT_EQ(parts().size(), 1);
    EXPECT_GT(QFileInfo(workDir() + QLatin1Char('/') + parts().first()).size(), kept);
}
