#include <gmock/gmock.h>

#include "TarvelCore/Language.h"

#include <QLocale>
#include <QTemporaryDir>

#ifdef TARVEL_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char **argv)
{
    // What the app keeps between runs (thumbnails, the window's settings, the import record) goes to folders
    // of this run's own, never the user's.
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
#ifdef TARVEL_TEST_GUI
    // Windows in tests never need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // Tests compare English sentences, sizes and dates whatever the machine's locale.
    tarvel::useLanguage(app, QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
