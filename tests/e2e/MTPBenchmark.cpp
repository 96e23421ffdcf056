// Measures, inside the emulator guest and on one phone, the engine against the raw libmtp
// calls it wraps: a 1 GB download and upload and a 5,000-entry listing, how long a Cancel
// takes to free the lane, and the longest stall of the UI thread while the real window
// (offscreen) shows a transfer's progress. Both sides run in the same order, each in a
// fresh session, writing a new file in the same folder; what is not the operation itself
// (removing what it wrote) stays outside the timing. Prints figures; asserts nothing.
// Run through scripts/benchmark.sh.

#include "CMTPBridge/CMTPBridge.h"
#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "MTPAdapter/MTPOperationLane.h"
#include "TarvelApp/TarvelApp.h"
#include "TarvelCore/SerialWorker.h"
#include "tests/support/TestSupport.h"

#include <libmtp.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QQuickWindow>
#include <QTimer>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tarvel;
using namespace std::chrono_literals;

namespace {

struct Figure {
    double seconds = 1e9;
    qint64 longestStallMs = 0;
    int frames = 0;
    double uiSeconds = 0; // CPU time of the UI thread
};

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The window whose frames are counted while the engine works; null for the raw side.
QQuickWindow *shownWindow = nullptr;

[[noreturn]] void die(const char *what)
{
    std::fprintf(stderr, "benchmark: %s\n", what);
    std::exit(1);
}

// Ticks a 1 ms timer on the UI thread and records the longest gap between ticks.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_longest = std::max(m_longest, m_sinceTick.restart()); });
        m_sinceTick.start();
        m_timer.start(1);
    }
    qint64 longest() const { return std::max(m_longest, m_sinceTick.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

// Times a task awaited on the UI thread while the stall meter ticks. The clock starts before
// the task does: a coroutine runs up to its first suspension as soon as it is called.
template <typename Start>
Figure timeTicking(Start start)
{
    StallMeter meter;
    int frames = 0;
    QMetaObject::Connection counting;
    if (shownWindow)
        counting = QObject::connect(shownWindow, &QQuickWindow::frameSwapped, [&frames] { ++frames; });
    const double uiStart = threadSeconds();
    QElapsedTimer clock;
    clock.start();
    test::runSync(start(), 3600s);
    QObject::disconnect(counting);
    return {clock.nsecsElapsed() / 1e9, meter.longest(), frames, threadSeconds() - uiStart};
}

// A raw libmtp call runs on a thread of its own while the UI thread ticks the same meter:
// on the guest's one CPU the ticking has a cost, and both sides must pay it.
template <typename Work>
Figure timeRaw(Work work)
{
    static SerialWorker rawThread;
    auto call = [&work] { work(); };
    return timeTicking([&] { return awaitResult(rawThread.run(std::move(call))); });
}

void keepBest(Figure &best, const Figure &now)
{
    best.longestStallMs = std::max(best.longestStallMs, now.longestStallMs);
    if (now.seconds < best.seconds) {
        best.frames = now.frames;
        best.uiSeconds = now.uiSeconds;
    }
    best.seconds = std::min(best.seconds, now.seconds);
}

void destroyChain(LIBMTP_file_t *files)
{
    while (files) {
        LIBMTP_file_t *next = files->next;
        LIBMTP_destroy_file_t(files);
        files = next;
    }
}

uint32_t findByName(LIBMTP_mtpdevice_t *device, uint32_t storage, const char *name)
{
    uint32_t id = 0;
    LIBMTP_file_t *files = LIBMTP_Get_Files_And_Folders(device, storage, LIBMTP_FILES_AND_FOLDERS_ROOT);
    for (LIBMTP_file_t *file = files; file; file = file->next)
        if (file->filename && std::string(file->filename) == name)
            id = file->item_id;
    destroyChain(files);
    return id;
}

struct Paths {
    QString work;
    // Batches of small files land on the guest's own tmpfs: over the shared folder every
    // file-system call is a round trip to the host, which no local disk makes.
    QString rawBatch() const { return QStringLiteral("/dev/shm/raw-batch"); }
    QString engineBatch() const { return QStringLiteral("/dev/shm/engine-batch"); }
    QByteArray source() const { return (work + "/upload-source.bin").toUtf8(); }
    QString rawTarget() const { return work + "/raw-download.bin"; }
    QString engineTarget() const { return work + "/engine-download.bin"; }
};

struct Figures {
    Figure download, upload, listing, batch, tree;
    double cancelDownloadMs = 0, cancelUploadMs = 0; // measured only when asked for
};

// libmtp's own cancel, for comparison: the progress callback asks to stop a fifth of the
// way in, and the time runs from there to the call's return.
int stopAtFifth(uint64_t const sent, uint64_t const total, void const *data)
{
    auto *since = static_cast<QElapsedTimer *>(const_cast<void *>(data));
    if (sent * 5 <= total)
        return 0;
    if (!since->isValid())
        since->start();
    return 1;
}

// Every file below `folder`, listed the plain way: one listing per folder.
void listTree(LIBMTP_mtpdevice_t *device, uint32_t storage, uint32_t folder, const QString &path,
              QList<QPair<uint32_t, QString>> &files, QStringList &folders)
{
    LIBMTP_file_t *chain = LIBMTP_Get_Files_And_Folders(device, storage, folder);
    for (LIBMTP_file_t *file = chain; file; file = file->next) {
        const QString child = path + QLatin1Char('/') + QString::fromUtf8(file->filename);
        if (file->filetype == LIBMTP_FILETYPE_FOLDER) {
            folders.append(child);
            listTree(device, storage, file->item_id, child, files, folders);
        } else {
            files.append({file->item_id, child});
        }
    }
    destroyChain(chain);
}

// Raw downloads of the given objects into new files.
void rawDownloads(LIBMTP_mtpdevice_t *device, const QList<QPair<uint32_t, QString>> &files)
{
    for (const auto &[id, path] : files) {
        const int fd = open(path.toUtf8().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || LIBMTP_Get_File_To_File_Descriptor(device, id, fd, nullptr, nullptr) != 0)
            die("raw batch download failed");
        close(fd);
    }
}

// The record of the upload source sent to the storage's root as `name`.
LIBMTP_file_t *uploadRecord(const char *name, const Paths &paths, uint32_t storage)
{
    LIBMTP_file_t *file = LIBMTP_new_file_t();
    file->filename = strdup(name);
    file->filesize = QFile(QString::fromUtf8(paths.source())).size();
    file->filetype = LIBMTP_FILETYPE_UNKNOWN;
    file->parent_id = LIBMTP_FILES_AND_FOLDERS_ROOT;
    file->storage_id = storage;
    return file;
}

// One session of plain libmtp doing what the engine does. It also deletes, untimed, the
// object the previous engine round uploaded: the emulated phone would otherwise overwrite
// that name in place next time.
Figures measureRaw(const Paths &paths, bool cancels = false)
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
    const uint32_t big = findByName(device, storage, "big.bin");
    const uint32_t folder = findByName(device, storage, "Folder5000");
    if (const uint32_t left = findByName(device, storage, "upload-source.bin"))
        LIBMTP_Delete_Object(device, left);
    if (!big || !folder)
        die("the phone lacks big.bin or Folder5000");

    Figures figures;
    const int target = open(paths.rawTarget().toUtf8().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    figures.download = timeRaw([&] {
        if (LIBMTP_Get_File_To_File_Descriptor(device, big, target, nullptr, nullptr) != 0)
            die("raw download failed");
    });
    close(target);
    QFile::remove(paths.rawTarget());

    const int source = open(paths.source().constData(), O_RDONLY | O_CLOEXEC);
    LIBMTP_file_t *file = uploadRecord("upload-source.bin", paths, storage);
    figures.upload = timeRaw([&] {
        if (LIBMTP_Send_File_From_File_Descriptor(device, source, file, nullptr, nullptr) != 0)
            die("raw upload failed");
    });
    close(source);
    LIBMTP_Delete_Object(device, file->item_id);
    LIBMTP_destroy_file_t(file);

    figures.listing = timeRaw([&] { destroyChain(LIBMTP_Get_Files_And_Folders(device, storage, folder)); });

    // 1,000 files of a folder the user selected: the same ids downloaded one by one.
    QDir(paths.rawBatch()).removeRecursively();
    QDir().mkpath(paths.rawBatch());
    QList<QPair<uint32_t, QString>> batch;
    QStringList none;
    listTree(device, storage, findByName(device, storage, "Batch1000"), paths.rawBatch(), batch, none);
    figures.batch = timeRaw([&] { rawDownloads(device, batch); });
    QDir(paths.rawBatch()).removeRecursively();

    // A whole tree: listed folder by folder, its folders made, its files downloaded.
    QDir().mkpath(paths.rawBatch());
    const uint32_t tree = findByName(device, storage, "Tree2000");
    figures.tree = timeRaw([&] {
        QList<QPair<uint32_t, QString>> files;
        QStringList folders;
        listTree(device, storage, tree, paths.rawBatch() + "/Tree2000", files, folders);
        QDir().mkpath(paths.rawBatch() + "/Tree2000");
        for (const QString &made : folders)
            QDir().mkpath(made);
        rawDownloads(device, files);
    });
    QDir(paths.rawBatch()).removeRecursively();

    if (cancels) {
        QElapsedTimer since;
        const int cut = open(paths.rawTarget().toUtf8().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        LIBMTP_Get_File_To_File_Descriptor(device, big, cut, stopAtFifth, &since);
        figures.cancelDownloadMs = since.nsecsElapsed() / 1e6;
        close(cut);
        QFile::remove(paths.rawTarget());
        since.invalidate();
        const int sent = open(paths.source().constData(), O_RDONLY | O_CLOEXEC);
        LIBMTP_file_t *part = uploadRecord("cancelled-upload.bin", paths, storage);
        LIBMTP_Send_File_From_File_Descriptor(device, sent, part, stopAtFifth, &since);
        figures.cancelUploadMs = since.nsecsElapsed() / 1e6;
        close(sent);
        LIBMTP_destroy_file_t(part);
    }
    LIBMTP_Release_Device(device);
    return figures;
}

// What an operation leaves on the lane (the phone's free space read again after a copy)
// ends before the next one is timed. An empty job waits for it: waiting for the lane to be
// idle would also end its thread, which a running app never does between two operations.
void quiet()
{
    test::settle();
    test::runSync(awaitResult(MTPOperationLane::shared().run([] {})), 60s);
    test::settle();
}

RemoteEntry entryNamed(const QList<RemoteEntry> &entries, const char *name)
{
    for (const RemoteEntry &entry : entries)
        if (entry.name == QLatin1String(name))
            return entry;
    die(name);
}

// The same three operations through the view model under the real window, so the stall
// figure includes showing the progress.
Figures measureEngine(TarvelApp &app, const Paths &paths)
{
    TarvelViewModel &vm = *app.viewModel();
    test::runSync(app.contentView()->refreshSequence(), 600s);
    QString big, folder;
    for (const RemoteEntry &entry : vm.entries()) {
        if (entry.name == QLatin1String("big.bin"))
            big = entry.id;
        if (entry.name == QLatin1String("Folder5000"))
            folder = entry.id;
    }
    if (big.isEmpty() || folder.isEmpty())
        die("the engine does not see big.bin or Folder5000");
    quiet();
    Figures figures;
    figures.download = timeTicking([&] { return vm.download(big, QStringLiteral("big.bin"), QUrl::fromLocalFile(paths.engineTarget())); });
    if (vm.state() != TarvelConnectionState::ready)
        die(qPrintable(vm.statusMessage()));
    QFile::remove(paths.engineTarget());
    quiet();
    figures.upload = timeTicking([&] { return vm.upload(QUrl::fromLocalFile(QString::fromUtf8(paths.source())), std::nullopt); });
    if (vm.state() != TarvelConnectionState::ready)
        die(qPrintable(vm.statusMessage()));
    auto engine = std::make_shared<MTPAndroidFileTransferEngine>();
    quiet();
    figures.listing = timeTicking([&] { return test::listOne(engine.get(), DirectoryRequest{vm.selectedDevice()->id, vm.selectedStorage()->id, folder}); });

    // The same selection of 1,000 files, and the same tree, as batches.
    const RemoteEntry batchFolder = entryNamed(vm.entries(), "Batch1000");
    const QList<RemoteEntry> selection =
        test::runSync(test::listOne(engine.get(), DirectoryRequest{vm.selectedDevice()->id, vm.selectedStorage()->id, batchFolder.id}), 600s).entries;
    QDir(paths.engineBatch()).removeRecursively();
    QDir().mkpath(paths.engineBatch());
    quiet();
    figures.batch = timeTicking([&] { return vm.downloadItems(selection, QUrl::fromLocalFile(paths.engineBatch())); });
    if (vm.state() != TarvelConnectionState::ready)
        die(qPrintable(vm.statusMessage()));
    QDir(paths.engineBatch()).removeRecursively();
    QDir().mkpath(paths.engineBatch());
    quiet();
    figures.tree = timeTicking([&] { return vm.downloadItems({entryNamed(vm.entries(), "Tree2000")}, QUrl::fromLocalFile(paths.engineBatch())); });
    if (vm.state() != TarvelConnectionState::ready)
        die(qPrintable(vm.statusMessage()));
    QDir(paths.engineBatch()).removeRecursively();
    return figures;
}

// From Cancel to the lane being free, a fifth of the way into a download and an upload.
std::pair<double, double> measureCancel(TarvelApp &app, const Paths &paths)
{
    TarvelViewModel &vm = *app.viewModel();
    test::runSync(app.contentView()->refreshSequence(), 600s);
    QString big;
    for (const RemoteEntry &entry : vm.entries())
        if (entry.name == QLatin1String("big.bin"))
            big = entry.id;
    const auto latency = [&vm](QCoro::Task<> task) {
        // A fifth of the way in.
        test::spinUntil([&] {
            const auto job = vm.currentTransfer();
            return job && job->totalBytes && job->completedBytes * 5 > *job->totalBytes;
        }, 600s);
        QElapsedTimer clock;
        clock.start();
        vm.cancelTransfer();
        test::runSync(std::move(task), 600s);
        MTPAndroidFileTransferEngine::waitForIdle(60000);
        return clock.nsecsElapsed() / 1e6;
    };
    const double download = latency(vm.download(big, QStringLiteral("big.bin"), QUrl::fromLocalFile(paths.engineTarget())));
    const double upload = latency(vm.upload(QUrl::fromLocalFile(QString::fromUtf8(paths.source())), std::nullopt));
    return {download, upload};
}

void report(const char *what, const Figure &raw, const Figure &engine, double bytes)
{
    std::printf("%-20s raw %6.2f s, engine %6.2f s", what, raw.seconds, engine.seconds);
    if (bytes > 0)
        std::printf(" (%4.1f and %4.1f MB/s), throughput ratio %.3f", bytes / raw.seconds / 1e6,
                    bytes / engine.seconds / 1e6, raw.seconds / engine.seconds);
    else
        std::printf(", time ratio %.3f", engine.seconds / raw.seconds);
    std::printf("; longest UI stall: engine %lld ms, raw %lld ms; frames drawn: engine %d, raw %d; "
                "UI thread busy: engine %.2f s, raw %.2f s\n",
                static_cast<long long>(engine.longestStallMs), static_cast<long long>(raw.longestStallMs), engine.frames,
                raw.frames, engine.uiSeconds, raw.uiSeconds);
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const Paths paths{qEnvironmentVariable("TARVEL_BENCH_WORK")};
    const int rounds = qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS") > 0 ? qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS") : 3;
    if (paths.work.isEmpty())
        die("run through scripts/benchmark.sh");
    const double bytes = double(QFile(QString::fromUtf8(paths.source())).size());

    TarvelApp app(std::make_shared<MTPAndroidFileTransferEngine>());
    // TARVEL_BENCH_NO_WINDOW=1 keeps the window hidden: what drawing the progress costs the
    // guest's one CPU, against the figures with it shown.
    if (!qEnvironmentVariableIsSet("TARVEL_BENCH_NO_WINDOW")) {
        app.show();
        shownWindow = app.window();
    } else {
        test::runSync(app.contentView()->refreshSequence(), 600s); // what showing the window starts
    }
    // The window's own start (a scan, then the storage) must be over before a raw session
    // opens the phone: one program at a time.
    test::spinUntil([&] { return app.viewModel()->state() == TarvelConnectionState::ready && !app.viewModel()->entries().isEmpty(); }, 600s);
    MTPAndroidFileTransferEngine::waitForIdle(60000);
    // Raw and engine rounds alternate, so both meet the same host load and cache state.
    Figures raw, engine;
    // Each round's own ratios too: the emulator's speed drifts by a third between rounds, so
    // the best raw and the best engine time may come from rounds that ran at different speeds.
    std::vector<double> listingRatios, batchRatios, treeRatios;
    for (int round = 0; round < rounds; ++round) {
        MTPAndroidFileTransferEngine::closeDevice(60000); // a fresh session for each side
        const Figures rawNow = measureRaw(paths);
        keepBest(raw.download, rawNow.download);
        keepBest(raw.upload, rawNow.upload);
        keepBest(raw.listing, rawNow.listing);
        keepBest(raw.batch, rawNow.batch);
        keepBest(raw.tree, rawNow.tree);
        const Figures engineNow = measureEngine(app, paths);
        keepBest(engine.download, engineNow.download);
        keepBest(engine.upload, engineNow.upload);
        keepBest(engine.listing, engineNow.listing);
        keepBest(engine.batch, engineNow.batch);
        keepBest(engine.tree, engineNow.tree);
        listingRatios.push_back(engineNow.listing.seconds / rawNow.listing.seconds);
        batchRatios.push_back(engineNow.batch.seconds / rawNow.batch.seconds);
        treeRatios.push_back(engineNow.tree.seconds / rawNow.tree.seconds);
        std::printf("round %d: download raw %.2f s engine %.2f s, upload raw %.2f s engine %.2f s, "
                    "listing raw %.2f s engine %.2f s, batch raw %.2f s engine %.2f s, tree raw %.2f s engine %.2f s\n",
                    round + 1, rawNow.download.seconds, engineNow.download.seconds, rawNow.upload.seconds,
                    engineNow.upload.seconds, rawNow.listing.seconds, engineNow.listing.seconds, rawNow.batch.seconds,
                    engineNow.batch.seconds, rawNow.tree.seconds, engineNow.tree.seconds);
        std::fflush(stdout);
    }
    MTPAndroidFileTransferEngine::closeDevice(60000);
    const Figures rawCancel = measureRaw(paths, true); // also removes the last engine upload
    const auto [cancelDownload, cancelUpload] = measureCancel(app, paths);

    std::printf("\nBest of %d rounds, one phone, one guest, progress shown in the window:\n", rounds);
    report("download 1 GB", raw.download, engine.download, bytes);
    report("upload 1 GB", raw.upload, engine.upload, bytes);
    report("list 5,000 entries", raw.listing, engine.listing, 0);
    report("1,000 files of 100 KB", raw.batch, engine.batch, 0);
    report("tree of 2,000 files", raw.tree, engine.tree, 0);
    std::printf("median of the rounds' own time ratios: listing %.3f, 1,000 files %.3f, tree %.3f\n",
                median(listingRatios), median(batchRatios), median(treeRatios));
    std::printf("cancel to lane free: download %.0f ms, upload %.0f ms; libmtp's own call returns %.0f ms and "
                "%.0f ms after its callback asks to stop\n",
                cancelDownload, cancelUpload, rawCancel.cancelDownloadMs, rawCancel.cancelUploadMs);
    return 0;
}
