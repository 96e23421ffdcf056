// Measures, inside the emulator guest and on one phone whose DCIM/Camera holds camera JPEGs
// with EXIF thumbnails, the import and the thumbnails under the real (offscreen) window:
// - the whole import (looking through the camera folders, deciding, copying the new files)
//   against raw libmtp listing the same folders and downloading the same new files, in
//   alternating rounds, each with a fresh record in which all but the newest files are
//   already imported, and the UI thread's CPU time for deciding what is new;
// - the time from the folder's listing shown to its first screen of thumbnails shown in the
//   grid (cold cache, once);
// - a large download while the grid shows the folder and is scrolled, so it keeps asking for
//   thumbnails, against the same download from the root folder, with the closed side timed
//   again after the open one as the A/A row;
// - the process's resident memory once the grid has been scrolled through the whole folder.
// Prints figures; asserts nothing. Run through scripts/benchmark.sh --features; with
// --make-phone DIR COUNT it only writes the photos on the host.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "MTPAdapter/MTPOperationLane.h"
#include "TarvelApp/BrowserPresenter.h"
#include "TarvelApp/ImportPresenter.h"
#include "TarvelApp/TarvelApp.h"
#include "TarvelApp/ThumbnailPresenter.h"
#include "TarvelApp/WindowSettings.h"
#include "TarvelCore/SerialWorker.h"
#include "bench/StallMeter.h"
#include "TarvelStore/TarvelDatabase.h"
#include "tests/support/TestSupport.h"
#include "tools/samplephone/SamplePhotos.h"

#include <libmtp.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QQuickItem>
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

// The newest this many photos are new to each import; the others are in the record.
constexpr int newPhotos = 300;

[[noreturn]] void die(const QString &what)
{
    std::fprintf(stderr, "feature benchmark: %s\n", qPrintable(what));
    std::exit(1);
}

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

QString photoName(int n) { return QStringLiteral("IMG_%1.jpg").arg(n, 4, 10, QLatin1Char('0')); }

// Small camera JPEGs a minute apart, each with its EXIF thumbnail, written beside the
// folder and moved in whole.
int makePhone(const QString &dir, int count)
{
    const QString staging = dir + QStringLiteral("/.staging");
    QDir().mkpath(staging);
    for (int n = 0; n < count; ++n) {
        const QDateTime taken = QDateTime::fromSecsSinceEpoch(1718000000 + qint64(n) * 60, Qt::UTC);
        QFile photo(staging + QLatin1Char('/') + photoName(n));
        if (!photo.open(QIODevice::WriteOnly) || photo.write(sample::cameraJPEG(sample::picture(n, {256, 192}), taken)) <= 0)
            die(QStringLiteral("cannot write ") + photo.fileName());
        photo.setFileTime(taken, QFileDevice::FileModificationTime);
    }
    QDir().mkpath(dir + QStringLiteral("/DCIM"));
    return QDir().rename(staging, dir + QStringLiteral("/DCIM/Camera")) ? 0 : 1;
}

struct Figure {
    double seconds = 0;
    qint64 longestStallMs = 0;
    double listingSeconds = 0; // of an import: the part before the first copy
};

// The clock starts before the task does: a coroutine runs up to its first suspension at once.
template <typename Start>
Figure timeTicking(Start start)
{
    StallMeter meter;
    QElapsedTimer clock;
    clock.start();
    test::runSync(start(), 3600s);
    return {clock.nsecsElapsed() / 1e9, meter.longest()};
}

// A raw libmtp call runs on a thread of its own while the UI thread ticks the same meter.
template <typename Work>
Figure timeRaw(Work work)
{
    static SerialWorker rawThread;
    auto call = [&work] { work(); };
    return timeTicking([&] { return awaitResult(rawThread.run(std::move(call))); });
}

void quiet()
{
    test::settle();
    test::runSync(awaitResult(MTPOperationLane::shared().run([] {})), 60s);
    test::settle();
}

void destroyChain(LIBMTP_file_t *files)
{
    while (files) {
        LIBMTP_file_t *next = files->next;
        LIBMTP_destroy_file_t(files);
        files = next;
    }
}

// One folder's listing, by name.
QHash<QString, uint32_t> listRaw(LIBMTP_mtpdevice_t *device, uint32_t storage, uint32_t folder)
{
    QHash<QString, uint32_t> ids;
    LIBMTP_file_t *files = LIBMTP_Get_Files_And_Folders(device, storage, folder);
    for (LIBMTP_file_t *file = files; file; file = file->next)
        ids.insert(QString::fromUtf8(file->filename), file->item_id);
    destroyChain(files);
    return ids;
}

// Plain libmtp doing what an import needs: the root, DCIM and its camera folder listed, and
// the new photos downloaded one by one, in a session of its own.
Figure rawImport(const QString &into, int count)
{
    LIBMTP_Init();
    LIBMTP_raw_device_t *raw = nullptr;
    int found = 0;
    if (LIBMTP_Detect_Raw_Devices(&raw, &found) != 0 || found < 1)
        die(QStringLiteral("no phone"));
    LIBMTP_mtpdevice_t *device = LIBMTP_Open_Raw_Device_Uncached(&raw[0]);
    std::free(raw);
    if (!device || LIBMTP_Get_Storage(device, LIBMTP_STORAGE_SORTBY_NOTSORTED) != 0 || !device->storage)
        die(QStringLiteral("cannot open the phone"));
    const uint32_t storage = device->storage->id;
    QDir(into).removeRecursively();
    QDir().mkpath(into);
    QElapsedTimer listing;
    double listingSeconds = 0;
    Figure figure = timeRaw([&] {
        listing.start();
        const uint32_t dcim = listRaw(device, storage, LIBMTP_FILES_AND_FOLDERS_ROOT).value(QStringLiteral("DCIM"));
        const uint32_t camera = listRaw(device, storage, dcim).value(QStringLiteral("Camera"));
        const QHash<QString, uint32_t> photos = listRaw(device, storage, camera);
        listingSeconds = listing.nsecsElapsed() / 1e9;
        for (int n = count - newPhotos; n < count; ++n) {
            const QString path = into + QLatin1Char('/') + photoName(n);
            const int fd = open(path.toUtf8().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0 || LIBMTP_Get_File_To_File_Descriptor(device, photos.value(photoName(n)), fd, nullptr, nullptr) != 0)
                die(QStringLiteral("raw download failed"));
            close(fd);
        }
    });
    LIBMTP_Release_Device(device);
    QDir(into).removeRecursively();
    figure.listingSeconds = listingSeconds;
    return figure;
}

QString shm(const QString &name) { return QStringLiteral("/dev/shm/") + name; }

// What the benchmark drives: the app's view model, its window and its presenters.
struct Side {
    TarvelApp &app;
    TarvelViewModel &vm = *app.viewModel();
    ImportPresenter &imports = *app.contentView()->imports();
    ThumbnailPresenter &thumbnails = *app.contentView()->browser()->thumbnails();

    void mustBeReady() const
    {
        if (vm.state() != TarvelConnectionState::ready)
            die(vm.statusMessage());
    }
    RemoteEntry named(const QString &name) const
    {
        for (const RemoteEntry &entry : vm.entries())
            if (entry.name == name)
                return entry;
        die(name);
    }
    // A new session after a raw one: the phone numbers its objects anew.
    void reopen()
    {
        test::runSync(app.contentView()->refreshSequence(), 600s);
        mustBeReady();
    }
    void toRoot()
    {
        while (vm.canNavigateUp())
            test::runSync(vm.navigateUp(), 600s);
        mustBeReady();
    }
    void toCamera()
    {
        toRoot();
        test::runSync(vm.openFolder(named(QStringLiteral("DCIM"))), 600s);
        test::runSync(vm.openFolder(named(QStringLiteral("Camera"))), 600s);
        mustBeReady();
    }
    // The grid's rows, in the window's order.
    bool hasThumbnails(int first, int count) const
    {
        RemoteEntryListModel &rows = *app.contentView()->browser()->entries();
        for (int row = first; row < std::min(first + count, rows.rowCount()); ++row) {
            const auto request = thumbnails.requestFor(*rows.entryAt(row));
            if (!request || !vm.thumbnails()->hasThumbnail(request->cacheKey))
                return false;
        }
        return true;
    }
    // Found through the items' own tree: a Loader's item is not its QObject child.
    static QQuickItem *find(QQuickItem *in, const QString &name)
    {
        if (in->objectName() == name)
            return in;
        for (QQuickItem *child : in->childItems())
            if (QQuickItem *found = find(child, name))
                return found;
        return nullptr;
    }
    QQuickItem *grid() const
    {
        QQuickItem *found = find(app.window()->contentItem(), QStringLiteral("remoteGrid"));
        if (!found)
            die(QStringLiteral("no grid in the window"));
        return found;
    }
    // Scrolls the grid as a user would, so the view reports its rows itself.
    void scrollTo(int row) const
    {
        QMetaObject::invokeMethod(grid(), "positionViewAtIndex", Q_ARG(int, row % std::max<int>(1, int(vm.entries().size()))), Q_ARG(int, 1 /* Beginning */));
    }
    // The rows the grid has on screen, from the cells at its top and bottom edges: a row asked
    // to be at the top may sit lower in its line, or higher at the folder's end.
    std::pair<int, int> shownRows() const
    {
        QQuickItem *view = grid();
        const qreal top = view->property("contentY").toReal();
        int first = -1, lastLine = -1;
        QMetaObject::invokeMethod(view, "indexAt", Q_RETURN_ARG(int, first), Q_ARG(qreal, 1), Q_ARG(qreal, top + 1));
        QMetaObject::invokeMethod(view, "indexAt", Q_RETURN_ARG(int, lastLine), Q_ARG(qreal, 1),
                                  Q_ARG(qreal, top + view->height() - 2));
        const int rows = view->property("count").toInt();
        const int last = lastLine < 0 ? rows - 1 : std::min(rows - 1, lastLine + view->property("columns").toInt() - 1);
        return {std::max(0, first), last};
    }
};

// The whole import as the window runs it, into a fresh destination with a fresh record that
// knows all but the newest photos; the UI thread's CPU time for deciding again (what ticking
// a folder does) is measured apart and left out of the import's time.
struct ImportRun {
    Figure whole;
    double decideOwnMs = 0; // the decision's own code on the UI thread, up to handing the job over
    double decideUiMs = 0;  // everything the UI thread did meanwhile, the dialog's redraw included
};

// Deciding again, timed by the UI thread's CPU clock alone: a stall meter's ticks would count.
std::pair<double, double> decideAgain(ImportPresenter &imports)
{
    const double before = threadSeconds();
    QCoro::Task<> deciding = imports.decide();
    const double own = (threadSeconds() - before) * 1e3;
    test::runSync(std::move(deciding), 600s);
    return {own, (threadSeconds() - before) * 1e3};
}

ImportRun engineImport(Side &side, int round, const QList<ImportedFile> &known)
{
    qputenv("XDG_DATA_HOME", shm(QStringLiteral("feature-data-%1").arg(round)).toUtf8());
    const QString destination = shm(QStringLiteral("feature-import-%1").arg(round));
    QDir(destination).removeRecursively();
    QDir().mkpath(destination);
    WindowSettings().setImportDestination(QUrl::fromLocalFile(destination));
    side.reopen();
    auto store = std::make_shared<ImportStore>(TarvelDatabase::defaultFolder());
    const QString serial = test::runSync(side.vm.shownPhoneSerial(), 60s);
    const PhoneKey key = PhoneKey::of(serial, side.vm.selectedDevice()->name, side.vm.selectedStorage()->id,
                                      side.vm.selectedStorage()->name);
    if (test::runSync(store->recordImported(key, known), 600s) != StoreProblem::none)
        die(QStringLiteral("cannot fill the record"));
    side.imports.setStore(store);
    quiet();
    ImportRun run;
    const Figure look = timeTicking([&] { return side.imports.lookThroughPhone(); });
    std::tie(run.decideOwnMs, run.decideUiMs) = decideAgain(side.imports);
    if (!side.imports.canImport())
        die(side.imports.summaryText() + side.imports.noticeText());
    const Figure copy = timeTicking([&] { return side.imports.importPlan(); });
    run.whole = {look.seconds + copy.seconds, std::max(look.longestStallMs, copy.longestStallMs), look.seconds};
    side.mustBeReady();
    int copied = 0;
    for (QDirIterator it(destination, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
        ++copied;
    if (copied != newPhotos)
        die(QStringLiteral("the import copied %1 files, not %2").arg(copied).arg(newPhotos));
    QDir(destination).removeRecursively();
    quiet();
    return run;
}

// From the listing shown to the thumbnails of the grid's first screen shown (the frame after
// the last of them is ready); the count of thumbnails on that screen.
std::pair<double, int> firstScreen(Side &side)
{
    side.toRoot();
    QElapsedTimer sinceListing;
    QElapsedTimer sinceReady;
    int ready = 0;
    double readyAt = -1, shownAt = -1;
    auto listed = QObject::connect(&side.vm, &TarvelViewModel::entriesChanged, [&] {
        // The camera folder's listing: the root and DCIM hold no photos.
        const QList<RemoteEntry> entries = side.vm.entries();
        if (!sinceListing.isValid() && !entries.isEmpty() && entries.first().name.startsWith(QLatin1String("IMG_")))
            sinceListing.start();
    });
    auto each = QObject::connect(side.vm.thumbnails(), &ThumbnailLoader::thumbnailReady, [&] {
        ++ready;
        readyAt = sinceListing.isValid() ? sinceListing.nsecsElapsed() / 1e9 : -1;
        shownAt = -1;
        sinceReady.start();
    });
    auto frames = QObject::connect(side.app.window(), &QQuickWindow::frameSwapped, [&] {
        if (readyAt >= 0 && shownAt < 0)
            shownAt = sinceListing.nsecsElapsed() / 1e9;
    });
    side.toCamera();
    // The first screen is complete once nothing more has come for five seconds.
    test::spinUntil([&] { return ready > 0 && sinceReady.elapsed() > 5000; }, 600s);
    for (const auto &connection : {listed, each, frames})
        QObject::disconnect(connection);
    return {shownAt >= 0 ? shownAt : readyAt, ready};
}

// The download of big.bin into the guest's memory, from wherever the browser is.
Figure downloadBig(Side &side, const RemoteEntry &big, bool scrolling)
{
    const QString target = shm(QStringLiteral("feature-big.bin"));
    QFile::remove(target);
    quiet();
    QTimer scroller;
    int row = 0;
    QObject::connect(&scroller, &QTimer::timeout, [&] { side.scrollTo(row += 97); });
    if (scrolling)
        scroller.start(700);
    const Figure figure = timeTicking([&] { return side.vm.download(big.id, big.name, QUrl::fromLocalFile(target)); });
    scroller.stop();
    side.mustBeReady();
    QFile::remove(target);
    return figure;
}

qint64 residentKB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printRatios(const char *name, const std::vector<double> &ratios)
{
    std::printf("%-44s min %.3f  median %.3f  max %.3f\n", name, *std::min_element(ratios.begin(), ratios.end()),
                median(ratios), *std::max_element(ratios.begin(), ratios.end()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--make-phone") {
        QGuiApplication application(argc, argv);
        return makePhone(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    }
    // Everything Tarvel keeps goes to the guest's memory: a fresh cache, record and settings.
    for (const char *name : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        qputenv(name, shm(QString::fromLatin1(name).toLower()).toUtf8());
    QApplication application(argc, argv);
    const QString phone = qEnvironmentVariable("TARVEL_BENCH_PHONE");
    const int rounds = std::max(1, qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS") ? qEnvironmentVariableIntValue("TARVEL_BENCH_ROUNDS") : 3);
    if (phone.isEmpty())
        die(QStringLiteral("run through scripts/benchmark.sh --features"));
    const int count = int(QDir(phone + QStringLiteral("/DCIM/Camera")).entryList(QDir::Files).size());
    WindowSettings().setShowsGrid(true);

    TarvelApp app(std::make_shared<MTPAndroidFileTransferEngine>());
    Side side{app};
    app.show();
    test::spinUntil([&] { return side.vm.state() == TarvelConnectionState::ready && !side.vm.entries().isEmpty(); }, 600s);
    quiet();
    if (!side.thumbnails.showsGrid())
        side.thumbnails.setShowsGrid(true);

    std::fprintf(stderr, "feature benchmark: the first screen of thumbnails\n");
    // Cold cache, once: the grid's first screen; the listing also gives the record's entries.
    const auto screen = firstScreen(side);
    const double firstScreenSeconds = screen.first;
    const int firstScreenCount = std::max(1, screen.second);
    // Printed at once too: the scroll through the whole folder at the end takes long.
    std::printf("first screen of thumbnails: %d shown %.2f s after the listing\n", screen.second, firstScreenSeconds);
    std::fflush(stdout);
    QList<ImportedFile> known;
    for (const RemoteEntry &entry : side.vm.entries())
        if (entry.name < photoName(count - newPhotos))
            known.append({QStringLiteral("DCIM/Camera/") + entry.name, entry.sizeBytes, entry.modifiedAt, {}});
    side.toRoot();
    quiet();

    std::vector<double> importRatios, importAA, decideMs, decideOwnMs, downloadRatios, downloadAA;
    Figure bestRaw{1e9, 0}, bestImport{1e9, 0}, bestClosed{1e9, 0}, bestOpen{1e9, 0};
    for (int round = 0; round < rounds; ++round) {
        MTPAndroidFileTransferEngine::closeDevice(60000);
        const Figure raw = rawImport(shm(QStringLiteral("raw-import")), count);
        const ImportRun engine = engineImport(side, round, known);
        MTPAndroidFileTransferEngine::closeDevice(60000);
        const Figure rawAgain = rawImport(shm(QStringLiteral("raw-import")), count);
        importRatios.push_back(engine.whole.seconds / raw.seconds);
        importAA.push_back(rawAgain.seconds / raw.seconds);
        decideMs.push_back(engine.decideUiMs);
        decideOwnMs.push_back(engine.decideOwnMs);
        bestRaw = raw.seconds < bestRaw.seconds ? raw : bestRaw;
        bestImport = engine.whole.seconds < bestImport.seconds ? engine.whole : bestImport;
        std::printf("round %d: import raw %.2f s (listing %.2f s), Tarvel %.2f s (looking through %.2f s; stall %lld ms), "
                    "raw again %.2f s; deciding %.1f ms of UI thread (%.1f ms its own code)\n",
                    round + 1, raw.seconds, raw.listingSeconds, engine.whole.seconds, engine.whole.listingSeconds,
                    static_cast<long long>(engine.whole.longestStallMs), rawAgain.seconds, engine.decideUiMs,
                    engine.decideOwnMs);
        std::fflush(stdout);
    }
    side.reopen();
    const RemoteEntry big = side.named(QStringLiteral("big.bin"));
    for (int round = 0; round < rounds; ++round) {
        side.toRoot();
        const Figure closed = downloadBig(side, big, false);
        side.toCamera();
        const Figure open = downloadBig(side, big, true);
        side.toRoot();
        const Figure closedAgain = downloadBig(side, big, false);
        downloadRatios.push_back(open.seconds / closed.seconds);
        downloadAA.push_back(closedAgain.seconds / closed.seconds);
        bestClosed = closed.seconds < bestClosed.seconds ? closed : bestClosed;
        bestOpen = open.seconds < bestOpen.seconds ? open : bestOpen;
        std::printf("round %d: download grid closed %.2f s, grid open and scrolled %.2f s, closed again %.2f s\n",
                    round + 1, closed.seconds, open.seconds, closedAgain.seconds);
        std::fflush(stdout);
    }

    std::fprintf(stderr, "feature benchmark: scrolling through the folder\n");
    // Through the whole folder a screen at a time, each screen's thumbnails awaited.
    side.toCamera();
    const qint64 residentBefore = residentKB();
    QElapsedTimer through;
    through.start();
    int unfinished = 0;
    for (int row = 0, screens = 0; row < count; ++screens) {
        side.scrollTo(row);
        test::settle();
        const auto [first, last] = side.shownRows();
        if (!test::spinUntil([&] { return side.hasThumbnails(first, last - first + 1); }, 120s))
            ++unfinished;
        row = std::max(row + 1, last + 1);
        if (screens % 25 == 0)
            std::fprintf(stderr, "feature benchmark: %d of %d rows, %.0f s, %.1f MB resident\n", row, count,
                         through.nsecsElapsed() / 1e9, residentKB() / 1024.0);
    }
    test::settle();
    const int cached = int(QDir(side.vm.thumbnails()->thumbnailFolder()).entryList(QDir::Files).size());
    const double bigBytes = double(big.sizeBytes.value_or(0));

    std::printf("\n%d rounds, one phone, one guest, the window shown; %d camera JPEGs of which %d are new to each import.\n",
                rounds, count, newPhotos);
    std::printf("import, whole (look, decide, copy): Tarvel best %.2f s against raw listing + %d downloads best %.2f s; "
                "longest UI stall %lld ms / %lld ms\n",
                bestImport.seconds, newPhotos, bestRaw.seconds, static_cast<long long>(bestImport.longestStallMs),
                static_cast<long long>(bestRaw.longestStallMs));
    printRatios("A/A: raw import again / raw import", importAA);
    printRatios("import: Tarvel / raw (time, target 1.10)", importRatios);
    std::printf("deciding what is new for %d files (target 50 ms of UI thread): median %.1f ms of UI-thread CPU in all, "
                "the summary's redraw included (max %.1f ms); of which the decision's own code %.1f ms (max %.1f ms)\n",
                count, median(decideMs), *std::max_element(decideMs.begin(), decideMs.end()), median(decideOwnMs),
                *std::max_element(decideOwnMs.begin(), decideOwnMs.end()));
    std::printf("first screen of thumbnails: %d shown %.2f s after the listing\n", firstScreenCount, firstScreenSeconds);
    std::printf("download of %.0f MB: grid closed best %.2f s, grid open and scrolled best %.2f s; longest UI stall "
                "%lld ms / %lld ms\n",
                bigBytes / 1e6, bestClosed.seconds, bestOpen.seconds, static_cast<long long>(bestClosed.longestStallMs),
                static_cast<long long>(bestOpen.longestStallMs));
    printRatios("A/A: grid closed again / grid closed", downloadAA);
    printRatios("download: grid open / grid closed (time, target 1.03)", downloadRatios);
    std::printf("resident memory: %.1f MB before scrolling through the folder, %.1f MB with %d thumbnails cached "
                "(target 200 MB; %d screens not complete within 2 min, %.0f s in all)\n",
                residentBefore / 1024.0, residentKB() / 1024.0, cached, unfinished, through.nsecsElapsed() / 1e9);
    return 0;
}
