// What the window keeps between runs, and the desktop's colours, font size and language.

#include "TarvelApp/TarvelApp.h"
#include "TarvelApp/WindowSettings.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/ScriptedPhone.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QQuickItem>
#include <QTranslator>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvel;
using namespace tarvel::test;
using SortOrder = RemoteEntryListModel::SortOrder;

namespace {

class Window : public WindowDriver {
public:
    explicit Window(bool withPhone = true)
    {
        if (withPhone)
            phone::script(*engine);
        app = std::make_unique<TarvelApp>(engine, std::make_unique<FakeDesktopServices>());
        app->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window()));
        EXPECT_TRUE(spinUntil([&] {
            return withPhone ? rows().size() == 4 : app->viewModel()->state() == TarvelConnectionState::noDevice;
        }));
    }
    QQuickWindow *window() const override { return app->window(); }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    std::unique_ptr<TarvelApp> app;
};

} // namespace

// What one run keeps the next one reads, but a folder gone since; a damaged file, values no
// run wrote, a file that cannot be written (even by root) and no config folder at all give
// the defaults and nothing else.
TEST(WindowSettings, KeptBetweenRunsAndDefaultsFromABadFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("config/tarvel/tarvel.conf");
    QDir().mkpath(dir.filePath("Downloads"));
    QDir().mkpath(dir.filePath("Music"));
    const QUrl downloads = QUrl::fromLocalFile(dir.filePath("Downloads"));
    const QUrl unplugged = QUrl::fromLocalFile("/media/usb/Photos");
    const auto expectDefaults = [](const WindowSettings &settings) {
        EXPECT_EQ(settings.downloadFolder(), std::nullopt);
        EXPECT_EQ(settings.windowSize(), std::nullopt);
        EXPECT_FALSE(settings.sort().has_value());
        EXPECT_FALSE(settings.showsGrid());
    };
    expectDefaults(WindowSettings(file));
    {
        const WindowSettings run(file);
        run.setDownloadFolder(downloads);
        run.setUploadFolder(QUrl::fromLocalFile(dir.filePath("Music")));
        run.setImportDestination(unplugged);
        run.setWindowSize({1100, 720});
        run.setSort({SortOrder::date, true});
        run.setShowsGrid(true);
    }
    const WindowSettings next(file);
    EXPECT_EQ(next.downloadFolder(), downloads);
    EXPECT_EQ(next.importDestination(), unplugged); // its disk may come back
    EXPECT_EQ(next.windowSize(), QSize(1100, 720));
    ASSERT_TRUE(next.sort().has_value());
    EXPECT_EQ(next.sort()->order, SortOrder::date);
    EXPECT_TRUE(next.sort()->reversed);
    EXPECT_TRUE(next.showsGrid());
    QDir(dir.filePath("Music")).removeRecursively();
    EXPECT_EQ(next.uploadFolder(), std::nullopt);

    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("\xff\xfe\x00garbage\n[window]\nsize=@Size(-3 99999)\n[browser]\nsort=sideways reversed\n"
                  "view=tiles\n[paths]\ndownload=Downloads\n");
    damaged.close();
    expectDefaults(WindowSettings(file));

    QFile(dir.filePath("blocked")).open(QIODevice::WriteOnly);
    const WindowSettings blocked(dir.filePath("blocked/tarvel/tarvel.conf"));
    blocked.setWindowSize({800, 600});
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("blocked/tarvel")));

    const WindowSettings none{QString()};
    none.setShowsGrid(true);
    expectDefaults(none);
}

// The window opens at the size and in the order the last one was left.
TEST(WindowSettings, TheNextWindowOpensAsTheLastWasLeft)
{
    {
        Window last;
        last.window()->resize(1000, 700);
        last.app->contentView()->browser()->setSortIndex(int(SortOrder::size));
        last.app->contentView()->browser()->reverseSort();
    }
    Window next;
    EXPECT_EQ(next.window()->size(), QSize(1000, 700));
    EXPECT_EQ(next.app->contentView()->browser()->sortIndex(), int(SortOrder::size));
    EXPECT_TRUE(next.app->contentView()->browser()->entries()->sortReversed());
}

namespace {

// What a desktop in a dark colour scheme hands the application: only some colours set.
QPalette darkDesktop()
{
    QPalette dark;
    for (const auto role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase})
        dark.setColor(role, QColor(0x2b, 0x2b, 0x2e));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(0xe8, 0xe8, 0xea));
    return dark;
}

// Whether the window's background, the listing's and the folder's title are the dark ones.
void expectDark(Window &window, bool dark)
{
    settle();
    const QImage shot = window.window()->grabWindow();
    const QQuickItem *list = window.item("remoteList");
    const QPointF inList = list->mapToScene(QPointF(list->width() / 2, list->height() - 4));
    EXPECT_EQ(qGray(shot.pixel(2, shot.height() - 2)) < 80, dark) << "the window's background";
    EXPECT_EQ(qGray(shot.pixel(inList.toPoint())) < 80, dark) << "the listing's background";
    EXPECT_EQ(window.item("locationTitle")->property("color").value<QColor>() == QColor(0xe8, 0xe8, 0xea), dark);
}

} // namespace

// A desktop in a dark colour scheme hands the application its palette: the window, the
// listing and the text take it, not Fusion's light colours. When the desktop switches while
// the window is open it follows at once: to light when the theme changes (the light one
// here, under the dark palette set before), to dark when the desktop sets the palette.
TEST(DesktopPalette, WindowFollowsTheDesktopsColours)
{
    const QPalette light = QGuiApplication::palette();
    QGuiApplication::setPalette(darkDesktop());
    {
        Window window;
        expectDark(window, true);
        QEvent themeChanged(QEvent::ThemeChange);
        QCoreApplication::sendEvent(window.window(), &themeChanged);
        expectDark(window, false);
        QGuiApplication::setPalette(darkDesktop());
        expectDark(window, true);
    }
    QGuiApplication::setPalette(light);
}

// A desktop set to a larger font gets larger text and a window that holds it; the usual
// 10 pt keeps the sizes the window was drawn for.
TEST(DesktopFont, TextAndWindowGrowWithTheDesktopsFontSize)
{
    const QFont before = QGuiApplication::font();
    for (const auto &[points, textPixels, minimumWidth] : {std::tuple{10.0, 13, 760}, std::tuple{13.0, 17, 994}}) {
        QFont font = before;
        font.setPointSizeF(points);
        QGuiApplication::setFont(font);
        Window window;
        EXPECT_EQ(window.item("locationTitle")->property("font").value<QFont>().pixelSize(), textPixels) << points;
        EXPECT_EQ(window.window()->minimumWidth(), minimumWidth) << points;
    }
    QGuiApplication::setFont(before);
}

// German sentences run longest. At the smallest window the status line takes a second line
// and the folder's count line a line of its own, rather than either being cut short.
TEST(DesktopLanguage, LongGermanSentencesAreShownWholeAtTheSmallestWindow)
{
    QTranslator german;
    ASSERT_TRUE(german.load(QStringLiteral(":/tarvel/i18n/tarvel_de.qm")));
    QCoreApplication::installTranslator(&german);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    {
        Window window(false);
        window.window()->resize(760, 460);
        settle();
        const QQuickItem *status = window.item("statusText");
        EXPECT_FALSE(status->property("truncated").toBool());
        EXPECT_EQ(status->property("lineCount").toInt(), 2);

        phone::script(*window.engine);
        window.app->contentView()->status()->startRefresh();
        EXPECT_TRUE(spinUntil([&] { return window.rows().size() == 4; }));
        settle();
        EXPECT_FALSE(window.item("locationDetail")->property("truncated").toBool());
    }
    QCoreApplication::removeTranslator(&german);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}
