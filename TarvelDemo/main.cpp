// tarvel-demo FOLDER: the Tarvel window over a local folder that plays the phone.

#include "TarvelApp/CommandLine.h"
#include "TarvelApp/TarvelApp.h"
#include "TarvelDemo/LocalFolderEngine.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication::setApplicationName(QStringLiteral("Tarvel Demo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Try Tarvel without a phone: a local folder plays the phone's storage."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The folder that plays the phone's storage."));
    const QCommandLineOption slow(QStringLiteral("slow"), QStringLiteral("Copy at about 1 MB/s, so transfers take visible time."));
    parser.addOption(slow);
    tarvel::answerHelpAndVersion(parser, argc, argv);
    QApplication application(argc, argv);
    parser.process(application);

    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 1 || !QFileInfo(folders.first()).isDir()) {
        std::fprintf(stderr, "%s\n\n%s",
                     folders.size() == 1 ? qPrintable(QStringLiteral("Not a folder: ") + folders.first())
                                         : "Give exactly one folder to play the phone.",
                     qPrintable(parser.helpText()));
        return 2;
    }

    tarvel::TarvelApp app(std::make_shared<tarvel::LocalFolderEngine>(folders.first(), parser.isSet(slow)));
    if (!app.window())
        return 1;
    app.followTransfersOnDesktop();
    app.show();
    return QApplication::exec();
}
