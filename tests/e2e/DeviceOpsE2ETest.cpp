// Runs inside the emulator guest with the phone of run-e2e.sh ops: the phone's own operations
// over the real engine and libmtp, on the folder Ops the run prepares. QEMU's phone has no
// thumbnails and no renaming: those are proven against the scripted libmtp; here they only
// show what this phone answers.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "tests/e2e/Guest.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

using namespace tarvel;
using namespace tarvel::test::guest;
using tarvel::test::runSync;
using namespace std::chrono_literals;

namespace {

template <typename T>
std::optional<TransferError::Kind> failureOf(QCoro::Task<T> task)
{
    try {
        runSync(std::move(task));
    } catch (const TransferError &error) {
        return error.kind();
    }
    return std::nullopt;
}

class PhoneOps : public GuestPhone {
protected:
    RemoteEntry inOps(const QString &name) { return find(name, find(QStringLiteral("Ops"), std::nullopt).id); }
    ObjectRequest object(const RemoteEntry &entry) const
    {
        return {device.id, storage.id, entry.id, entry.name,
                entry.kind == RemoteEntryKind::folder ? std::nullopt : entry.sizeBytes};
    }
};

} // namespace

// An object listed at another size is refused and stays; a tree goes children first, as the
// core sends it, and a file on its own.
TEST_F(PhoneOps, DeletesAFileAndAFolderTreeChildrenFirst)
{
    const RemoteEntry single = inOps(QStringLiteral("single.txt"));
    ObjectRequest stale = object(single);
    stale.sizeBytes = *stale.sizeBytes + 1;
    auto control = std::make_shared<TransferControl>();
    const QList<std::exception_ptr> refused = runSync(engine->deleteObjects({stale}, control));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(kindOf(refused[0]), TransferError::Kind::deviceRefused);
    EXPECT_TRUE(QFile::exists(phoneDir() + "/Ops/single.txt"));

    const RemoteEntry tree = inOps(QStringLiteral("Tree"));
    const RemoteEntry sub = find(QStringLiteral("Sub"), tree.id);
    QList<ObjectRequest> run;
    for (const RemoteEntry &leaf : list(sub.id))
        run.append(object(leaf));
    run.append(object(sub));
    run.append(object(find(QStringLiteral("a.txt"), tree.id)));
    run.append({object(tree), object(single)});
    EXPECT_EQ(runSync(engine->deleteObjects(run, control)), QList<std::exception_ptr>(run.size(), nullptr));
    EXPECT_FALSE(QFileInfo::exists(phoneDir() + "/Ops/Tree"));
    EXPECT_FALSE(QFileInfo::exists(phoneDir() + "/Ops/single.txt"));
}

// Parts of a file are its bytes, fewer at its end; this phone reads offsets below 4 GiB only
// (no 64-bit partial read), keeps no thumbnails and renames nothing.
TEST_F(PhoneOps, ReadsPartsBelowFourGiBAndKeepsNoThumbnails)
{
    const RemoteEntry parts = inOps(QStringLiteral("parts.bin"));
    const QByteArray whole = readAll(phoneDir() + "/Ops/parts.bin");
    ASSERT_EQ(whole.size(), 100000);
    EXPECT_EQ(runSync(engine->readPart(object(parts), 0, 65536)), whole.left(65536));
    EXPECT_EQ(runSync(engine->readPart(object(parts), 99000, 4096)), whole.mid(99000));
    EXPECT_TRUE(runSync(engine->readPart(object(parts), 100000, 10)).isEmpty());

    const RemoteEntry huge = inOps(QStringLiteral("huge.bin"));
    ASSERT_EQ(huge.sizeBytes, 5LL << 30);
    EXPECT_EQ(runSync(engine->readPart(object(huge), (1LL << 32) - 4, 8)), QByteArray(8, '\0'));
    EXPECT_EQ(failureOf(engine->readPart(object(huge), 1LL << 32, 8)), TransferError::Kind::deviceRefused);

    EXPECT_TRUE(runSync(engine->thumbnail(object(parts))).isEmpty());
    EXPECT_EQ(failureOf(engine->renameObject({object(parts), QStringLiteral("renamed.bin")})),
              TransferError::Kind::deviceRefused);
    EXPECT_EQ(readAll(phoneDir() + "/Ops/parts.bin"), whole);
}

// A download given the listed date keeps it, to the second MTP dates have.
TEST_F(PhoneOps, DownloadKeepsThePhonesDate)
{
    const RemoteEntry dated = inOps(QStringLiteral("dated.txt"));
    ASSERT_TRUE(dated.modifiedAt);
    DownloadRequest request = test::downloadTo(device.id, dated.id, local("dated.txt"));
    request.modifiedAt = dated.modifiedAt;
    runSync(test::downloadOne(engine.get(), request));
    const QDateTime onPhone = QFileInfo(phoneDir() + "/Ops/dated.txt").lastModified();
    EXPECT_LE(std::abs(QFileInfo(local("dated.txt")).lastModified().secsTo(onPhone)), 1);
    EXPECT_EQ(onPhone.date().year(), 2021);
    EXPECT_EQ(readAll(local("dated.txt")), readAll(phoneDir() + "/Ops/dated.txt"));
}

// A file made on the host in a folder the session listed is announced with the id a listing
// then gives it, and so is its removal.
TEST_F(PhoneOps, FilesAddedAndRemovedInAListedFolderAreAnnounced)
{
    const RemoteEntry watched = inOps(QStringLiteral("Watched"));
    list(watched.id); // QEMU watches the folders a session listed
    // Listening from here on; what earlier tests did on the phone is announced first.
    for (int round = 0; round < 50 && !runSync(engine->phoneEvents(device.id, 300)).isEmpty(); ++round) {
    }
    const auto waitFor = [&](PhoneEvent::Kind kind) -> std::pair<QString, qint64> {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000) {
            for (const PhoneEvent &event : runSync(engine->phoneEvents(device.id, 1000)))
                if (event.kind == kind)
                    return {event.objectID, waited.elapsed()};
        }
        return {};
    };
    QFile made(phoneDir() + "/Ops/Watched/arrived.txt");
    ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    made.write("arrived\n");
    made.close();
    const auto [added, addedAfter] = waitFor(PhoneEvent::Kind::objectAdded);
    const RemoteEntry arrived = find(QStringLiteral("arrived.txt"), watched.id);
    EXPECT_EQ(added, arrived.id);

    ASSERT_TRUE(QFile::remove(made.fileName()));
    const auto [removed, removedAfter] = waitFor(PhoneEvent::Kind::objectRemoved);
    EXPECT_EQ(removed, arrived.id);
    RecordProperty("object_added_ms", int(addedAfter));
    RecordProperty("object_removed_ms", int(removedAfter));
    printf("[ figures  ] ObjectAdded after %lld ms, ObjectRemoved after %lld ms\n", addedAfter, removedAfter);
}
