#include "TarvelCore/AndroidFileTransferEngine.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;

namespace {
RemoteEntry file(QString id, QString name) { return {.id = id, .name = name, .kind = RemoteEntryKind::file}; }
} // namespace

// The root is the "" key when present, and any unknown key falls back to entriesToReturn.
TEST(FakeEngine, ListingPicksByParentKeyElseFallsBack)
{
    FakeAndroidFileTransferEngine engine;
    engine.entriesToReturn = {file("1", "fallback")};
    EXPECT_EQ(runSync(engine.listDirectory("d", "s", std::nullopt)), engine.entriesToReturn);

    engine.entriesByParentID = {{"", {file("2", "root")}}, {"9", {}}};
    EXPECT_EQ(runSync(engine.listDirectory("d", "s", std::nullopt)), (QList{file("2", "root")}));
    EXPECT_TRUE(runSync(engine.listDirectory("d", "s", QString("9"))).isEmpty()); // an empty list is still an answer
    EXPECT_EQ(runSync(engine.listDirectory("d", "s", QString("4"))), engine.entriesToReturn);
    EXPECT_EQ(engine.directoryRequests.size(), 4);
    EXPECT_EQ(engine.directoryRequests.at(2), (DirectoryRequest{"d", "s", QString("9")}));
}

// Failing listings are recorded; failing downloads and uploads are not.
TEST(FakeEngine, RecordingRules)
{
    FakeAndroidFileTransferEngine engine({}, std::nullopt, TransferError::nativeError("no folder"));
    EXPECT_THROW(runSync(engine.listDirectory("d", "s", std::nullopt)), TransferError);
    EXPECT_EQ(engine.directoryRequests, (QList{DirectoryRequest{"d", "s", std::nullopt}}));

    engine.downloadError = TransferError::readFailed();
    engine.uploadError = TransferError::writeFailed();
    EXPECT_THROW(runSync(engine.downloadFile("d", "5", QUrl::fromLocalFile("/tmp/x"))), TransferError);
    EXPECT_THROW(runSync(engine.uploadFile("d", "s", QUrl::fromLocalFile("/tmp/y"), std::nullopt)), TransferError);
    EXPECT_TRUE(engine.downloadRequests.isEmpty());
    EXPECT_TRUE(engine.uploadRequests.isEmpty());

    engine.downloadError.reset();
    engine.uploadError.reset();
    runSync(engine.downloadFile("d", "5", QUrl::fromLocalFile("/tmp/x")));
    runSync(engine.uploadFile("d", "s", QUrl::fromLocalFile("/tmp/y"), QString("3")));
    EXPECT_EQ(engine.downloadRequests, (QList{DownloadRequest{"d", "5", "/tmp", "x"}}));
    EXPECT_EQ(engine.uploadRequests, (QList{UploadRequest{"d", "s", QUrl::fromLocalFile("/tmp/y"), QString("3")}}));

    // Storage listing answers even with every error set, and a scan error wins over devices.
    engine.scanError = TransferError::unsupportedUSBMode();
    engine.devicesToReturn = {{"d", "Pixel"}};
    engine.storagesToReturn = {{"1", "Internal"}};
    EXPECT_EQ(runSync(engine.listStorage("any")), engine.storagesToReturn);
    try {
        runSync(engine.scanDevices());
        FAIL() << "scan should fail";
    } catch (const TransferError &error) {
        EXPECT_EQ(error, TransferError::unsupportedUSBMode());
    }
}

// A hook runs to its end before the operation goes on: it can rescript the answer,
// and a download fails only after its hook let it through.
TEST(FakeEngine, HooksRunFirstAndMayRescript)
{
    FakeAndroidFileTransferEngine engine;
    engine.entriesToReturn = {file("1", "old")};
    Gate gate;
    engine.beforeDirectoryListing = gate.hook();
    auto listing = engine.listDirectory("d", "s", std::nullopt);
    ASSERT_TRUE(gate.waitEntered());
    engine.entriesToReturn = {file("2", "new")};
    engine.beforeDirectoryListing = {}; // reassigning while suspended must not break the waiting call
    EXPECT_TRUE(engine.directoryRequests.isEmpty());
    gate.open();
    EXPECT_EQ(runSync(std::move(listing)), (QList{file("2", "new")}));

    Gate downloadGate;
    engine.beforeDownload = downloadGate.hook();
    engine.downloadError = TransferError::readFailed();
    bool finished = false;
    auto download = [](FakeAndroidFileTransferEngine *engine, bool *finished) -> QCoro::Task<> {
        try {
            co_await engine->downloadFile("d", "5", QUrl::fromLocalFile("/tmp/x"));
        } catch (const TransferError &) {
        }
        *finished = true;
    };
    auto task = download(&engine, &finished);
    ASSERT_TRUE(downloadGate.waitEntered());
    tarvel::test::settle();
    EXPECT_FALSE(finished);
    downloadGate.open();
    runSync(std::move(task));
    EXPECT_TRUE(finished);
    EXPECT_TRUE(engine.downloadRequests.isEmpty());
}
