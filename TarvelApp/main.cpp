#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelApp/CommandLine.h"
#include "TarvelApp/QuitSignals.h"
#include "TarvelApp/TarvelApp.h"
#include "TarvelCore/Language.h"
#include "USBDiagnosis/USBHotplugMonitor.h"
#include "USBDiagnosis/USBPhoneDiagnosis.h"

#include <QApplication>
#include <QCoreApplication>

#include <chrono>

namespace {

// What the command line takes, in the language installed when describe() is called.
struct CommandLine {
    Q_DECLARE_TR_FUNCTIONS(tarvel::CommandLine)

public:
    static void describe(QCommandLineParser &parser)
    {
        parser.setApplicationDescription(tr("Move files between this computer and an Android phone over USB."));
        parser.addHelpOption();
        parser.addVersionOption();
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Also the window's title: the window sets none of its own.
    QApplication::setApplicationName(QStringLiteral("Tarvel"));
    // Settings kept between runs go to ~/.config/tarvel, beside its data and cache folders.
    QApplication::setOrganizationName(QStringLiteral("tarvel"));
    tarvel::answerHelpAndVersion(&CommandLine::describe, argc, argv);
    QApplication application(argc, argv);
    tarvel::useSystemLanguage(application);
    QCommandLineParser parser;
    CommandLine::describe(parser);
    parser.process(application);

    int status = 1;
    {
        // Outlives the app, whose view model follows its events.
        tarvel::USBHotplugMonitor plugEvents;
        // Our own close can reset the phone: that is not the user pulling it out.
        tarvel::MTPAndroidFileTransferEngine::onDeviceClosing(
            [&plugEvents](tarvel::USBAddress address) { plugEvents.ignoreEventsFor(address, std::chrono::seconds(3)); });
        tarvel::TarvelApp app(std::make_shared<tarvel::MTPAndroidFileTransferEngine>(),
                              std::make_shared<tarvel::USBPhoneDiagnosis>(), &plugEvents);
        app.followTransfersOnDesktop();
        // Ending the session or pressing Ctrl-C quits the way the window's Quit does.
        tarvel::QuitSignals quitSignals;
        QObject::connect(&quitSignals, &tarvel::QuitSignals::received, app.contentView(),
                         &tarvel::ContentView::stopTransferAndQuit);
        if (app.window()) {
            app.show();
            status = QApplication::exec();
        }
        // Let a transfer that is still in libmtp finish (or stop, when it was cancelled) before
        // the process goes, then end the phone's session instead of cutting it.
        tarvel::MTPAndroidFileTransferEngine::waitForIdle(5000);
        tarvel::MTPAndroidFileTransferEngine::closeDevice(2000);
        tarvel::MTPAndroidFileTransferEngine::onDeviceClosing({});
    }
    return status;
}
