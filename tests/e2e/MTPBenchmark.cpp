// Measures, inside the emulator guest and on one phone, the engine against the raw
// libmtp calls it wraps: a 1 GB download and upload, and a 5,000-entry listing. While
// the engine works, a 1 ms timer on the UI thread records the longest stall.
// Prints figures; asserts nothing. Run through scripts/benchmark.sh.

#include "CMTPBridge/CMTPBridge.h"
#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelCore/SerialWorker.h"
#include "tests/support/TestSupport.h"

#include <libmtp.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tarvel;
using namespace std::chrono_literals;

namespace {

struct Figure {
    double seconds = 0;
    qint64 longestStallMs = 0;
};

[[noreturn]] void die(const char *what)
{
    std::fprintf(stderr, "benchmark: %s\n", what);
    std::exit(1);
}

// Times an operation awaited on the UI thread, ticking a 1 ms timer meanwhile.
template <typename T>
Figure timeTicking(QCoro::Task<T> task)
{
    QElapsedTimer clock, sinceTick;
    qint64 longest = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.restart());
    });
    clock.start();
    sinceTick.start();
    timer.start(1);
    test::runSync(std::move(task), 3600s);
    timer.stop();
    longest = std::max(longest, sinceTick.elapsed());
    return {clock.nsecsElapsed() / 1e9, longest};
}

// A raw libmtp call runs on a thread of its own while the UI thread ticks the same timer
// as during the engine's work: on the guest's one CPU the ticking has a cost, and both
// sides must pay it for the ratio to show the engine's own.
template <typename Work>
Figure timeRaw(Work work)
{
    static SerialWorker rawThread;
    auto call = [&work] { work(); };
    return timeTicking(awaitResult(rawThread.run(std::move(call))));
}

uint32_t findByName(LIBMTP_mtpdevice_t *device, uint32_t storage, uint32_t parent, const char *name)
{
    uint32_t id = 0;
    LIBMTP_file_t *files = LIBMTP_Get_Files_And_Folders(device, storage, parent);
    while (files) {
        LIBMTP_file_t *next = files->next;
        if (files->filename && std::string(files->filename) == name)
            id = files->item_id;
        LIBMTP_destroy_file_t(files);
        files = next;
    }
    return id;
}

void destroyChain(LIBMTP_file_t *files)
{
    while (files) {
        LIBMTP_file_t *next = files->next;
        LIBMTP_destroy_file_t(files);
        files = next;
    }
}

struct RawFigures {
    Figure download, upload, listing;
};

// One session of plain libmtp: the same work the engine does, without the engine.
RawFigures measureRaw(const QByteArray &downloadPath, const QByteArray &uploadPath)
{
    LIBMTP_Init();
    LIBMTP_raw_device_t *raw = nullptr;
    int count = 0;
    if (LIBMTP_Detect_Raw_Devices(&raw, &count) != 0 || count < 1)
        die("no phone");
    LIBMTP_mtpdevice_t *device = LIBMTP_Open_Raw_Device_Uncached(&raw[0]);
    std::free(raw);
    if (!device || LIBMTP_Get_Storage(device, LIBMTP_STORAGE_SORTBY_NOTSORTED) != 0 || !device->storage)
        die("cannot open the phone");
    const uint32_t storage = device->storage->id;
    const uint32_t big = findByName(device, storage, LIBMTP_FILES_AND_FOLDERS_ROOT, "big.bin");
    const uint32_t folder = findByName(device, storage, LIBMTP_FILES_AND_FOLDERS_ROOT, "Folder5000");
    if (!big || !folder)
        die("the phone lacks big.bin or Folder5000");

    RawFigures figures;
    figures.download = timeRaw([&] {
        if (LIBMTP_Get_File_To_File(device, big, downloadPath.constData(), nullptr, nullptr) != 0)
            die("raw download failed");
    });
    figures.upload = timeRaw([&] {
        LIBMTP_file_t *file = LIBMTP_new_file_t();
        file->filename = strdup("raw-upload.bin");
        file->filesize = QFile(QString::fromUtf8(uploadPath)).size();
        file->filetype = LIBMTP_FILETYPE_UNKNOWN;
        file->parent_id = LIBMTP_FILES_AND_FOLDERS_ROOT;
        file->storage_id = storage;
        if (LIBMTP_Send_File_From_File(device, uploadPath.constData(), file, nullptr, nullptr) != 0)
            die("raw upload failed");
        // Remove it again: the emulated phone overwrites an existing name in place.
        LIBMTP_Delete_Object(device, file->item_id);
        LIBMTP_destroy_file_t(file);
    });
    figures.listing = timeRaw([&] { destroyChain(LIBMTP_Get_Files_And_Folders(device, storage, folder)); });
    LIBMTP_Release_Device(device);
    return figures;
}

// The bridge keeps the phone open; naming a device that is not there closes it, so the
// next raw session can open the phone itself.
void closeBridgeDevice()
{
    auto result = std::make_unique<CMTPStorageResult>();
    cmtp_list_storage_into(result.get(), "mtp-benchmark-none");
}

void report(const char *what, const Figure &raw, const Figure &engine, double bytes)
{
    const bool transfer = bytes > 0;
    std::printf("%-20s raw %6.2f s, engine %6.2f s", what, raw.seconds, engine.seconds);
    if (transfer)
        std::printf(" (%4.1f and %4.1f MB/s), throughput ratio %.3f", bytes / raw.seconds / 1e6,
                    bytes / engine.seconds / 1e6, raw.seconds / engine.seconds);
    else
        std::printf(", time ratio %.3f", engine.seconds / raw.seconds);
    std::printf("; longest UI stall: engine %lld ms, raw %lld ms\n", static_cast<long long>(engine.longestStallMs),
                static_cast<long long>(raw.longestStallMs));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString work = qEnvironmentVariable("TARVEL_BENCH_WORK");
    const int rounds = qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS") > 0 ? qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS") : 3;
    if (work.isEmpty())
        die("run through scripts/benchmark.sh");
    const QByteArray rawTarget = (work + "/raw-download.bin").toUtf8();
    const QByteArray uploadSource = (work + "/upload-source.bin").toUtf8();
    const double bytes = double(QFile(QString::fromUtf8(uploadSource)).size());

    // Raw and engine rounds alternate, so both meet the same host load and cache state.
    MTPAndroidFileTransferEngine engine;
    RawFigures raw{{1e9, 0}, {1e9, 0}, {1e9, 0}};
    Figure download{1e9, 0}, upload{1e9, 0}, listing{1e9, 0};
    const auto keepBest = [](Figure &best, const Figure &now) {
        best.longestStallMs = std::max(best.longestStallMs, now.longestStallMs);
        best.seconds = std::min(best.seconds, now.seconds);
    };
    for (int round = 0; round < rounds; ++round) {
        const RawFigures now = measureRaw(rawTarget, uploadSource);
        QFile::remove(QString::fromUtf8(rawTarget));
        keepBest(raw.download, now.download);
        keepBest(raw.upload, now.upload);
        keepBest(raw.listing, now.listing);

        // Object ids change with every session of the emulated phone: look them up again.
        const AndroidDevice device = test::runSync(engine.scanDevices()).value(0);
        const AndroidStorage storage = test::runSync(engine.listStorage(device.id)).value(0);
        QString big, folder;
        for (const RemoteEntry &entry : test::runSync(engine.listDirectory(device.id, storage.id, std::nullopt), 600s)) {
            if (entry.name == QLatin1String("big.bin"))
                big = entry.id;
            if (entry.name == QLatin1String("Folder5000"))
                folder = entry.id;
        }
        keepBest(download, timeTicking(engine.downloadFile(device.id, big, QUrl::fromLocalFile(work + "/engine-download.bin"))));
        QFile::remove(work + "/engine-download.bin");
        // A fresh name each round: the emulated phone would overwrite in place.
        const QString source = work + QStringLiteral("/engine-upload-%1.bin").arg(round);
        QFile::rename(QString::fromUtf8(uploadSource), source);
        keepBest(upload, timeTicking(engine.uploadFile(device.id, storage.id, QUrl::fromLocalFile(source), std::nullopt)));
        QFile::rename(source, QString::fromUtf8(uploadSource));
        keepBest(listing, timeTicking(engine.listDirectory(device.id, storage.id, folder)));
        closeBridgeDevice();
        std::printf("round %d done\n", round + 1);
        std::fflush(stdout);
    }

    std::printf("\nBest of %d rounds, one phone, one guest:\n", rounds);
    report("download 1 GB", raw.download, download, bytes);
    report("upload 1 GB", raw.upload, upload, bytes);
    report("list 5,000 entries", raw.listing, listing, 0);
    return 0;
}
