#include "TarvelApp/CommandLine.h"

#include "TarvelCore/Language.h"

#include <QCoreApplication>

namespace tarvel {

void answerHelpAndVersion(const DescribeCommandLine &describe, int argc, char **argv)
{
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVEL_VERSION));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser asked;
    describe(asked);
    // A failure here may be one of Qt's own options (-platform), which only the
    // application object knows: process() reports real mistakes later.
    if (!asked.parse(arguments))
        return;
    if (!asked.isSet(QStringLiteral("help")) && !asked.isSet(QStringLiteral("help-all")) &&
        !asked.isSet(QStringLiteral("version")))
        return;
    // Without a window toolkit: the help's usage line names the program through it, and
    // translators need an application to be installed in.
    QCoreApplication answering(argc, argv);
    useSystemLanguage(answering);
    // Described again: the texts are translated when they are given.
    QCommandLineParser parser;
    describe(parser);
    parser.process(answering); // prints and exits
}

} // namespace tarvel
