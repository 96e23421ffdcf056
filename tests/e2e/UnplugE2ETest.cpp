// Runs inside the emulator guest with a phone that can be pulled out (run-e2e.sh unplug):
// what the user reads when the phone goes away in the middle of a listing or a copy, and
// when the computer's disk fills up during a download.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelCore/ImportStore.h"
#include "TarvelCore/Sentences.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/e2e/Guest.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>

using namespace tarvel;
using namespace tarvel::test::guest;
using tarvel::test::runSync;
using tarvel::test::spinUntil;
using namespace std::chrono_literals;
using State = TarvelConnectionState;

namespace {

const QString disconnected = QStringLiteral("The phone was disconnected. Connect it again, unlock it, then press Refresh.");

bool phoneIsOut = false;

// The harness's phone switch, run while the event loop goes on.
bool phone(const char *action)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral("mtpvm-phone"), {QString::fromLatin1(action), QStringLiteral("0")});
    const bool done = spinUntil([&] { return process.state() == QProcess::NotRunning; }, 60s) && process.exitCode() == 0;
    if (done)
        phoneIsOut = qstrcmp(action, "unplug") == 0;
    return done;
}

class Unplugged : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qEnvironmentVariableIsSet("TARVEL_E2E_UNPLUG")) << "run through run-e2e.sh unplug";
        runSync(vm.refreshDevices());
        runSync(vm.loadSelectedDeviceStorage(), 120s);
        ASSERT_EQ(vm.state(), State::ready) << vm.statusMessage().toStdString();
    }
    void TearDown() override
    {
        // The next test starts with the phone plugged in again, whatever this one saw.
        if (phoneIsOut) {
            EXPECT_TRUE(phone("plug"));
        }
    }

    std::shared_ptr<MTPAndroidFileTransferEngine> engine = std::make_shared<MTPAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
};

} // namespace

// Pulled out while a folder is being opened: the listing fails with the disconnected
// sentence and the folder shown before stays, never a part of the new one. The phone
// goes before the listing starts: the emulated phone answers a whole folder in one
// request, faster than a pull takes effect, so a pull timed into the listing lands after
// it on some machines. (A listing cut half-way is proven over the scripted libmtp.)
TEST_F(Unplugged, ListingCutShortKeepsTheOldListing)
{
    const QList<RemoteEntry> root = vm.entries();
    const auto folder = named(root, QStringLiteral("Folder5000"));
    ASSERT_TRUE(folder);
    ASSERT_TRUE(phone("unplug"));
    runSync(vm.openFolder(*folder), 300s);
    EXPECT_EQ(vm.state(), State::deviceUnavailable) << vm.statusMessage().toStdString();
    EXPECT_EQ(vm.statusMessage(), disconnected);
    EXPECT_EQ(vm.entries(), root);
    EXPECT_TRUE(vm.folderPath().isEmpty());
}

// Pulled out during a download: the sentence says what happened and what to do, not a
// protocol code, and the destination that was there stays as it was.
TEST_F(Unplugged, DownloadCutShortSaysThePhoneWentAway)
{
    const auto video = named(vm.entries(), QStringLiteral("video300.bin"));
    ASSERT_TRUE(video);
    const QString target = workDir() + "/video300.bin";
    QFile keep(target);
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("kept\n");
    keep.close();
    auto downloading = vm.download(video->id, video->name, QUrl::fromLocalFile(target));
    ASSERT_TRUE(spinUntil([&] { return vm.currentTransfer() && vm.currentTransfer()->completedBytes > 20'000'000; }, 120s));
    ASSERT_TRUE(phone("unplug"));
    runSync(std::move(downloading), 300s);
    EXPECT_EQ(vm.state(), State::deviceUnavailable) << vm.statusMessage().toStdString();
    EXPECT_EQ(vm.statusMessage(), disconnected);
    EXPECT_EQ(readAll(target), QByteArray("kept\n"));
    EXPECT_EQ(QDir(workDir()).entryList(QDir::Hidden | QDir::Files).filter(".part-").size(), 0);

    // Plugged in again, Refresh finds it and it works.
    ASSERT_TRUE(phone("plug"));
    runSync(vm.refreshDevices());
    runSync(vm.loadSelectedDeviceStorage(), 120s);
    EXPECT_EQ(vm.state(), State::ready) << vm.statusMessage().toStdString();
}

// A download into a folder on a full disk says so, and keeps the old file.
TEST_F(Unplugged, FullDiskSaysSoAndKeepsTheOldFile)
{
    const QString small = QStringLiteral("/run/tarvel-small-disk");
    QDir().mkpath(small);
    ASSERT_EQ(QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=8m", "tmpfs", small}), 0);
    const QString target = small + "/twenty.bin";
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the old file\n");
    old.close();
    const auto twenty = named(vm.entries(), QStringLiteral("twenty.bin"));
    ASSERT_TRUE(twenty);
    runSync(vm.download(twenty->id, twenty->name, QUrl::fromLocalFile(target)), 300s);
    EXPECT_EQ(vm.state(), State::transferFailed);
    EXPECT_EQ(vm.statusMessage(), "Not enough space on the computer's disk for twenty.bin. Make room, then try again.");
    EXPECT_EQ(readAll(target), QByteArray("the old file\n"));
    EXPECT_EQ(QDir(small).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"twenty.bin"});
    QProcess::execute(QStringLiteral("umount"), {small});
}

// A batch cut by a pull in its second file is offered once the phone is back and resumes:
// the file done is not copied again, and each file is the phone's, byte for byte.
TEST_F(Unplugged, CutBatchResumesWhenThePhoneIsBack)
{
    vm.setStore(std::make_shared<ImportStore>(workDir() + "/journal"));
    const auto twenty = named(vm.entries(), QStringLiteral("twenty.bin"));
    const auto video = named(vm.entries(), QStringLiteral("video300.bin"));
    ASSERT_TRUE(twenty && video);
    const QString into = workDir() + "/resumed";
    ASSERT_TRUE(QDir().mkpath(into));
    auto batch = vm.downloadItems({*twenty, *video}, QUrl::fromLocalFile(into));
    ASSERT_TRUE(spinUntil([&] { return vm.currentBatch() && vm.currentBatch()->completedBytes > 40'000'000; }, 300s));
    ASSERT_TRUE(phone("unplug"));
    runSync(std::move(batch), 300s);
    EXPECT_EQ(vm.state(), State::deviceUnavailable);
    EXPECT_EQ(vm.statusMessage(), sentences::disconnectedResumable(1, 2));
    // A copy made again would be a new file renamed into place, with a new inode.
    struct stat first {};
    ASSERT_EQ(::stat(QFile::encodeName(into + "/twenty.bin").constData(), &first), 0);

    ASSERT_TRUE(phone("plug"));
    runSync(vm.refreshDevices());
    runSync(vm.loadSelectedDeviceStorage(), 120s);
    ASSERT_TRUE(spinUntil([&] { return !vm.resumeOffer().isEmpty(); }, 60s));
    // The video's bytes that arrived wait in its part, and only the rest is read again.
    const QStringList parts = QDir(into).entryList({".video300.bin.part-*"}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(parts.size(), 1);
    const qint64 kept = QFileInfo(into + "/" + parts.first()).size();
    EXPECT_GT(kept, 0);
    EXPECT_EQ(vm.resumeOffer(), sentences::resumeOffer(1, 2, 300'000'000 - kept, sentences::placeOnComputer(into)));
    auto resume = vm.resumeBatch();
    ASSERT_TRUE(spinUntil([&] { return vm.currentBatch() && vm.currentBatch()->completedBytes > 0; }, 120s));
    EXPECT_GE(vm.currentBatch()->completedBytes, kept);
    runSync(std::move(resume), 900s);
    EXPECT_EQ(vm.state(), State::ready) << vm.statusMessage().toStdString();
    EXPECT_TRUE(vm.resumeOffer().isEmpty());
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(into + "/twenty.bin").constData(), &after), 0);
    EXPECT_EQ(after.st_ino, first.st_ino);
    for (const char *name : {"twenty.bin", "video300.bin"})
        EXPECT_EQ(sha256(into + "/" + name), sha256(qEnvironmentVariable("TARVEL_E2E_PHONE") + "/" + name)) << name;
}
