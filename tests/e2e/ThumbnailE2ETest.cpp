// Runs inside the emulator guest (see run-e2e.sh): thumbnails of real camera JPEGs, made
// here by the sample phone's generator, through the view model over libmtp. QEMU's phone
// keeps no thumbnails of its own (no GetThumb), so every one comes from the EXIF block of
// a partial read; the phone's own are proven against the scripted libmtp.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/e2e/Guest.h"
#include "tests/support/TestSupport.h"
#include "tools/samplephone/SamplePhotos.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>

using namespace tarvel;
using namespace tarvel::test::guest;
using tarvel::test::runSync;
using tarvel::test::spinUntil;
using namespace std::chrono_literals;

namespace {

// Four photos and a file that only claims to be one; each photo's thumbnail is a picture
// of at most 160 × 120, the impostor's is none, and nothing is read twice.
TEST(MTPThumbnails, CameraPhotosGiveTheirEXIFThumbnails)
{
    ASSERT_FALSE(phoneDir().isEmpty()) << "run through run-e2e.sh";
    // Made beside the phone and moved in whole, so the phone never sees a file half written.
    const QString staging = workDir() + QStringLiteral("/Thumbs");
    ASSERT_TRUE(QDir().mkpath(staging));
    for (int i = 0; i < 4; ++i) {
        const QDateTime taken(QDate(2024, 6, 1), QTime(9, 12 + i), Qt::UTC);
        QFile photo(staging + QStringLiteral("/PXL_%1.jpg").arg(i));
        ASSERT_TRUE(photo.open(QIODevice::WriteOnly));
        photo.write(sample::cameraJPEG(sample::picture(i, QSize(1600, 1200)), taken));
    }
    QFile impostor(staging + QStringLiteral("/impostor.jpg"));
    ASSERT_TRUE(impostor.open(QIODevice::WriteOnly));
    impostor.write(QByteArray(70'001, 'x'));
    impostor.close();
    ASSERT_TRUE(QDir().rename(staging, phoneDir() + QStringLiteral("/Thumbs")));

    TarvelViewModel vm(std::make_shared<MTPAndroidFileTransferEngine>());
    runSync(vm.refreshDevices());
    runSync(vm.loadSelectedDeviceStorage(), 600s);
    const QList<RemoteEntry> root = vm.entries();
    const auto folder = std::find_if(root.begin(), root.end(),
                                     [](const RemoteEntry &e) { return e.name == QLatin1String("Thumbs"); });
    ASSERT_NE(folder, root.end());
    runSync(vm.openFolder(*folder));
    ASSERT_EQ(vm.entries().size(), 5);

    ThumbnailLoader &loader = *vm.thumbnails();
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    QList<ThumbnailRequest> requests;
    QHash<QString, QString> names; // key -> name
    for (const RemoteEntry &entry : vm.entries()) {
        const QString key = ThumbnailLoader::cacheKey(vm.selectedDevice()->id, vm.selectedStorage()->id,
                                                      QStringLiteral("Thumbs/") + entry.name, entry.sizeBytes,
                                                      entry.modifiedAt);
        names.insert(key, entry.name);
        requests.append({.object = {.deviceID = vm.selectedDevice()->id, .storageID = vm.selectedStorage()->id,
                                    .objectID = entry.id, .name = entry.name, .sizeBytes = entry.sizeBytes},
                         .cacheKey = key,
                         .readsExif = true});
    }
    loader.want(requests);
    ASSERT_TRUE(spinUntil([&] { return ready.size() == 4; }, 120s)) << ready.size();
    // Long enough for the impostor's answer too: it must not turn into a picture.
    EXPECT_FALSE(spinUntil([&] { return ready.size() > 4; }, 3s));
    for (const QList<QVariant> &signal : ready) {
        const QString key = signal.first().toString();
        EXPECT_TRUE(names.value(key).startsWith(QLatin1String("PXL_"))) << names.value(key).toStdString();
        const QImage thumbnail(QDir(loader.thumbnailFolder()).filePath(key));
        EXPECT_FALSE(thumbnail.isNull()) << names.value(key).toStdString();
        EXPECT_LE(thumbnail.width(), 160);
        EXPECT_LE(thumbnail.height(), 120);
        EXPECT_GE(thumbnail.width(), 100);
    }
    loader.want(requests);
    EXPECT_FALSE(spinUntil([&] { return ready.size() > 4; }, 2s));
}

} // namespace
