#pragma once

// The view model over the fake engine with two phones and a small tree, shared by its tests.
#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;
using State = TarvelConnectionState;

namespace tarvel::test::vm {

const QString connectSentence =
    "Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press Refresh. "
    "If it still does not appear, try another cable or USB port.";
const QString unlockSentence = "Unlock the phone and allow file transfer access.";
const QString genericSentence = "The phone could not be accessed. Check the cable and try again.";
const QString permissionSentence =
    "This account may not use the phone's USB connection. Sign in at the computer itself, or add a udev rule "
    "for the phone, then plug it in again.";

const AndroidDevice pixel{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1};
const AndroidDevice galaxy{"mtp-1-3-04e8-6860", "Galaxy", 0x04e8, 0x6860};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};
const AndroidStorage card{"131073", "SD card", std::nullopt, std::nullopt};

inline RemoteEntry folder(QString id, QString name, std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::folder};
}
inline RemoteEntry file(QString id, QString name, std::optional<qint64> size = std::nullopt)
{
    return {.id = id, .name = name, .kind = RemoteEntryKind::file, .sizeBytes = size};
}

const RemoteEntry dcim = folder("10", "DCIM");
const RemoteEntry camera = folder("11", "Camera", "10");
const RemoteEntry raw = folder("12", "Raw", "11");
const RemoteEntry documents = folder("20", "Documents");
const RemoteEntry music = folder("30", "Music");
const RemoteEntry photo = file("40", "photo.jpg", 2'000'000);

inline QUrl local(const QString &name) { return QUrl::fromLocalFile("/home/user/" + name); }

class ViewModelTest : public ::testing::Test {
protected:
    ViewModelTest()
    {
        engine->devicesToReturn = {pixel, galaxy};
        engine->storagesToReturn = {internal, card};
        engine->entriesByParentID = {
            {"", {dcim, documents, music, photo}},
            {"10", {camera}},
            {"11", {raw, file("41", "IMG_1.jpg")}},
            {"12", {file("42", "IMG_1.dng")}},
            {"20", {file("43", "cv.pdf")}},
            {"30", {}},
        };
    }

    // What the window does at start: scan, then open the first storage's root.
    void connect()
    {
        runSync(vm.refreshDevices());
        runSync(vm.loadSelectedDeviceStorage());
    }

    void expectStatus(State state, const QString &message)
    {
        EXPECT_EQ(vm.state(), state);
        EXPECT_EQ(vm.statusMessage(), message);
    }

    // Opens DCIM and downloads photo.jpg, both held open at their gates.
    void holdAListingAndADownload()
    {
        engine->beforeDirectoryListing = listing.hook();
        engine->beforeDownload = transfer.hook();
        opening = vm.openFolder(dcim);
        downloading = vm.download("40", "photo.jpg", local("copy.jpg"));
        ASSERT_TRUE(listing.waitEntered());
        ASSERT_TRUE(transfer.waitEntered());
    }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
    Gate listing, transfer;
    QCoro::Task<> opening, downloading;
};


} // namespace tarvel::test::vm
