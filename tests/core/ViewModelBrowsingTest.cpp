#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvel;
using tarvel::test::runSync;

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

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
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
