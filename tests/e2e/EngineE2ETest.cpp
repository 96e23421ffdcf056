// Runs inside the emulator guest (see run-e2e.sh): the real engine and view model over
// libmtp, against QEMU's MTP phone whose storage is a folder prepared on the host.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/e2e/Guest.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

using namespace tarvel;
using namespace tarvel::test::guest;
using tarvel::test::runSync;
using namespace std::chrono_literals;

namespace {

constexpr auto slow = 600s; // a 5,000-entry listing or 100 MB under software emulation


void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((unsigned(i) * 7919u + 13u) ^ (unsigned(i) >> 8));
    return bytes;
}

QSet<QString> namesOf(const QList<RemoteEntry> &entries)
{
    QSet<QString> names;
    for (const RemoteEntry &entry : entries)
        names.insert(entry.name);
    return names;
}

// What the phone should show of a host folder: QEMU leaves out hidden files.
QSet<QString> hostNames(const QString &dir)
{
    const QStringList list = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    return QSet<QString>(list.begin(), list.end());
}

// The device ids libmtp should report, built from what the guest's USB sysfs says.
QSet<QString> expectedDeviceIDs()
{
    QSet<QString> ids;
    const QDir usb(QStringLiteral("/sys/bus/usb/devices"));
    for (const QString &name : usb.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const auto attribute = [&](const char *file) {
            return readAll(usb.filePath(name) + QLatin1Char('/') + QLatin1String(file)).trimmed();
        };
        if (attribute("idVendor") != "46f4" || attribute("idProduct") != "0004")
            continue;
        ids.insert(QStringLiteral("mtp-%1-%2-46f4-0004").arg(attribute("busnum").toUInt()).arg(attribute("devnum").toUInt()));
    }
    return ids;
}

using MTPPhone = GuestPhone;

} // namespace

// Two phones: the one enumerated first is the one the app works with, and every id
// has the documented form for the bus and device number libmtp reports.
TEST_F(MTPPhone, FindsThePhonesWithTheirIds)
{
    const QList<AndroidDevice> devices = runSync(engine->scanDevices());
    QSet<QString> ids;
    for (const AndroidDevice &found : devices) {
        ids.insert(found.id);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^mtp-\\d+-\\d+-46f4-0004$")).match(found.id).hasMatch());
        EXPECT_EQ(found.vendorID, 0x46f4);
        EXPECT_EQ(found.productID, 0x0004);
        EXPECT_FALSE(found.name.isEmpty());
    }
    EXPECT_EQ(ids, expectedDeviceIDs());
    EXPECT_EQ(devices.size(), qEnvironmentVariableIsSet("TARVEL_E2E_SECOND_PHONE") ? 2 : 1);
    EXPECT_EQ(storage.name, phoneName());
    EXPECT_TRUE(storage.capacityBytes.has_value());
    EXPECT_FALSE(engine->diagnosticSummary().isEmpty());
}

TEST_F(MTPPhone, ListsRootAndNestedFolders)
{
    const QList<RemoteEntry> root = list();
    EXPECT_EQ(namesOf(root), hostNames(phoneDir()));
    const auto dcim = named(root, QStringLiteral("DCIM"));
    ASSERT_TRUE(dcim);
    EXPECT_EQ(dcim->kind, RemoteEntryKind::folder);
    EXPECT_FALSE(dcim->parentID); // root entries have no parent
    const RemoteEntry camera = find(QStringLiteral("Camera"), dcim->id);
    EXPECT_EQ(camera.parentID, dcim->id);
    const QList<RemoteEntry> photos = list(camera.id);
    EXPECT_EQ(namesOf(photos), (QSet<QString>{"IMG_0001.jpg", "IMG_0002.jpg"}));
    EXPECT_EQ(named(photos, "IMG_0001.jpg")->sizeBytes, 3000000);
    EXPECT_EQ(named(photos, "IMG_0002.jpg")->kind, RemoteEntryKind::file);
    EXPECT_EQ(named(root, "empty.txt")->sizeBytes, 0); // an empty file, not a size the phone did not give
}

// The newer listing carries each object's modification time, the host file's own to the
// second (MTP dates have whole seconds), and an empty file's size of 0.
TEST_F(MTPPhone, ListingsCarryTheFilesDates)
{
    const QList<RemoteEntry> root = runSync(test::listOne(engine.get(), DirectoryRequest{device.id, storage.id, {}}), slow).entries;
    int dated = 0;
    for (const RemoteEntry &entry : root) {
        const QFileInfo host(phoneDir() + QLatin1Char('/') + entry.name);
        if (!host.isFile())
            continue;
        ASSERT_TRUE(entry.modifiedAt) << entry.name.toStdString();
        EXPECT_LE(std::abs(entry.modifiedAt->secsTo(host.lastModified())), 1) << entry.name.toStdString();
        ++dated;
    }
    EXPECT_GE(dated, 5);
    EXPECT_EQ(named(root, "empty.txt")->sizeBytes, 0);
}

// Big folders arrive whole, and in the same order each time they are listed.
TEST_F(MTPPhone, ListsLargeFoldersCompletely)
{
    for (const QString &folder : {QStringLiteral("Folder600"), QStringLiteral("Folder5000")}) {
        const RemoteEntry entry = find(folder);
        const QList<RemoteEntry> first = list(entry.id);
        EXPECT_EQ(namesOf(first), hostNames(phoneDir() + QLatin1Char('/') + folder)) << folder.toStdString();
        EXPECT_EQ(first.size(), folder == QLatin1String("Folder600") ? 600 : 5000);
        EXPECT_EQ(list(entry.id), first);
    }
}

TEST_F(MTPPhone, DownloadsByteIdentical)
{
    const RemoteEntry big = find(QStringLiteral("big.bin"));
    EXPECT_EQ(big.sizeBytes, 100000000);
    runSync(engine->downloadFile(device.id, big.id, QUrl::fromLocalFile(local("big copy.bin"))), slow);
    EXPECT_EQ(sha256(local("big copy.bin")), sha256(phoneDir() + "/big.bin"));

    for (const QString &name : {QStringLiteral("empty.txt"), QStringLiteral("with spaces.txt"), QStringLiteral("Ünïcode café.txt")}) {
        const RemoteEntry entry = find(name);
        runSync(engine->downloadFile(device.id, entry.id, QUrl::fromLocalFile(local(name))));
        EXPECT_EQ(readAll(local(name)), readAll(phoneDir() + QLatin1Char('/') + name)) << name.toStdString();
        // A download does not come out executable.
        EXPECT_FALSE(QFile(local(name)).permissions() & QFileDevice::ExeOwner);
    }
}

TEST_F(MTPPhone, UploadsIntoRootAndSubfolders)
{
    const QByteArray payload = randomBytes(1'500'000);
    writeFile(local("upload.bin"), payload);
    writeFile(local("zero bytes.dat"), {});
    writeFile(local("Ünïcode résumé.txt"), "résumé\n");

    runSync(engine->uploadFile(device.id, storage.id, QUrl::fromLocalFile(local("upload.bin")), std::nullopt));
    EXPECT_EQ(readAll(phoneDir() + "/upload.bin"), payload);

    // A folder has to be listed in the session before the phone takes files into it.
    const RemoteEntry documents = find(QStringLiteral("Documents"));
    const QList<RemoteEntry> before = list(documents.id);
    EXPECT_TRUE(before.isEmpty());
    for (const QString &name : {QStringLiteral("zero bytes.dat"), QStringLiteral("Ünïcode résumé.txt")})
        runSync(engine->uploadFile(device.id, storage.id, QUrl::fromLocalFile(local(name)), documents.id));
    EXPECT_EQ(readAll(phoneDir() + "/Documents/zero bytes.dat"), QByteArray());
    EXPECT_EQ(readAll(phoneDir() + "/Documents/Ünïcode résumé.txt"), QByteArray("résumé\n"));
    EXPECT_EQ(namesOf(list(documents.id)), (QSet<QString>{"zero bytes.dat", "Ünïcode résumé.txt"}));
}

// A file that vanished from the phone fails to download and leaves the chosen
// destination exactly as it was.
TEST_F(MTPPhone, FailedDownloadLeavesTheDestinationAlone)
{
    const RemoteEntry doomed = find(QStringLiteral("doomed.txt"));
    ASSERT_TRUE(QFile::remove(phoneDir() + "/doomed.txt"));
    writeFile(local("keep.txt"), "the user's own file\n");
    const QStringList before = QDir(workDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    try {
        runSync(engine->downloadFile(device.id, doomed.id, QUrl::fromLocalFile(local("keep.txt"))));
        FAIL() << "the download should fail";
    } catch (const TransferError &error) {
        EXPECT_EQ(error.kind(), TransferError::Kind::nativeError);
        EXPECT_FALSE(error.nativeMessage().isEmpty());
    }
    EXPECT_EQ(readAll(local("keep.txt")), QByteArray("the user's own file\n"));
    EXPECT_EQ(QDir(workDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    // The phone goes on working after the failure.
    EXPECT_FALSE(list().isEmpty());
}

// What the window does at start, then a folder, a download and an upload through the
// view model, over the real engine.
TEST_F(MTPPhone, ViewModelBrowsesAndTransfers)
{
    TarvelViewModel vm(engine);
    runSync(vm.refreshDevices());
    ASSERT_TRUE(vm.selectedDevice());
    EXPECT_EQ(vm.selectedDevice()->id, device.id);
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready);
    runSync(vm.loadSelectedDeviceStorage(), slow);
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready);
    EXPECT_EQ(vm.statusMessage(), "Showing " + phoneName() + ".");
    EXPECT_EQ(vm.selectedStorage()->name, phoneName());

    const auto music = named(vm.entries(), QStringLiteral("Music"));
    ASSERT_TRUE(music);
    runSync(vm.openFolder(*music));
    EXPECT_EQ(vm.statusMessage(), QStringLiteral("Showing Music."));

    writeFile(local("song.ogg"), randomBytes(200'000));
    runSync(vm.upload(QUrl::fromLocalFile(local("song.ogg")), vm.currentParentID()));
    EXPECT_EQ(vm.statusMessage(), QStringLiteral("Uploaded song.ogg."));
    runSync(vm.loadCurrentDirectory());
    const auto song = named(vm.entries(), QStringLiteral("song.ogg"));
    ASSERT_TRUE(song);
    EXPECT_EQ(song->sizeBytes, 200'000);

    runSync(vm.download(song->id, song->name, QUrl::fromLocalFile(local("song back.ogg"))));
    EXPECT_EQ(vm.statusMessage(), QStringLiteral("Downloaded song.ogg."));
    EXPECT_EQ(readAll(local("song back.ogg")), readAll(local("song.ogg")));
}

// A read-only phone refuses an upload with a status, leaves nothing behind, and the
// app goes on.
TEST_F(MTPPhone, ReadOnlyPhoneRefusesUploads)
{
    if (!qEnvironmentVariableIsSet("TARVEL_E2E_READONLY"))
        GTEST_SKIP() << "only with the read-only phone";
    TarvelViewModel vm(engine);
    runSync(vm.refreshDevices());
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_EQ(vm.statusMessage(), "Showing " + phoneName() + ".");
    writeFile(local("refused.txt"), "no room\n");
    runSync(vm.upload(QUrl::fromLocalFile(local("refused.txt")), std::nullopt));
    EXPECT_EQ(vm.state(), TarvelConnectionState::transferFailed);
    EXPECT_FALSE(vm.statusMessage().isEmpty());
    EXPECT_FALSE(vm.currentTransfer());
    EXPECT_FALSE(QFile::exists(phoneDir() + "/refused.txt"));

    runSync(vm.refreshDevices());
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready);
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready) << vm.statusMessage().toStdString();
    EXPECT_TRUE(named(vm.entries(), QStringLiteral("readme.txt")));
}
