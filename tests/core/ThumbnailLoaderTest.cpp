#include "TarvelCore/ExifThumbnail.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"
#include "tools/samplephone/SamplePhotos.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;
using tarvel::test::spinUntil;

namespace {

const AndroidDevice pixel{.id = "mtp-1-2-18d1-4ee1", .name = "Pixel 8", .serialNumber = QString("8A1X")};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};

RemoteEntry photo(QString id)
{
    return {.id = id, .name = "PXL_" + id + ".jpg", .sizeBytes = 4000, .modifiedAt = QDateTime::fromSecsSinceEpoch(id.toInt())};
}

ThumbnailRequest requestFor(const RemoteEntry &entry)
{
    return {.object = {.deviceID = pixel.id, .storageID = internal.id, .objectID = entry.id, .name = entry.name,
                       .sizeBytes = entry.sizeBytes},
            .cacheKey = ThumbnailLoader::cacheKey(*pixel.serialNumber, internal.id, entry.name, entry.sizeBytes,
                                                  entry.modifiedAt),
            .readsExif = true};
}

QStringList requested(const FakeAndroidFileTransferEngine &engine)
{
    QStringList ids;
    for (const ObjectRequest &request : engine.thumbnailRequests)
        ids.append(request.objectID);
    return ids;
}

class ThumbnailLoaderTest : public ::testing::Test {
protected:
    ThumbnailLoaderTest()
    {
        engine->devicesToReturn = {pixel};
        engine->storagesToReturn = {internal};
        engine->entriesToReturn = {a, b, c};
        for (const RemoteEntry &entry : {a, b, c})
            engine->thumbnails.insert(entry.id, "\xFF\xD8 thumbnail of " + entry.id.toLatin1());
        QDir(loader().cacheRoot()).removeRecursively(); // another test's pictures
        runSync(vm->refreshDevices());
        runSync(vm->loadSelectedDeviceStorage());
    }

    ThumbnailLoader &loader() { return *vm->thumbnails(); }

    const RemoteEntry a = photo("1"), b = photo("2"), c = photo("3");
    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    std::unique_ptr<TarvelViewModel> vm = std::make_unique<TarvelViewModel>(engine);
};

// A listing asked for while a thumbnail is on the lane runs before the next thumbnail, and
// no thumbnail is asked for while a transfer runs.
TEST_F(ThumbnailLoaderTest, WaitingOperationsGoFirstAndOneThumbnailIsFetchedAtATime)
{
    Gate thumbnailGate;
    engine->beforeThumbnail = thumbnailGate.hook();
    loader().want({requestFor(a), requestFor(b), requestFor(c)});
    ASSERT_TRUE(thumbnailGate.waitEntered());

    Gate listingGate;
    engine->beforeDirectoryListing = listingGate.hook();
    vm->loadCurrentDirectory();
    ASSERT_TRUE(listingGate.waitEntered());
    thumbnailGate.open();
    QSignalSpy ready(&loader(), &ThumbnailLoader::thumbnailReady);
    ASSERT_TRUE(spinUntil([&] { return ready.count() == 1; }));
    test::settle();
    EXPECT_EQ(thumbnailGate.entered(), 1) << "a thumbnail went ahead of the waiting listing";
    EXPECT_EQ(requested(*engine), QStringList{"1"});

    Gate downloadGate;
    engine->beforeDownload = downloadGate.hook();
    vm->download(a.id, a.name, QUrl::fromLocalFile(QDir::temp().filePath("tarvel-thumbnail-test.jpg")));
    listingGate.open();
    ASSERT_TRUE(downloadGate.waitEntered());
    test::settle();
    EXPECT_EQ(thumbnailGate.entered(), 1) << "a thumbnail went ahead of the transfer";
    downloadGate.open();
    ASSERT_TRUE(spinUntil([&] { return ready.count() == 3; }));
    EXPECT_EQ(requested(*engine), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(loader().hasThumbnail(requestFor(c).cacheKey));
}

// Rows scrolled away before their turn are never fetched; a phone without its own
// thumbnail gives the EXIF one of the photo's first bytes, and garbage gives none.
TEST_F(ThumbnailLoaderTest, FetchesOnlyWhatIsStillOnScreen)
{
    Gate thumbnailGate;
    engine->beforeThumbnail = thumbnailGate.hook();
    loader().want({requestFor(a), requestFor(b)});
    ASSERT_TRUE(thumbnailGate.waitEntered());
    loader().want({requestFor(c)});
    engine->thumbnails.remove(c.id);
    const QImage picture = sample::picture(7, QSize(640, 480));
    engine->contents.insert(c.id, sample::cameraJPEG(picture, QDateTime::currentDateTime()));
    thumbnailGate.open();
    QSignalSpy ready(&loader(), &ThumbnailLoader::thumbnailReady);
    ASSERT_TRUE(spinUntil([&] { return ready.count() == 2; }));
    EXPECT_EQ(requested(*engine), (QStringList{"1", "3"}));
    ASSERT_EQ(engine->partReads.size(), 1);
    EXPECT_EQ(engine->partReads.first(), std::make_pair(c.id, qint64(0)));
    QFile stored(QDir(loader().thumbnailFolder()).filePath(requestFor(c).cacheKey));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), exifThumbnail(engine->contents.value(c.id)));

    engine->thumbnails.remove(b.id);
    engine->contents.insert(b.id, QByteArray("\xFF\xD8\xFF\xE1\x00\x10" "Exif\0\0II*\0\xFF\xFF\xFF\x7F", 20));
    loader().want({requestFor(b)});
    ASSERT_TRUE(spinUntil([&] { return engine->partReads.size() == 2; }));
    test::settle();
    EXPECT_FALSE(loader().hasThumbnail(requestFor(b).cacheKey));
}

// The disk cache serves a phone plugged in again, even with new object ids, and a run
// that fetched nothing keeps within its cap.
TEST_F(ThumbnailLoaderTest, CacheServesThePhoneAgainAfterAReconnection)
{
    QSignalSpy ready(&loader(), &ThumbnailLoader::thumbnailReady);
    loader().want({requestFor(a)});
    ASSERT_TRUE(spinUntil([&] { return ready.count() == 1; }));

    vm.reset();
    engine = std::make_shared<FakeAndroidFileTransferEngine>();
    engine->devicesToReturn = {AndroidDevice{.id = "mtp-1-7-18d1-4ee1", .name = "Pixel 8", .serialNumber = "8A1X"}};
    vm = std::make_unique<TarvelViewModel>(engine);
    ThumbnailRequest again = requestFor(a);
    again.object.objectID = "99";
    QSignalSpy readyAgain(&loader(), &ThumbnailLoader::thumbnailReady);
    loader().want({again});
    ASSERT_TRUE(spinUntil([&] { return readyAgain.count() == 1; }));
    EXPECT_TRUE(engine->thumbnailRequests.isEmpty());

    QTemporaryDir folder;
    PictureCache cache(folder.path(), 1000);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(cache.store(QString::number(i), QByteArray(300, 'x')));
        QFile file(cache.pathOf(QString::number(i)));
        file.open(QIODevice::ReadWrite);
        file.setFileTime(QDateTime::currentDateTime().addSecs(i - 10), QFileDevice::FileModificationTime);
    }
    EXPECT_LE(QDir(folder.path()).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(cache.lookup("4")) << "the newest picture went";
}

} // namespace
