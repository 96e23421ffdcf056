#include "TarvelDemo/LocalFolderEngine.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

using namespace tarvel;
using tarvel::test::runSync;

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class LocalFolderEngineTest : public ::testing::Test {
protected:
    LocalFolderEngineTest()
    {
        write(phone.filePath("DCIM/Camera/IMG_1.jpg"), "jpeg");
        write(phone.filePath("b.txt"), "bee");
        write(phone.filePath("A.txt"), "");
        write(phone.filePath(".hidden"), "x");
        QDir(phone.path()).mkpath("Music");
    }

    QString nativeFailure(QCoro::Task<> task)
    {
        try {
            runSync(std::move(task));
        } catch (const TransferError &error) {
            return error.nativeMessage();
        }
        return QStringLiteral("<no failure>");
    }

    QTemporaryDir phone;
    QTemporaryDir computer;
    LocalFolderEngine engine{phone.path()};
};

} // namespace

// The folder shows as one phone with one storage; folders come first, hidden files never;
// files carry their sizes (an empty one 0) and modification times.
TEST_F(LocalFolderEngineTest, ServesTheFolderAsAPhone)
{
    QFile dated(phone.filePath("b.txt"));
    ASSERT_TRUE(dated.open(QIODevice::ReadWrite));
    ASSERT_TRUE(dated.setFileTime(QDateTime(QDate(2024, 6, 11), QTime(18, 15, 2), Qt::UTC), QFileDevice::FileModificationTime));
    dated.close();
    const QList<AndroidDevice> devices = runSync(engine.scanDevices());
    ASSERT_EQ(devices.size(), 1);
    const QList<AndroidStorage> storages = runSync(engine.listStorage(devices.first().id));
    ASSERT_EQ(storages.size(), 1);
    EXPECT_EQ(storages.first().name, QFileInfo(phone.path()).fileName());
    EXPECT_TRUE(storages.first().capacityBytes);

    const QList<RemoteEntry> root = runSync(engine.listDirectory(devices.first().id, storages.first().id, std::nullopt));
    QStringList names;
    for (const RemoteEntry &entry : root)
        names << entry.name;
    EXPECT_EQ(names, (QStringList{"DCIM", "Music", "A.txt", "b.txt"}));
    EXPECT_EQ(root[0].kind, RemoteEntryKind::folder);
    EXPECT_EQ(root[0].sizeBytes, std::nullopt);
    EXPECT_EQ(root[2].sizeBytes, 0); // an empty file still has a size
    EXPECT_EQ(root[3].sizeBytes, 3);
    EXPECT_EQ(root[3].modifiedAt, QDateTime(QDate(2024, 6, 11), QTime(18, 15, 2), Qt::UTC));
    EXPECT_TRUE(root[0].modifiedAt);

    const QList<RemoteEntry> dcim = runSync(engine.listDirectory(devices.first().id, storages.first().id, root[0].id));
    const QList<RemoteEntry> camera = runSync(engine.listDirectory(devices.first().id, storages.first().id, dcim.value(0).id));
    ASSERT_EQ(camera.size(), 1);
    EXPECT_EQ(camera.first().name, "IMG_1.jpg");
    EXPECT_EQ(camera.first().parentID, dcim.value(0).id);

    EXPECT_TRUE(runSync(LocalFolderEngine(phone.filePath("gone")).scanDevices()).isEmpty());
}

// No id, however written, reaches outside the folder.
TEST_F(LocalFolderEngineTest, RefusesIdsOutsideTheFolder)
{
    write(computer.filePath("secret.txt"), "secret");
    QFile::link(computer.path(), phone.filePath("link"));
    const auto id = LocalFolderEngine::deviceID;
    const auto storage = LocalFolderEngine::storageID;
    for (const QString &escape : {QStringLiteral("../"), QStringLiteral("link"), QStringLiteral("/etc")}) {
        EXPECT_THROW(runSync(engine.listDirectory(id, storage, escape)), TransferError) << escape.toStdString();
    }
    const QString relative = QDir(phone.path()).relativeFilePath(computer.filePath("secret.txt"));
    EXPECT_NE(nativeFailure(engine.downloadFile(id, relative, QUrl::fromLocalFile(computer.filePath("copy.txt")))), "<no failure>");
    EXPECT_FALSE(QFile::exists(computer.filePath("copy.txt")));
}

// Copies are whole or not at all, and an upload never replaces a file on the phone.
TEST_F(LocalFolderEngineTest, CopiesSafelyBothWays)
{
    const auto id = LocalFolderEngine::deviceID;
    const auto storage = LocalFolderEngine::storageID;
    runSync(engine.downloadFile(id, "DCIM/Camera/IMG_1.jpg", QUrl::fromLocalFile(computer.filePath("photo.jpg"))));
    EXPECT_EQ(read(computer.filePath("photo.jpg")), "jpeg");

    write(computer.filePath("keep.txt"), "mine");
    EXPECT_EQ(nativeFailure(engine.downloadFile(id, "missing.jpg", QUrl::fromLocalFile(computer.filePath("keep.txt")))),
              "The demo phone has no item missing.jpg");
    EXPECT_EQ(read(computer.filePath("keep.txt")), "mine");

    write(computer.filePath("b.txt"), "new bee");
    runSync(engine.uploadFile(id, storage, QUrl::fromLocalFile(computer.filePath("b.txt")), std::nullopt));
    runSync(engine.uploadFile(id, storage, QUrl::fromLocalFile(computer.filePath("b.txt")), QString("Music")));
    EXPECT_EQ(read(phone.filePath("b.txt")), "bee");
    EXPECT_EQ(read(phone.filePath("b (2).txt")), "new bee");
    EXPECT_EQ(read(phone.filePath("Music/b.txt")), "new bee");

    EXPECT_EQ(nativeFailure(engine.uploadFile(id, storage, QUrl::fromLocalFile(computer.path()), std::nullopt)),
              "Local upload path is not a regular file");
}

// Quitting during a slow copy ends it at once and leaves no partial file behind.
TEST(LocalFolderEngineLifetime, GoingAwayStopsACopyWithoutAPartialFile)
{
    QTemporaryDir phone, computer;
    write(phone.filePath("big.bin"), QByteArray(4 * 1024 * 1024, 'x'));
    auto engine = std::make_unique<LocalFolderEngine>(phone.path(), true);
    bool ended = false;
    auto copy = [](LocalFolderEngine *engine, QUrl to, bool *ended) -> QCoro::Task<> {
        try {
            co_await engine->downloadFile(LocalFolderEngine::deviceID, "big.bin", to);
        } catch (const TransferError &) {
        }
        *ended = true;
    };
    auto task = copy(engine.get(), QUrl::fromLocalFile(computer.filePath("big.bin")), &ended);
    QThread::msleep(300); // a chunk or two into the copy
    engine.reset();
    tarvel::test::spinUntil([&] { return ended; });
    EXPECT_TRUE(ended);
    EXPECT_TRUE(QDir(computer.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

// Progress reaches the control; a cancelled copy throws cancelled and leaves nothing behind;
// folders are created once.
TEST_F(LocalFolderEngineTest, ReportsProgressAndHonoursCancel)
{
    const QUrl copy = QUrl::fromLocalFile(computer.filePath("copy.txt"));
    auto control = std::make_shared<TransferControl>();
    runSync(test::downloadOne(&engine, test::downloadTo(LocalFolderEngine::deviceID, "b.txt", copy.toLocalFile()), control));
    EXPECT_EQ(control->completedBytes(), 3);
    EXPECT_EQ(control->totalBytes(), 3);

    write(computer.filePath("copy.txt"), "mine");
    auto cancelled = std::make_shared<TransferControl>();
    cancelled->cancel();
    EXPECT_THROW(runSync(test::downloadOne(&engine, test::downloadTo(LocalFolderEngine::deviceID, "b.txt", copy.toLocalFile()), cancelled)),
                 TransferError);
    EXPECT_EQ(read(computer.filePath("copy.txt")), "mine");
    EXPECT_THROW(runSync(test::uploadOne(&engine, UploadRequest{LocalFolderEngine::deviceID, LocalFolderEngine::storageID, copy,
                                                     std::nullopt, QString("renamed.txt")},
                                       cancelled)),
                 TransferError);
    EXPECT_FALSE(QFile::exists(phone.filePath("renamed.txt")));

    runSync(test::uploadOne(&engine, UploadRequest{LocalFolderEngine::deviceID, LocalFolderEngine::storageID, copy, std::nullopt,
                                        QString("renamed.txt")},
                          control));
    EXPECT_EQ(read(phone.filePath("renamed.txt")), "mine");
    EXPECT_EQ(runSync(engine.createFolder(FolderRequest{LocalFolderEngine::deviceID, LocalFolderEngine::storageID, QString("Music"), "Live"})),
              "Music/Live");
    EXPECT_THROW(runSync(engine.createFolder(FolderRequest{LocalFolderEngine::deviceID, LocalFolderEngine::storageID, QString("Music"), "Live"})),
                 TransferError);
}

namespace {

ObjectRequest object(const QString &id, const QString &name, std::optional<qint64> size)
{
    return {.deviceID = LocalFolderEngine::deviceID, .storageID = LocalFolderEngine::storageID, .objectID = id,
            .name = name, .sizeBytes = size};
}

} // namespace

// Deletes and renames act only on the object as it was listed: a changed file, a taken or
// illegal name and the storage's root are refused; a folder goes with what it holds.
TEST_F(LocalFolderEngineTest, ChangesOnlyWhatWasListed)
{
    const auto control = std::make_shared<TransferControl>();
    auto outcomes = runSync(engine.deleteObjects({object("b.txt", "b.txt", 99)}, control));
    ASSERT_EQ(outcomes.size(), 1);
    EXPECT_EQ(kindOf(outcomes.first()), TransferError::Kind::deviceRefused);
    EXPECT_EQ(read(phone.filePath("b.txt")), "bee");

    outcomes = runSync(engine.deleteObjects({object("DCIM", "DCIM", std::nullopt), object("", "", std::nullopt)}, control));
    ASSERT_EQ(outcomes.size(), 2);
    EXPECT_EQ(outcomes.first(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(phone.filePath("DCIM")));
    EXPECT_EQ(kindOf(outcomes.last()), TransferError::Kind::deviceRefused);

    for (const QString &name : {QString("A.txt"), QString(""), QString("a/b"), QString(".."), QString("x") + QChar(0)})
        EXPECT_THROW(runSync(engine.renameObject({object("b.txt", "b.txt", 3), name})), TransferError) << name.toStdString();
    runSync(engine.renameObject({object("Music", "Music", std::nullopt), "Songs"}));
    EXPECT_TRUE(QFileInfo(phone.filePath("Songs")).isDir());
}

// Parts of a file come from where they are asked; a folder listed is watched, and what
// appears or goes there comes as the phone's events, once.
TEST_F(LocalFolderEngineTest, ReadsPartsAndTellsWhatChangesInListedFolders)
{
    EXPECT_EQ(runSync(engine.readPart(object("DCIM/Camera/IMG_1.jpg", "IMG_1.jpg", 4), 1, 2)), "pe");
    EXPECT_EQ(runSync(engine.readPart(object("DCIM/Camera/IMG_1.jpg", "IMG_1.jpg", 4), 2, 100)), "eg");
    EXPECT_THROW(runSync(engine.readPart(object("DCIM/Camera/IMG_1.jpg", "IMG_1.jpg", 4), -1, 2)), TransferError);

    runSync(test::listOne(&engine, {LocalFolderEngine::deviceID, LocalFolderEngine::storageID, QString("DCIM/Camera")}));
    EXPECT_TRUE(runSync(engine.phoneEvents(LocalFolderEngine::deviceID, 0)).isEmpty());
    write(phone.filePath("DCIM/Camera/IMG_2.jpg"), "new");
    QFile::remove(phone.filePath("DCIM/Camera/IMG_1.jpg"));
    write(phone.filePath("Music/unwatched.mp3"), "x");
    QList<PhoneEvent> events;
    ASSERT_TRUE(test::spinUntil([&] {
        events += runSync(engine.phoneEvents(LocalFolderEngine::deviceID, 200));
        return events.size() >= 2;
    }));
    EXPECT_EQ(events, (QList<PhoneEvent>{{PhoneEvent::Kind::objectRemoved, "DCIM/Camera/IMG_1.jpg"},
                                         {PhoneEvent::Kind::objectAdded, "DCIM/Camera/IMG_2.jpg"}}));
    EXPECT_TRUE(runSync(engine.phoneEvents(LocalFolderEngine::deviceID, 100)).isEmpty());
}
