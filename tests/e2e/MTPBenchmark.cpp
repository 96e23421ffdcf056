// Measures, inside the emulator guest and on one phone, the engine against the raw libmtp
// calls it wraps: a large download and upload, a 5,000-entry listing, 1,000 files of 100 KB
// and a tree of 2,000 files, how long a Cancel takes to free the lane, and the longest stall
// of the UI thread while the real window (offscreen) shows a transfer's progress. Both sides
// run in the same order, each in a fresh session, with every file they write or read in the
// guest's own tmpfs; what is not the operation itself (removing what it wrote) stays outside
// the timing. An A/A row, the raw 1,000-file loop timed again after the engine's turn, is the
// run's noise floor. Prints figures; asserts nothing. Run through scripts/benchmark.sh.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "MTPAdapter/MTPOperationLane.h"
#include "TarvelApp/TarvelApp.h"
#include "TarvelCore/SerialWorker.h"
#include "bench/StallMeter.h"
#include "tests/e2e/LibmtpCancelClock.h"
#include "tests/support/TestSupport.h"

#include <libmtp.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QQuickWindow>
#include <QTimer>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
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

// Every file either side writes, and the upload's source, sit in the guest's own tmpfs:
// over the shared folder every file-system call is a round trip to a host that may be busy.
struct Paths {
    QString work; // the shared folder the script filled; read once, untimed
    static QString local(const char *name) { return QStringLiteral("/dev/shm/") + QLatin1String(name); }
    QString rawBatch() const { return local("raw-batch"); }
    QString engineBatch() const { return local("engine-batch"); }
    QByteArray source() const { return local("upload-source.bin").toUtf8(); }
    QString rawTarget() const { return local("raw-download.bin"); }
    QString engineTarget() const { return local("engine-download.bin"); }
};

// The upload's source and one download at a time live in the guest's memory beside the
// batches; too little would show as a failed write in the middle of a timed copy.
void copySourceIntoMemory(const Paths &paths, double bytes)
{
    struct statvfs shm {};
    const double room = statvfs("/dev/shm", &shm) == 0 ? double(shm.f_bavail) * double(shm.f_frsize) : 0;
    const double ram = double(sysconf(_SC_AVPHYS_PAGES)) * double(sysconf(_SC_PAGESIZE)), needed = 2 * bytes + 200e6;
    std::printf("guest memory: %.0f MB free, %.0f MB free in /dev/shm; the copies need %.0f MB\n", ram / 1e6,
                room / 1e6, needed / 1e6);
    if (room < needed || ram < needed)
        die("too little memory in the guest for the copies: raise --mem (scripts/benchmark.sh sizes it)");
    QFile::remove(QString::fromUtf8(paths.source()));
    if (!QFile::copy(paths.work + "/upload-source.bin", QString::fromUtf8(paths.source())))
        die("cannot copy the upload's source into /dev/shm");
}

enum Operation { download, upload, listing, batch, tree, operationCount };
using Figures = std::array<Figure, operationCount>;

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

struct RawPhone {
    LIBMTP_mtpdevice_t *device = nullptr;
    uint32_t storage = 0;
    uint32_t named(const char *name) const { return findByName(device, storage, name); }
};

// A session of plain libmtp. It also deletes, untimed, the object the engine's last upload
// left: the emulated phone would otherwise overwrite that name in place next time.
RawPhone openRaw()
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
    const RawPhone phone{device, device->storage->id};
    if (const uint32_t left = phone.named("upload-source.bin"))
        LIBMTP_Delete_Object(device, left);
    return phone;
}

// 1,000 files of a folder the user selected: the same ids downloaded one by one.
Figure rawBatch(const RawPhone &phone, const Paths &paths)
{
    QDir(paths.rawBatch()).removeRecursively();
    QDir().mkpath(paths.rawBatch());
    QList<QPair<uint32_t, QString>> files;
    QStringList none;
    listTree(phone.device, phone.storage, phone.named("Batch1000"), paths.rawBatch(), files, none);
    const Figure figure = timeRaw([&] { rawDownloads(phone.device, files); });
    QDir(paths.rawBatch()).removeRecursively();
    return figure;
}

// One session of plain libmtp doing what the engine does.
Figures measureRaw(const Paths &paths)
{
    const RawPhone phone = openRaw();
    LIBMTP_mtpdevice_t *device = phone.device;
    const uint32_t big = phone.named("big.bin");
    const uint32_t folder = phone.named("Folder5000");
    if (!big || !folder)
        die("the phone lacks big.bin or Folder5000");

    Figures figures;
    const int target = open(paths.rawTarget().toUtf8().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    figures[download] = timeRaw([&] {
        if (LIBMTP_Get_File_To_File_Descriptor(device, big, target, nullptr, nullptr) != 0)
            die("raw download failed");
    });
    close(target);
    QFile::remove(paths.rawTarget());

    const int source = open(paths.source().constData(), O_RDONLY | O_CLOEXEC);
    LIBMTP_file_t *file = uploadRecord("upload-source.bin", paths, phone.storage);
    figures[upload] = timeRaw([&] {
        if (LIBMTP_Send_File_From_File_Descriptor(device, source, file, nullptr, nullptr) != 0)
            die("raw upload failed");
    });
    close(source);
    LIBMTP_Delete_Object(device, file->item_id);
    LIBMTP_destroy_file_t(file);

    figures[listing] = timeRaw([&] { destroyChain(LIBMTP_Get_Files_And_Folders(device, phone.storage, folder)); });
    figures[batch] = rawBatch(phone, paths);

    // A whole tree: listed folder by folder, its folders made, its files downloaded.
    QDir().mkpath(paths.rawBatch());
    const uint32_t treeFolder = phone.named("Tree2000");
    figures[tree] = timeRaw([&] {
        QList<QPair<uint32_t, QString>> files;
        QStringList folders;
        listTree(device, phone.storage, treeFolder, paths.rawBatch() + "/Tree2000", files, folders);
        QDir().mkpath(paths.rawBatch() + "/Tree2000");
        for (const QString &made : folders)
            QDir().mkpath(made);
        rawDownloads(device, files);
    });
    QDir(paths.rawBatch()).removeRecursively();
    LIBMTP_Release_Device(device);
    return figures;
}

// The A/A row's second copy: the same raw loop in a session of its own after the engine's
// turn, so it meets whatever the host did meanwhile, as the engine's figures do.
Figure measureRawAgain(const Paths &paths)
{
    const RawPhone phone = openRaw();
    const Figure figure = rawBatch(phone, paths);
    LIBMTP_Release_Device(phone.device);
    return figure;
}

// libmtp's own cancelled download and upload, in ms from its callback asking to stop.
std::pair<double, double> measureRawCancel(const Paths &paths)
{
    const RawPhone phone = openRaw();
    QElapsedTimer since;
    const int cut = open(paths.rawTarget().toUtf8().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    LIBMTP_Get_File_To_File_Descriptor(phone.device, phone.named("big.bin"), cut, stopAtFifth, &since);
    const double download = since.nsecsElapsed() / 1e6;
    close(cut);
    QFile::remove(paths.rawTarget());
    since.invalidate();
    const int sent = open(paths.source().constData(), O_RDONLY | O_CLOEXEC);
    LIBMTP_file_t *part = uploadRecord("cancelled-upload.bin", paths, phone.storage);
    LIBMTP_Send_File_From_File_Descriptor(phone.device, sent, part, stopAtFifth, &since);
    const double upload = since.nsecsElapsed() / 1e6;
    close(sent);
    LIBMTP_destroy_file_t(part);
    LIBMTP_Release_Device(phone.device);
    return {download, upload};
}

// What an operation leaves on the lane ends before the next one is timed or a raw session
// opens the phone: once a transfer has ended, the window reads the phone's free space again
// a turn later, and that read finds the phone claimed when a raw session already holds it.
// An empty job waits for it: waiting for the lane to be idle would also end its thread,
// which a running app never does between two operations.
void quiet()
{
    test::settle();
    test::runSync(awaitResult(MTPOperationLane::shared().run([] {})), 60s);
    test::settle();
}

// Every call the benchmark makes into the view model and the engine.
struct EngineSide {
    TarvelApp &app;
    TarvelViewModel &vm = *app.viewModel();
    std::shared_ptr<MTPAndroidFileTransferEngine> engine = std::make_shared<MTPAndroidFileTransferEngine>();

    void open() { test::runSync(app.contentView()->refreshSequence(), 600s); }
    RemoteEntry named(const char *name) const
    {
        for (const RemoteEntry &entry : vm.entries())
            if (entry.name == QLatin1String(name))
                return entry;
        die(name);
    }
    QCoro::Task<> download(const RemoteEntry &file, const QString &to) { return vm.download(file.id, file.name, QUrl::fromLocalFile(to)); }
    QCoro::Task<> upload(const QByteArray &from) { return vm.upload(QUrl::fromLocalFile(QString::fromUtf8(from)), std::nullopt); }
    QCoro::Task<> downloadItems(QList<RemoteEntry> items, const QString &to) { return vm.downloadItems(items, QUrl::fromLocalFile(to)); }
    QCoro::Task<DirectoryListing> list(const RemoteEntry &folder)
    {
        return test::listOne(engine.get(), DirectoryRequest{vm.selectedDevice()->id, vm.selectedStorage()->id, folder.id});
    }
    bool pastAFifth() const
    {
        const auto job = vm.currentTransfer();
        return job && job->totalBytes && job->completedBytes * 5 > *job->totalBytes;
    }
    void cancel() { vm.cancelTransfer(); }
    void mustBeReady() const
    {
        if (vm.state() != TarvelConnectionState::ready)
            die(qPrintable(vm.statusMessage()));
    }
};

// The same operations through the view model under the real window, so the stall figure
// includes showing the progress.
Figures measureEngine(EngineSide &side, const Paths &paths)
{
    side.open();
    const RemoteEntry big = side.named("big.bin"), folder = side.named("Folder5000");
    Figures figures;
    quiet();
    figures[download] = timeTicking([&] { return side.download(big, paths.engineTarget()); });
    side.mustBeReady();
    QFile::remove(paths.engineTarget());
    quiet();
    figures[upload] = timeTicking([&] { return side.upload(paths.source()); });
    side.mustBeReady();
    quiet();
    figures[listing] = timeTicking([&] { return side.list(folder); });

    // The same selection of 1,000 files, and the same tree, as batches.
    const QList<RemoteEntry> selection = test::runSync(side.list(side.named("Batch1000")), 600s).entries;
    const RemoteEntry treeFolder = side.named("Tree2000");
    for (const auto &[operation, items] : {std::pair{batch, selection}, std::pair{tree, QList{treeFolder}}}) {
        QDir(paths.engineBatch()).removeRecursively();
        QDir().mkpath(paths.engineBatch());
        quiet();
        figures[operation] = timeTicking([&] { return side.downloadItems(items, paths.engineBatch()); });
        side.mustBeReady();
    }
    QDir(paths.engineBatch()).removeRecursively();
    quiet();
    return figures;
}

// From Cancel to the lane being free, split where libmtp's cancelled call begins and ends.
struct CancelSplit {
    double untilStopMs = -1;   // Cancel until the engine's progress callback asks libmtp to stop
    double inLibmtpMs = -1;    // from there until libmtp's call returns
    double afterMs = -1;       // from its return until the lane is free: ours
    double totalMs = 0;
};

CancelSplit cancelAtAFifth(EngineSide &side, QCoro::Task<> task)
{
    test::spinUntil([&] { return side.pastAFifth(); }, 600s);
    const qint64 cancelled = cancelClock::now();
    side.cancel();
    test::runSync(std::move(task), 600s);
    MTPAndroidFileTransferEngine::waitForIdle(60000);
    const qint64 laneFree = cancelClock::now();
    cancelClock::armed = false;
    const qint64 asked = cancelClock::stopAsked.exchange(0), returned = cancelClock::returned.exchange(0);
    CancelSplit split;
    split.totalMs = (laneFree - cancelled) / 1e6;
    if (asked && returned) {
        split.untilStopMs = (asked - cancelled) / 1e6;
        split.inLibmtpMs = (returned - asked) / 1e6;
        split.afterMs = (laneFree - returned) / 1e6;
    }
    return split;
}

std::pair<CancelSplit, CancelSplit> measureCancel(EngineSide &side, const Paths &paths)
{
    side.open();
    const RemoteEntry big = side.named("big.bin");
    quiet();
    cancelClock::armed = true;
    const CancelSplit download = cancelAtAFifth(side, side.download(big, paths.engineTarget()));
    quiet();
    cancelClock::armed = true;
    const CancelSplit upload = cancelAtAFifth(side, side.upload(paths.source()));
    return {download, upload};
}

void reportCancel(const char *what, const CancelSplit &split, double rawMs)
{
    std::printf("cancel %s: %.0f ms from Cancel to a free lane", what, split.totalMs);
    if (split.inLibmtpMs >= 0)
        std::printf(" = %.0f ms until libmtp is asked to stop + %.0f ms in libmtp's cancelled call + %.0f ms ours "
                    "after it returns", split.untilStopMs, split.inLibmtpMs, split.afterMs);
    else
        std::printf(" (the bridge's libmtp call was not seen)");
    std::printf("; raw libmtp's own cancelled call: %.0f ms\n", rawMs);
}

// One table row: the best figures of each side and every round's own ratio, engine against
// raw (the A/A row: the raw loop's second copy against its first).
struct Row {
    const char *name;
    bool throughput; // ratio of speeds rather than of times
    Figure raw, other;
    std::vector<double> ratios;

    void add(const Figure &rawNow, const Figure &otherNow)
    {
        keepBest(raw, rawNow);
        keepBest(other, otherNow);
        ratios.push_back(throughput ? rawNow.seconds / otherNow.seconds : otherNow.seconds / rawNow.seconds);
    }
    double median() const
    {
        std::vector<double> sorted = ratios;
        std::sort(sorted.begin(), sorted.end());
        const size_t middle = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
    double least() const { return *std::min_element(ratios.begin(), ratios.end()); }
    double most() const { return *std::max_element(ratios.begin(), ratios.end()); }
    void print() const
    {
        std::printf("%-26s %7.2f s %7.2f s  %-10s %6.3f %6.3f %6.3f  %5lld / %-5lld  %5d / %-5d  %5.2f / %-5.2f\n", name,
                    raw.seconds, other.seconds, throughput ? "throughput" : "time", least(), median(), most(),
                    static_cast<long long>(other.longestStallMs), static_cast<long long>(raw.longestStallMs),
                    other.frames, raw.frames, other.uiSeconds, raw.uiSeconds);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const Paths paths{qEnvironmentVariable("TARVEL_BENCH_WORK")};
    const int rounds = qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS") > 0 ? qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS") : 3;
    if (paths.work.isEmpty())
        die("run through scripts/benchmark.sh");
    const double bytes = double(QFile(paths.work + "/upload-source.bin").size());
    copySourceIntoMemory(paths, bytes);

    TarvelApp app(std::make_shared<MTPAndroidFileTransferEngine>());
    // TARVEL_BENCH_NO_WINDOW=1 keeps the window hidden: what drawing the progress costs the
    // guest's one CPU, against the figures with it shown.
    EngineSide side{app};
    if (!qEnvironmentVariableIsSet("TARVEL_BENCH_NO_WINDOW")) {
        app.show();
        shownWindow = app.window();
    } else {
        side.open(); // what showing the window starts
    }
    // The window's own start (a scan, then the storage) must be over before a raw session
    // opens the phone: one program at a time.
    test::spinUntil([&] { return side.vm.state() == TarvelConnectionState::ready && !side.vm.entries().isEmpty(); }, 600s);
    quiet();
    // Raw and engine rounds alternate, so both meet the same host load and cache state; the
    // A/A row's second copy comes after the engine's turn, as far from its first as the
    // engine's figures are from the raw ones. The emulator's speed drifts between rounds,
    // so each round's own ratio counts, not the best times' ratio.
    std::array<Row, operationCount> rows{{{"download", true, {}, {}, {}},
                                          {"upload", true, {}, {}, {}},
                                          {"list 5,000 entries", false, {}, {}, {}},
                                          {"1,000 files of 100 KB", false, {}, {}, {}},
                                          {"tree of 2,000 files", false, {}, {}, {}}}};
    Row again{"A/A: raw 1,000 files again", false, {}, {}, {}};
    for (int round = 0; round < rounds; ++round) {
        MTPAndroidFileTransferEngine::closeDevice(60000); // a fresh session for each side
        const Figures rawNow = measureRaw(paths);
        const Figures engineNow = measureEngine(side, paths);
        MTPAndroidFileTransferEngine::closeDevice(60000);
        const Figure rawAgain = measureRawAgain(paths);
        std::printf("round %d:", round + 1);
        for (int operation = 0; operation < operationCount; ++operation) {
            rows[operation].add(rawNow[operation], engineNow[operation]);
            std::printf(" %s raw %.2f s engine %.2f s,", rows[operation].name, rawNow[operation].seconds,
                        engineNow[operation].seconds);
        }
        again.add(rawNow[batch], rawAgain);
        std::printf(" A/A %.2f s and %.2f s\n", rawNow[batch].seconds, rawAgain.seconds);
        std::fflush(stdout);
    }
    MTPAndroidFileTransferEngine::closeDevice(60000);
    const auto [rawCancelDownload, rawCancelUpload] = measureRawCancel(paths); // also removes the last engine upload
    const auto [cancelDownload, cancelUpload] = measureCancel(side, paths);

    std::printf("\n%d rounds, single copies of %.0f MB, one phone, one guest, progress shown in the window.\n"
                "Ratios are each round's own, engine against raw: throughput for the copies (higher is faster),\n"
                "time otherwise (lower is faster); the A/A row times the raw 1,000-file loop after the engine's\n"
                "turn against the same loop before it (its engine column), which is the run's noise floor.\n",
                rounds, bytes / 1e6);
    const bool stray = std::abs(again.median() - 1) > 0.05
        || std::any_of(again.ratios.begin(), again.ratios.end(), [](double ratio) { return std::abs(ratio - 1) > 0.05; });
    if (stray)
        std::printf("host too busy: ratios below are not trustworthy (A/A rounds %.3f to %.3f, beyond 0.05 of 1)\n",
                    again.least(), again.most());
    std::printf("%-26s %9s %9s  %-10s %6s %6s %6s  %-13s  %-13s  %-13s\n", "", "raw best", "engine", "ratio", "min",
                "median", "max", "UI stall ms", "frames drawn", "UI thread s");
    std::printf("%-26s %9s %9s  %-10s %6s %6s %6s  %-13s  %-13s  %-13s\n", "", "", "best", "", "", "", "",
                "engine / raw", "engine / raw", "engine / raw");
    again.print();
    for (const Row &row : rows)
        row.print();
    // The A/A row repeats one kind of work, and other work can swing while it stays steady
    // (listings and trees did, counted): a row's own rounds then say so.
    for (const Row &row : rows)
        if (row.most() - row.least() > 0.05)
            std::printf("uneven rounds: %s from %.3f to %.3f, more than 0.05 apart: its median is not trustworthy\n",
                        row.name, row.least(), row.most());
    std::printf("best copies: download raw %.1f MB/s, engine %.1f MB/s; upload raw %.1f MB/s, engine %.1f MB/s\n",
                bytes / rows[download].raw.seconds / 1e6, bytes / rows[download].other.seconds / 1e6,
                bytes / rows[upload].raw.seconds / 1e6, bytes / rows[upload].other.seconds / 1e6);
    reportCancel("a download", cancelDownload, rawCancelDownload);
    reportCancel("an upload", cancelUpload, rawCancelUpload);
    return 0;
}
