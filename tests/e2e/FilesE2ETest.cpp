// Runs inside the emulator guest (see run-e2e.sh, mode "files"): tidying the phone
// through the view model over the real engine, and the folder shown following what
// changes on the phone. QEMU's phone has no rename, so rename is proven against the
// scripted libmtp only.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/e2e/Guest.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace tarvel;
using namespace tarvel::test::guest;
using tarvel::test::runSync;
using tarvel::test::spinUntil;
using namespace std::chrono_literals;

namespace {

constexpr auto slow = 300s; // listings and deletes under software emulation


} // namespace

// A new folder lands on the host, a folder tree goes whole with a delete (what it holds
// first), and files the phone gets by other means show in the folder shown without a
// Refresh.
TEST(PhoneFiles, NewFolderDeleteATreeAndAFileAddedOnThePhone)
{
    ASSERT_FALSE(phoneDir().isEmpty()) << "run through run-e2e.sh";
    auto engine = std::make_shared<MTPAndroidFileTransferEngine>();
    auto owned = std::make_unique<TarvelViewModel>(engine);
    TarvelViewModel &vm = *owned;
    runSync(vm.refreshDevices());
    ASSERT_TRUE(vm.selectedDevice());
    runSync(vm.loadSelectedDeviceStorage(), slow);
    ASSERT_EQ(vm.state(), TarvelConnectionState::ready) << vm.statusMessage().toStdString();

    runSync(vm.createFolder(QStringLiteral("Trips")), slow);
    EXPECT_TRUE(QFileInfo(phoneDir() + QStringLiteral("/Trips")).isDir()) << vm.statusMessage().toStdString();
    EXPECT_TRUE(named(vm.entries(), QStringLiteral("Trips")));
    // A taken name is refused before anything is sent.
    runSync(vm.createFolder(QStringLiteral("Trips")), slow);
    EXPECT_TRUE(QFileInfo(phoneDir() + QStringLiteral("/Trips")).isDir());

    const auto tree = named(vm.entries(), QStringLiteral("Tree"));
    ASSERT_TRUE(tree);
    runSync(vm.deleteEntries({*tree}), slow);
    EXPECT_FALSE(QFileInfo::exists(phoneDir() + QStringLiteral("/Tree"))) << vm.statusMessage().toStdString();
    EXPECT_FALSE(named(vm.entries(), QStringLiteral("Tree")));
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready);

    // QEMU tells of files its folder gets on the host, as a phone tells of a photo taken.
    const auto camera = named(vm.entries(), QStringLiteral("Camera"));
    ASSERT_TRUE(camera);
    runSync(vm.openFolder(*camera), slow);
    vm.followPhoneEvents();
    for (int i = 0; i < 20; ++i) {
        QFile photo(phoneDir() + QStringLiteral("/Camera/IMG_%1.jpg").arg(100 + i));
        ASSERT_TRUE(photo.open(QIODevice::WriteOnly));
        photo.write(QByteArray(1000 + i, 'x'));
    }
    EXPECT_TRUE(spinUntil([&] { return vm.entries().size() == 21; }, 120s)) << vm.entries().size();
    EXPECT_EQ(vm.statusMessage(), QStringLiteral("Showing Camera."));

    // As the app quits: the phone is let go on the lane, after the wait for its events, not
    // by the process's exit while libmtp still listens on the lane.
    owned.reset();
    EXPECT_TRUE(MTPAndroidFileTransferEngine::closeDevice(10000));
}
