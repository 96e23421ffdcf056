// Measures, inside the emulator guest and on one phone, a download cut and resumed: the big
// file downloaded whole, then again cut by a cancel at 60% and resumed from the part it kept.
// Prints the bytes read from the phone after the resume and their speed against the whole
// download's in the same round; asserts nothing. Run through scripts/benchmark.sh --resume.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace tarvel;
using namespace std::chrono_literals;

namespace {

[[noreturn]] void die(const char *what)
{
    std::fprintf(stderr, "resume benchmark: %s\n", what);
    std::exit(1);
}

QByteArray sha256(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        die(qPrintable(path));
    return hash.result();
}

// Seconds the download took; a cancelled one ends when the engine gave it up.
double timed(MTPAndroidFileTransferEngine &engine, const DownloadRequest &request, std::shared_ptr<TransferControl> control)
{
    QElapsedTimer clock;
    clock.start();
    try {
        test::runSync(test::downloadOne(&engine, request, std::move(control)), 3600s);
    } catch (const TransferError &error) {
        if (error.kind() != TransferError::Kind::cancelled)
            die(error.what());
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString phoneFolder = qEnvironmentVariable("TARVEL_BENCH_PHONE");
    const int rounds = std::max(1, qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS"));
    const QString into = QStringLiteral("/dev/shm/tarvel-resume");
    QDir().mkpath(into);

    MTPAndroidFileTransferEngine engine;
    const QList<AndroidDevice> devices = test::runSync(engine.scanDevices(), 120s);
    if (devices.isEmpty())
        die("no phone");
    const QString device = devices.first().id;
    const QList<AndroidStorage> storages = test::runSync(engine.listStorage(device), 120s);
    if (storages.isEmpty())
        die("no storage");
    const DirectoryListing root = test::runSync(test::listOne(&engine, {device, storages.first().id, std::nullopt}), 120s);
    const auto big = std::find_if(root.entries.cbegin(), root.entries.cend(), [](const RemoteEntry &e) { return e.name == "big.bin"; });
    if (big == root.entries.cend())
        die("no big.bin");
    const double size = double(big->sizeBytes.value_or(0));
    const QByteArray phoneHash = sha256(phoneFolder + QStringLiteral("/big.bin"));

    for (int round = 1; round <= rounds; ++round) {
        DownloadRequest whole{.deviceID = device, .remoteFileID = big->id, .localFolder = into, .localName = "whole.bin"};
        const double wholeSeconds = timed(engine, whole, std::make_shared<TransferControl>());
        QFile::remove(into + "/whole.bin");

        // Cut by a cancel once 60% arrived, as a pulled cable cuts it; the part stays.
        DownloadRequest resumable = whole;
        resumable.localName = "resumed.bin";
        resumable.partTag = QStringLiteral("bench%1").arg(round);
        auto cut = std::make_shared<TransferControl>();
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (double(cut->completedBytes()) >= 0.6 * size)
                cut->cancel();
        });
        watch.start(1);
        timed(engine, resumable, cut);
        watch.stop();
        watch.disconnect();
        const QString part = into + "/.resumed.bin.part-" + resumable.partTag;
        const double kept = double(QFileInfo(part).size());

        // What the resume read is the file less its part: its progress starts at the part's end.
        auto resumed = std::make_shared<TransferControl>();
        double firstSeen = 0;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (firstSeen == 0)
                firstSeen = double(resumed->completedBytes());
        });
        watch.start(1);
        const double resumeSeconds = timed(engine, resumable, resumed);
        watch.stop();
        watch.disconnect();
        const double read = size - kept;
        const bool same = sha256(into + "/resumed.bin") == phoneHash;
        QFile::remove(into + "/resumed.bin");
        std::printf("round %d: whole %.0f MB in %.2f s (%.1f MB/s); cut at %.1f%% (%.0f MB kept); resumed: progress "
                    "from %.0f MB, %.3f GB read in %.2f s (%.1f MB/s), throughput %.3f of the whole download's; "
                    "bytes as the phone's: %s\n",
                    round, size / 1e6, wholeSeconds, size / 1e6 / wholeSeconds, 100 * kept / size, kept / 1e6,
                    firstSeen / 1e6, read / 1e9, resumeSeconds, read / 1e6 / resumeSeconds,
                    (read / resumeSeconds) / (size / wholeSeconds), same ? "yes" : "NO");
        std::fflush(stdout);
    }
    return 0;
}
