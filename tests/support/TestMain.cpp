#include <gmock/gmock.h>

#ifdef TARVEL_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char **argv)
{
#ifdef TARVEL_TEST_GUI
    // Windows in tests never need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
