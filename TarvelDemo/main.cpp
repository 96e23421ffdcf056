// tarvel-demo [FOLDER]: the Tarvel window over a local folder that plays the phone; without
// one, over a fresh copy of the sample phone made at build time, gone when the window closes.

#include "TarvelApp/CommandLine.h"
#include "TarvelApp/TarvelApp.h"
#include "TarvelCore/Language.h"
#include "TarvelDemo/LocalFolderEngine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCommandLineParser>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A copy that keeps every file's date, which the sample's photos and the listing share.
bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(info.filePath()));
        if (info.isDir() ? !QDir().mkpath(target) : !QFile::copy(info.filePath(), target))
            return false;
        if (info.isFile()) {
            QFile copy(target);
            copy.open(QIODevice::ReadWrite);
            copy.setFileTime(info.lastModified(), QFileDevice::FileModificationTime);
        }
    }
    return true;
}

QString samplePhone()
{
    for (const char *folder : {TARVEL_SAMPLE_PHONE_BUILT, TARVEL_SAMPLE_PHONE_INSTALLED}) {
        if (QFileInfo(QString::fromUtf8(folder)).isDir())
            return QString::fromUtf8(folder);
    }
    return {};
}

// What the command line takes, in the language installed when describe() is called.
struct CommandLine {
    Q_DECLARE_TR_FUNCTIONS(tarvel::DemoCommandLine)

public:
    static const inline QString slow = QStringLiteral("slow");

    static void describe(QCommandLineParser &parser)
    {
        parser.setApplicationDescription(tr("Try Tarvel without a phone: a local folder plays the phone's storage."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addPositionalArgument(tr("FOLDER"), tr("The folder that plays the phone's storage; without one, a fresh "
                                                      "copy of the sample phone."));
        parser.addOption(QCommandLineOption(slow, tr("Copy at about 1 MB/s, so transfers take visible time.")));
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication::setApplicationName(QStringLiteral("Tarvel Demo"));
    // Settings kept between runs go to ~/.config/tarvel, beside its data and cache folders.
    QApplication::setOrganizationName(QStringLiteral("tarvel"));

    tarvel::answerHelpAndVersion(&CommandLine::describe, argc, argv);
    QApplication application(argc, argv);
    tarvel::useSystemLanguage(application);
    QCommandLineParser parser;
    CommandLine::describe(parser);
    parser.process(application);

    QStringList folders = parser.positionalArguments();
    QTemporaryDir sampleCopy(QDir::temp().filePath(QStringLiteral("tarvel-sample-phone-XXXXXX")));
    if (folders.isEmpty()) {
        // The folder's name is the storage's: named as a phone names its own, not as a
        // temporary folder.
        const QString storage = sampleCopy.filePath(QStringLiteral("Internal shared storage"));
        const QString sample = samplePhone();
        if (sample.isEmpty() || !sampleCopy.isValid() || !QDir().mkpath(storage) || !copyTree(sample, storage)) {
            std::fprintf(stderr, "%s\n\n%s",
                         qPrintable(CommandLine::tr("The sample phone could not be copied; give a folder to play the phone.")),
                         qPrintable(parser.helpText()));
            return 2;
        }
        folders.append(storage);
    }
    if (folders.size() != 1 || !QFileInfo(folders.first()).isDir()) {
        std::fprintf(stderr, "%s\n\n%s",
                     qPrintable(folders.size() == 1
                                    ? CommandLine::tr("Not a folder: %1").arg(folders.first())
                                    : CommandLine::tr("Give one folder to play the phone, or none for the sample phone.")),
                     qPrintable(parser.helpText()));
        return 2;
    }

    tarvel::TarvelApp app(std::make_shared<tarvel::LocalFolderEngine>(folders.first(), parser.isSet(CommandLine::slow)));
    if (!app.window())
        return 1;
    app.followTransfersOnDesktop();
    app.show();
    return QApplication::exec();
}
