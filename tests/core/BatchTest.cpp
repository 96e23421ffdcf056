// A batch on its own, over the in-memory engine and a host that records what it is told,
// and a phone pulled out in the middle of one, whichever learns it first.

#include "TarvelCore/DownloadBatch.h"
#include "TarvelCore/LocalFiles.h"
#include "TarvelCore/TarvelViewModel.h"
#include "TarvelCore/UploadBatch.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;
using State = TarvelConnectionState;

namespace {

const AndroidDevice pixel{.id = "mtp-1-4-18d1-4ee1", .name = "Pixel 8", .busNumber = 1, .deviceNumber = 4};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};
const RemoteEntry dcim{.id = "10", .name = "DCIM", .kind = RemoteEntryKind::folder};
const RemoteEntry photo{.id = "40", .name = "photo.jpg", .kind = RemoteEntryKind::file, .sizeBytes = 2'000'000};

void touch(const QString &path)
{
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("x");
}

class RecordingHost : public BatchHost {
public:
    std::shared_ptr<AndroidFileTransferEngine> engine() const override { return fake; }
    LocalFiles &localFiles() override { return files; }
    void show(const BatchView &view) override { shown.append(view); }
    void say(QString sentence) override { said.append(sentence); }
    QCoro::Task<> landedIn(QString, std::optional<QString> parentID) override
    {
        landings.append(parentID);
        co_return;
    }
    void end(BatchEnd end) override { ends.append(end); }
    QCoro::Task<TakenNames> whenNamesTaken(int count, QString folder) override
    {
        asked.append({count, folder});
        co_return answer;
    }

    TakenNames answer = TakenNames::keepBoth;
    QList<std::pair<int, QString>> asked;
    std::shared_ptr<FakeAndroidFileTransferEngine> fake = std::make_shared<FakeAndroidFileTransferEngine>();
    LocalFiles files;
    QList<BatchView> shown;
    QStringList said;
    QList<std::optional<QString>> landings;
    QList<BatchEnd> ends;
};

} // namespace

// Each file goes to the lane as the folder and the name it was placed under, also where the
// computer already had those names; the host hears of the first file and the counts once,
// and of the end once.
TEST(Batch, DownloadGoesStraightToWhereEachFileWasPlaced)
{
    QTemporaryDir computer;
    touch(computer.filePath("DCIM"));
    touch(computer.filePath("photo.jpg"));
    RecordingHost host;
    host.fake->entriesByParentID = {{"10", {RemoteEntry{.id = "41", .name = "a.jpg", .sizeBytes = 1'000'000}}}};
    const QString name = computer.path(); // outside the home folder: named whole
    auto batch = std::make_shared<DownloadBatch>(host, pixel.id, internal.id, QList{dcim, photo}, computer.path());
    runSync(batch->run());

    EXPECT_EQ(host.fake->downloadRequests,
              (QList{DownloadRequest{pixel.id, "40", computer.path(), "photo (2).jpg", false},
                     DownloadRequest{pixel.id, "41", computer.filePath("DCIM (2)"), "a.jpg", false}}));
    ASSERT_EQ(host.shown.size(), 1);
    EXPECT_EQ(host.shown[0].file->sourceName, "photo.jpg");
    EXPECT_EQ(host.shown[0].file->destinationName, "photo (2).jpg");
    EXPECT_EQ(host.shown[0].counts->fileNumber, 1);
    EXPECT_EQ(host.said, QStringList{"Downloading 2 files to " + name + "..."});
    EXPECT_EQ(host.ends, (QList{BatchEnd{State::ready, "Downloaded 2 files (3 MB) to " + name + "."}}));

    // One file to a path the user chose replaces what is there, and shows no batch line.
    const TransferJob job{.direction = TransferDirection::download, .sourceName = "photo.jpg", .destinationName = "copy.jpg"};
    auto one = std::make_shared<DownloadBatch>(host, pixel.id, RemoteEntry{.id = "40"}, job, computer.path(), "copy.jpg");
    EXPECT_EQ(one->view(), BatchView{job});
    runSync(one->run());
    EXPECT_EQ(host.fake->downloadRequests.last(), (DownloadRequest{pixel.id, "40", computer.path(), "copy.jpg", true}));
    EXPECT_EQ(host.ends.last(), (BatchEnd{State::ready, "Downloaded photo.jpg."}));
}

// Taken names are asked about once per batch, counting every taken name of the folders placed
// together: skip drops only the files already there with the same size (the rest keep both)
// and the end says how many; replace copies over what is there; nothing is asked without a
// taken name.
TEST(Batch, TakenNamesAreSkippedKeptOrReplacedAsAnswered)
{
    QTemporaryDir computer;
    QFile same(computer.filePath("photo.jpg"));
    ASSERT_TRUE(same.open(QIODevice::WriteOnly));
    same.write(QByteArray(2'000'000, 'x'));
    same.close();
    touch(computer.filePath("notes.txt"));
    const RemoteEntry notes{.id = "42", .name = "notes.txt", .sizeBytes = 10};
    const RemoteEntry fresh{.id = "43", .name = "fresh.jpg", .sizeBytes = 10};
    const QString name = computer.path(); // outside the home folder: named whole

    RecordingHost host;
    host.answer = TakenNames::skipSame;
    runSync(std::make_shared<DownloadBatch>(host, pixel.id, internal.id, QList{photo, notes, fresh}, computer.path())->run());
    EXPECT_EQ(host.asked, (QList<std::pair<int, QString>>{{2, name}}));
    EXPECT_EQ(host.fake->downloadRequests,
              (QList{DownloadRequest{pixel.id, "42", computer.path(), "notes (2).txt", false},
                     DownloadRequest{pixel.id, "43", computer.path(), "fresh.jpg", false}}));
    EXPECT_EQ(host.ends.last().sentence, "Downloaded 2 files (1 KB) to " + name + "; 1 already there was skipped.");

    host.answer = TakenNames::replace;
    host.fake->downloadRequests.clear();
    runSync(std::make_shared<DownloadBatch>(host, pixel.id, internal.id, QList{photo, notes}, computer.path())->run());
    EXPECT_EQ(host.fake->downloadRequests,
              (QList{DownloadRequest{pixel.id, "40", computer.path(), "photo.jpg", true},
                     DownloadRequest{pixel.id, "42", computer.path(), "notes.txt", true}}));

    QTemporaryDir empty;
    runSync(std::make_shared<DownloadBatch>(host, pixel.id, internal.id, QList{photo}, empty.path())->run());
    EXPECT_EQ(host.asked.size(), 2);
}

// A batch the host let go of (another phone, another transfer, the host gone) never calls
// it again, even when its copy comes back.
TEST(Batch, ABatchLetGoOfNeverCallsItsHostAgain)
{
    QTemporaryDir computer;
    RecordingHost host;
    Gate held;
    host.fake->beforeDownload = held.hook();
    auto batch = std::make_shared<DownloadBatch>(host, pixel.id, internal.id, QList{photo}, computer.path());
    auto running = batch->run();
    ASSERT_TRUE(held.waitEntered());
    const qsizetype calls = host.shown.size() + host.said.size();
    batch->letGo();
    held.open();
    runSync(std::move(running));
    EXPECT_EQ(host.shown.size() + host.said.size(), calls);
    EXPECT_TRUE(host.ends.isEmpty());
}

// Into a phone folder the window never showed, the sentences leave the name out rather
// than end in " to ."; the folder is handed back to be listed again.
TEST(Batch, UploadIntoAnUnnamedFolderLeavesTheNameOut)
{
    QTemporaryDir computer;
    touch(computer.filePath("a.txt"));
    RecordingHost host;
    auto batch = std::make_shared<UploadBatch>(host, pixel.id, internal.id, QList{QUrl::fromLocalFile(computer.filePath("a.txt"))},
                                               QString("77"), QString());
    runSync(batch->run());
    EXPECT_EQ(host.said, QStringList{"Uploading 1 file..."});
    EXPECT_EQ(host.ends, (QList{BatchEnd{State::ready, "Uploaded 1 file (1 KB)."}}));
    EXPECT_EQ(host.landings, QList<std::optional<QString>>{QString("77")});
}

// The phone pulled out in the middle of a batch, told by the bus before or after the lane
// found it gone, ends in one sentence that never changes, counting the files the lane
// copied, however many the window had shown by then.
TEST(Batch, AnUnplugIsSaidOnceWhicheverLearnsItFirst)
{
    for (const bool busFirst : {true, false}) {
        SCOPED_TRACE(busFirst ? "bus first" : "lane first");
        auto engine = std::make_shared<test::SeriesEngine>();
        engine->devicesToReturn = {pixel};
        engine->storagesToReturn = {internal};
        const RemoteEntry trip{.id = "20", .name = "Trip", .kind = RemoteEntryKind::folder};
        engine->entriesByParentID = {{"", {trip}},
                                     {"20", {RemoteEntry{.id = "21", .name = "a.jpg"}, RemoteEntry{.id = "22", .name = "b.jpg"},
                                             RemoteEntry{.id = "23", .name = "c.jpg"}}}};
        TarvelViewModel vm(engine);
        FakeUSBPlugEvents plugs;
        vm.followPlugEvents(&plugs);
        runSync(vm.findPhones());
        QTemporaryDir computer;
        auto calls = std::make_shared<int>(0);
        Gate third;
        const auto thirdHook = third.hook();
        engine->beforeDownload = [calls, thirdHook]() -> QCoro::Task<> {
            if (++*calls == 3)
                co_await thirdHook();
        };
        auto batch = vm.downloadItems({trip}, QUrl::fromLocalFile(computer.path()));
        ASSERT_TRUE(third.waitEntered());

        QStringList statuses;
        QObject::connect(&vm, &TarvelViewModel::statusMessageChanged, &vm, [&] { statuses << vm.statusMessage(); });
        if (busFirst)
            plugs.pullOut({1, 4});
        else
            engine->downloadError = TransferError::disconnected();
        third.open();
        runSync(std::move(batch));
        if (!busFirst)
            plugs.pullOut({1, 4});
        test::settle();

        const QString said = "The phone was disconnected after 2 of 3 files. Connect it again, unlock it, then press Refresh.";
        EXPECT_EQ(statuses, QStringList{said});
        EXPECT_EQ(vm.state(), State::noDevice);
        EXPECT_FALSE(vm.currentTransfer());
        EXPECT_FALSE(vm.currentBatch());
    }
}
