// The browser's pictures in the real window, offscreen: the grid and the thumbnails it
// asks for, and the preview opened from the keyboard.

#include "TarvelApp/WindowSettings.h"
#include "tests/ui/AppWindowFixture.h"

#include <QBuffer>
#include <QImage>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvel;
using tarvel::test::spinUntil;
using namespace std::chrono_literals;

namespace {

class PicturesWindowTest : public test::AppWindowTest {
protected:
    // A camera folder of 120 photos, a minute apart, each with the phone's own thumbnail.
    PicturesWindowTest()
    {
        WindowSettings().setShowsGrid(false);
        engine->devicesToReturn = {test::phone::pixel};
        engine->storagesToReturn = {test::phone::internal};
        QList<RemoteEntry> photos;
        for (int i = 0; i < 120; ++i) {
            RemoteEntry photo = test::file(QString::number(1000 + i), QStringLiteral("IMG_%1.jpg").arg(1000 + i), 30'000);
            photo.modifiedAt = QDateTime(QDate(2024, 6, 1), QTime(9, 0), Qt::UTC).addSecs(60 * i);
            photos.append(photo);
            engine->thumbnails.insert(photo.id, jpeg());
        }
        engine->entriesByParentID = {{"", photos}};
        start();
    }
    ~PicturesWindowTest() override { WindowSettings().setShowsGrid(false); }

    static QByteArray jpeg()
    {
        QImage image(160, 120, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "jpg");
        return bytes;
    }

    // The grid's cells inside its viewport, by name.
    QHash<QString, QQuickItem *> cellsOnScreen() const
    {
        QQuickItem *grid = item("remoteGrid");
        QList<QQuickItem *> cells;
        collect(grid, QStringLiteral("entryCell"), cells);
        const qreal top = grid->property("contentY").toReal();
        QHash<QString, QQuickItem *> shown;
        for (QQuickItem *cell : cells) {
            if (cell->y() + cell->height() > top + 1 && cell->y() < top + grid->height() - 1)
                shown.insert(cell->property("name").toString(), cell);
        }
        return shown;
    }
    QSet<QString> askedNames() const
    {
        QSet<QString> names;
        for (const ObjectRequest &request : engine->thumbnailRequests)
            names.insert(request.name);
        return names;
    }
};

// Only the cells on screen are asked for, at the top and after scrolling to the bottom
// (where the last line may not reach the grid's right edge), each once; one that is not a
// picture keeps its icon. Space opens the preview on the current picture, Escape closes
// it and gives the keyboard back to the grid.
TEST_F(PicturesWindowTest, TheGridAsksOnlyForTheCellsOnScreen)
{
    engine->thumbnails.insert(QStringLiteral("1000"), QByteArray("not a picture at all"));
    ASSERT_NE(window(), nullptr);
    window()->resize(900, 640);
    open(120);
    click(item("viewToggle"));
    ASSERT_TRUE(spinUntil([&] { return item("remoteGrid")->isVisible() && !cellsOnScreen().isEmpty(); }));

    for (const bool atEnd : {false, true}) {
        const qsizetype before = engine->thumbnailRequests.size();
        if (atEnd)
            QMetaObject::invokeMethod(item("remoteGrid"), "positionViewAtEnd");
        const QHash<QString, QQuickItem *> shown = cellsOnScreen();
        ASSERT_TRUE(spinUntil([&] { return engine->thumbnailRequests.size() - before == shown.size(); }))
            << engine->thumbnailRequests.size() - before << " of " << shown.size();
        test::settle();
        EXPECT_EQ(engine->thumbnailRequests.size() - before, shown.size());
        const QList<ObjectRequest> asked = engine->thumbnailRequests.mid(before);
        for (const ObjectRequest &request : asked)
            EXPECT_TRUE(shown.contains(request.name)) << request.name.toStdString();
        ASSERT_TRUE(spinUntil([&] {
            QList<QQuickItem *> pictures;
            for (QQuickItem *cell : shown)
                collect(cell, QStringLiteral("cellThumbnail"), pictures);
            return pictures.size() == shown.size() - shown.contains(QStringLiteral("IMG_1000.jpg"));
        }));
    }
    EXPECT_EQ(askedNames().size(), engine->thumbnailRequests.size());

    QQuickItem *grid = item("remoteGrid");
    grid->forceActiveFocus();
    QTest::keyClick(window(), Qt::Key_End);
    QTest::keyClick(window(), Qt::Key_Space);
    ASSERT_TRUE(spinUntil([&] { return view()->browser()->preview()->isOpen(); }));
    EXPECT_EQ(text("previewTitle"), QStringLiteral("IMG_1119.jpg"));
    QTest::keyClick(window(), Qt::Key_Left);
    EXPECT_EQ(text("previewTitle"), QStringLiteral("IMG_1118.jpg"));
    QTest::keyClick(window(), Qt::Key_Escape);
    ASSERT_TRUE(spinUntil([&] { return !view()->browser()->preview()->isOpen() && grid->hasActiveFocus(); }));
    EXPECT_EQ(view()->browser()->entries()->currentRow(), 118);
}

// The preview's three ways to have no picture, each in its own words: a file whose size the
// phone did not say is read only up to the limit and one byte more, never whole; a picture
// whose header claims more than can be decoded says so; what is no picture says that.
TEST_F(PicturesWindowTest, PreviewSaysWhyItShowsNoPicture)
{
    const auto unsized = [](QString id, QString name) {
        RemoteEntry entry = test::file(id, name, 0);
        entry.sizeBytes.reset();
        return entry;
    };
    engine->entriesByParentID = {{"", {unsized("1", "A_LARGE.jpg"), unsized("2", "B_WIDE.jpg"), unsized("3", "C_BROKEN.jpg")}}};
    engine->contents.insert("1", QByteArray(PreviewPresenter::sizeLimitBytes + 2, 'x'));
    QImage line(40000, 2, QImage::Format_Mono);
    line.fill(0);
    QByteArray wide;
    QBuffer buffer(&wide);
    buffer.open(QIODevice::WriteOnly);
    line.save(&buffer, "png");
    engine->contents.insert("2", wide);
    engine->contents.insert("3", "not a picture");
    ASSERT_NE(window(), nullptr);
    app->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    ASSERT_TRUE(spinUntil([&] { return app->viewModel()->entries().size() == 3; }));
    PreviewPresenter &preview = *app->contentView()->browser()->preview();
    const auto problemOf = [&](const QString &id) {
        preview.openAt(app->contentView()->browser()->entries()->rowOf(id));
        spinUntil([&] { return !preview.problemText().isEmpty(); }, 20s);
        return preview.problemText();
    };
    EXPECT_EQ(problemOf("1"), QStringLiteral("A_LARGE.jpg is larger than 50 MB: download it to see it."));
    EXPECT_TRUE(engine->downloadRequests.isEmpty());
    EXPECT_EQ(problemOf("2"), QStringLiteral("B_WIDE.jpg cannot be shown: at 40,000 \u00d7 2 pixels it is too large a "
                                           "picture to open here. Download it to see it."));
    EXPECT_EQ(problemOf("3"), QStringLiteral("C_BROKEN.jpg cannot be shown: it is not a picture this computer can read."));
}

// Escape over the preview closes the preview; the copy running behind it, which Escape
// cancels otherwise, goes on.
TEST_F(PicturesWindowTest, EscapeClosesThePreviewNotTheCopyBehindIt)
{
    open(120);
    test::Gate copy;
    engine->beforeDownload = copy.hook();
    QTemporaryDir target;
    auto download = vm()->download(QStringLiteral("1005"), QStringLiteral("IMG_1005.jpg"),
                                               QUrl::fromLocalFile(target.filePath(QStringLiteral("IMG_1005.jpg"))));
    ASSERT_TRUE(copy.waitEntered());
    ASSERT_TRUE(spinUntil([&] { return vm()->state() == TarvelConnectionState::transferring; }));
    const auto copyControl = engine->lastTransferControl;

    item("remoteList")->forceActiveFocus();
    QTest::keyClick(window(), Qt::Key_Space);
    ASSERT_TRUE(spinUntil([&] { return view()->browser()->preview()->isOpen(); }));
    QTest::keyClick(window(), Qt::Key_Escape);
    ASSERT_TRUE(spinUntil([&] { return !view()->browser()->preview()->isOpen(); }));
    test::settle();
    EXPECT_EQ(vm()->state(), TarvelConnectionState::transferring);
    EXPECT_FALSE(copyControl->isCancelled());
    copy.open();
    ASSERT_TRUE(spinUntil([&] { return vm()->state() == TarvelConnectionState::ready; }));
    EXPECT_EQ(engine->downloadRequests.size(), 1);
}

} // namespace
