#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;
using State = TarvelConnectionState;

namespace {

const AndroidDevice pixel{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};
const AndroidStorage card{"131073", "SD card", 32'000'000'000, 1'000'000'000};

RemoteEntry folder(QString id, QString name, std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::folder};
}

const RemoteEntry dcim = folder("10", "DCIM");
const RemoteEntry camera = folder("11", "Camera", "10");
const RemoteEntry raw = folder("12", "Raw", "11");

// Storage listings that can be held open or fail, which the shared fake's cannot.
class StorageEngine : public FakeAndroidFileTransferEngine {
public:
    QCoro::Task<QList<AndroidStorage>> listStorage(QString deviceID) override
    {
        if (const Hook hook = beforeStorageListing)
            co_await hook();
        if (storageError)
            throw TransferError(*storageError);
        co_return co_await FakeAndroidFileTransferEngine::listStorage(deviceID);
    }

    Hook beforeStorageListing;
    std::optional<TransferError> storageError;
};

// The view model's operations for a browser that moves like a file manager.
class ViewModelBrowsingTest : public ::testing::Test {
protected:
    ViewModelBrowsingTest()
    {
        engine->devicesToReturn = {pixel};
        engine->storagesToReturn = {internal, card};
        engine->entriesByParentID = {{"", {dcim}}, {"10", {camera}}, {"11", {raw}}, {"12", {}}};
        runSync(vm.refreshDevices());
        runSync(vm.loadSelectedDeviceStorage());
        for (const RemoteEntry &next : {dcim, camera, raw})
            runSync(vm.openFolder(next));
    }

    std::shared_ptr<StorageEngine> engine = std::make_shared<StorageEngine>();
    TarvelViewModel vm{engine};
};

} // namespace

// A breadcrumb opens a folder up the path with one listing, the path cut there; a depth
// that is not above the shown folder, or a failed listing, leaves everything in place.
TEST_F(ViewModelBrowsingTest, NavigateToDepthOpensAnAncestorAtOnce)
{
    const int listings = engine->directoryRequests.size();
    runSync(vm.navigateToDepth(1));
    EXPECT_EQ(engine->directoryRequests.size(), listings + 1);
    EXPECT_EQ(engine->directoryRequests.last().parentID, dcim.id);
    EXPECT_EQ(vm.folderPath(), QList{dcim});
    EXPECT_EQ(vm.entries(), QList{camera});
    EXPECT_EQ(vm.statusMessage(), "Showing DCIM.");

    for (const qsizetype depth : {qsizetype(-1), qsizetype(1), qsizetype(5)})
        runSync(vm.navigateToDepth(depth));
    EXPECT_EQ(engine->directoryRequests.size(), listings + 1);

    engine->directoryError = TransferError::nativeError("PTP I/O Error");
    runSync(vm.navigateToDepth(0));
    EXPECT_EQ(vm.folderPath(), QList{dcim});
    EXPECT_EQ(vm.statusMessage(), "Could not open Internal shared storage. Still showing DCIM.");

    engine->directoryError.reset();
    runSync(vm.navigateToDepth(0));
    EXPECT_TRUE(vm.folderPath().isEmpty());
    EXPECT_FALSE(vm.currentParentID());
    EXPECT_EQ(vm.statusMessage(), "Showing Internal shared storage.");
}

// The storage's sizes are read again without touching the listing, the state or the
// status. A failure, an answer without the shown storage, and an answer that arrives after
// the phone went away change nothing.
TEST_F(ViewModelBrowsingTest, RefreshStorageSpaceUpdatesOnlyTheSizes)
{
    const QList<RemoteEntry> shown = vm.entries();
    const QString status = vm.statusMessage();
    AndroidStorage fuller = internal;
    fuller.freeBytes = 9'000'000'000;
    engine->storagesToReturn = {fuller, card};
    QSignalSpy stateChanges(&vm, &TarvelViewModel::stateChanged);
    runSync(vm.refreshStorageSpace());
    EXPECT_EQ(vm.selectedStorage(), fuller);
    EXPECT_EQ(vm.storages(), (QList{fuller, card}));
    EXPECT_EQ(vm.entries(), shown);
    EXPECT_EQ(vm.statusMessage(), status);
    EXPECT_EQ(stateChanges.size(), 0);

    engine->storageError = TransferError::disconnected();
    engine->storagesToReturn = {internal, card};
    runSync(vm.refreshStorageSpace());
    engine->storageError.reset();
    engine->storagesToReturn = {card};
    runSync(vm.refreshStorageSpace());
    EXPECT_EQ(vm.selectedStorage(), fuller);
    EXPECT_EQ(vm.statusMessage(), status);

    engine->storagesToReturn = {internal};
    Gate reading;
    engine->beforeStorageListing = reading.hook();
    auto refreshing = vm.refreshStorageSpace();
    ASSERT_TRUE(reading.waitEntered());
    engine->devicesToReturn = {};
    runSync(vm.refreshDevices());
    reading.open();
    runSync(std::move(refreshing));
    EXPECT_FALSE(vm.selectedStorage());
    EXPECT_TRUE(vm.storages().isEmpty());
}
