// Runs inside the emulator guest with the phones of run-e2e.sh: transfers stopped half-way
// over the real engine and libmtp, and what they leave behind; whole folder trees copied
// both ways as batches.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/e2e/Guest.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTimer>

#include <algorithm>

using namespace tarvel;
using namespace tarvel::test::guest;
using tarvel::test::runSync;
using namespace std::chrono_literals;

namespace {

QStringList everythingIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Watches a transfer's control from the UI thread, as the window does, and cancels it
// once half of `size` has arrived.
class HalfWayCancel {
public:
    HalfWayCancel(std::shared_ptr<TransferControl> control, qint64 size) : m_control(std::move(control))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, size] {
            seen.append(m_control->completedBytes());
            if (seen.last() >= size / 2)
                m_control->cancel();
        });
        m_timer.start(5);
    }
    bool monotonic() const { return std::is_sorted(seen.begin(), seen.end()); }
    QList<qint64> seen;

private:
    std::shared_ptr<TransferControl> m_control;
    QTimer m_timer;
};

class StoppedTransfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(phoneDir().isEmpty()) << "run through run-e2e.sh";
        device = runSync(engine->scanDevices()).first();
        storage = runSync(engine->listStorage(device.id)).first();
    }
    QList<RemoteEntry> root() { return runSync(test::listOne(engine.get(), DirectoryRequest{device.id, storage.id, {}}), 600s).entries; }
    RemoteEntry named(const QString &name)
    {
        for (const RemoteEntry &entry : root())
            if (entry.name == name)
                return entry;
        ADD_FAILURE() << name.toStdString() << " is not on the phone";
        return {};
    }
    template <typename Task>
    std::optional<TransferError::Kind> failureOf(Task task)
    {
        try {
            runSync(std::move(task), 600s);
        } catch (const TransferError &error) {
            return error.kind();
        }
        return std::nullopt;
    }

    std::shared_ptr<MTPAndroidFileTransferEngine> engine = std::make_shared<MTPAndroidFileTransferEngine>();
    AndroidDevice device;
    AndroidStorage storage;
};

} // namespace

// A 300 MB download cancelled half-way: the destination that was there stays byte for byte,
// no hidden file stays in its folder, progress only grows, and the phone answers at once.
TEST_F(StoppedTransfer, CancelledDownloadLeavesTheDestinationAsItWas)
{
    const RemoteEntry video = named(QStringLiteral("video300.bin"));
    QFile keep(local("video.bin"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("the user's own file\n");
    keep.close();
    const QStringList before = everythingIn(workDir());

    auto control = std::make_shared<TransferControl>();
    HalfWayCancel watcher(control, 300'000'000);
    EXPECT_EQ(failureOf(test::downloadOne(engine.get(), test::downloadTo(device.id, video.id, local("video.bin")), control)),
              TransferError::Kind::cancelled);
    EXPECT_EQ(readAll(local("video.bin")), QByteArray("the user's own file\n"));
    EXPECT_EQ(everythingIn(workDir()), before);
    EXPECT_TRUE(watcher.monotonic());
    EXPECT_GE(watcher.seen.last(), 150'000'000);
    EXPECT_LT(control->completedBytes(), 300'000'000);
    EXPECT_FALSE(root().isEmpty());

    // Run to its end, the count stops at exactly the file's size.
    const RemoteEntry photo = named(QStringLiteral("big.bin"));
    auto whole = std::make_shared<TransferControl>();
    runSync(test::downloadOne(engine.get(), test::downloadTo(device.id, photo.id, local("whole.bin")), whole), 600s);
    EXPECT_EQ(whole->completedBytes(), 100'000'000);
    EXPECT_EQ(whole->totalBytes(), 100'000'000);
}

// A 300 MB upload cancelled half-way leaves nothing on the phone, and the next listing works.
TEST_F(StoppedTransfer, CancelledUploadLeavesNothingOnThePhone)
{
    root(); // the phone takes files only into folders listed in the session
    auto control = std::make_shared<TransferControl>();
    HalfWayCancel watcher(control, 300'000'000);
    EXPECT_EQ(failureOf(test::uploadOne(engine.get(), UploadRequest{device.id, storage.id, QUrl::fromLocalFile(local("upload300.bin"))}, control)),
              TransferError::Kind::cancelled);
    EXPECT_TRUE(watcher.monotonic());
    EXPECT_FALSE(QFile::exists(phoneDir() + "/upload300.bin"));
    QStringList names;
    for (const RemoteEntry &entry : root())
        names.append(entry.name);
    EXPECT_FALSE(names.contains(QStringLiteral("upload300.bin")));
    EXPECT_TRUE(names.contains(QStringLiteral("big.bin")));
}

namespace {

// Every file under `root`, by path relative to it, with its size and SHA-256.
QMap<QString, QPair<qint64, QByteArray>> treeOf(const QString &root)
{
    QMap<QString, QPair<qint64, QByteArray>> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files.insert(QDir(root).relativeFilePath(path),
                     {file.size(), QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)});
    }
    return files;
}

} // namespace

// A folder tree of 300 files in four levels, downloaded and uploaded as one batch each,
// arrives whole: the same names, sizes and bytes on the other side.
TEST_F(StoppedTransfer, FolderTreesCopyWholeBothWays)
{
    TarvelViewModel vm(engine);
    runSync(vm.refreshDevices());
    runSync(vm.loadSelectedDeviceStorage(), 600s);
    std::optional<RemoteEntry> tree;
    for (const RemoteEntry &entry : vm.entries())
        if (entry.name == QLatin1String("Tree"))
            tree = entry;
    ASSERT_TRUE(tree);
    const QString down = local("down");
    QDir().mkpath(down);
    runSync(vm.downloadItems({*tree}, QUrl::fromLocalFile(down)), 600s);
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready) << vm.statusMessage().toStdString();
    EXPECT_TRUE(vm.statusMessage().startsWith("Downloaded 300 files (")) << vm.statusMessage().toStdString();
    const auto phoneTree = treeOf(phoneDir() + "/Tree");
    EXPECT_EQ(phoneTree.size(), 300);
    EXPECT_TRUE(treeOf(down + "/Tree") == phoneTree);

    runSync(vm.uploadItems({QUrl::fromLocalFile(local("UpTree"))}, std::nullopt), 600s);
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready) << vm.statusMessage().toStdString();
    EXPECT_TRUE(vm.statusMessage().startsWith("Uploaded 300 files (")) << vm.statusMessage().toStdString();
    EXPECT_TRUE(treeOf(phoneDir() + "/UpTree") == treeOf(local("UpTree")));
}

// A file removed on the phone before its turn fails alone; the rest of the batch arrives.
TEST_F(StoppedTransfer, BatchGoesOnPastAFileThatVanished)
{
    TarvelViewModel vm(engine);
    runSync(vm.refreshDevices());
    runSync(vm.loadSelectedDeviceStorage(), 600s);
    std::optional<RemoteEntry> gone;
    for (const RemoteEntry &entry : vm.entries())
        if (entry.name == QLatin1String("Gone"))
            gone = entry;
    ASSERT_TRUE(gone);
    const QString into = local("gone-batch");
    QDir().mkpath(into);
    auto batch = vm.downloadItems({*gone}, QUrl::fromLocalFile(into));
    ASSERT_TRUE(tarvel::test::spinUntil([&] { return vm.currentTransfer() && vm.currentTransfer()->completedBytes > 0; }, 120s));
    ASSERT_TRUE(QFile::remove(phoneDir() + "/Gone/c.txt"));
    runSync(std::move(batch), 600s);
    EXPECT_EQ(vm.state(), TarvelConnectionState::transferFailed);
    EXPECT_TRUE(vm.statusMessage().startsWith("Downloaded 2 of 3 files; 1 failed: c.txt: ")) << vm.statusMessage().toStdString();
    EXPECT_EQ(readAll(into + "/Gone/b.txt"), QByteArray("b\n"));
    EXPECT_EQ(QFileInfo(into + "/Gone/a-big.bin").size(), 30000000);
    EXPECT_FALSE(QFile::exists(into + "/Gone/c.txt"));
}
