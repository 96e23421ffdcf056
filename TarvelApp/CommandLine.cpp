#include "TarvelApp/CommandLine.h"

#include <QCoreApplication>

namespace tarvel {

void answerHelpAndVersion(QCommandLineParser &parser, int argc, char **argv)
{
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVEL_VERSION));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // A failure here may be one of Qt's own options (-platform), which only the
    // application object knows: process() reports real mistakes later.
    if (!parser.parse(arguments))
        return;
    if (!parser.isSet(QStringLiteral("help")) && !parser.isSet(QStringLiteral("help-all")) &&
        !parser.isSet(QStringLiteral("version")))
        return;
    // Without a window toolkit: the help's usage line names the program through it.
    QCoreApplication answering(argc, argv);
    parser.process(answering); // prints and exits
}

} // namespace tarvel
