// New folder, rename and delete through the view model, and the folder shown following
// what the phone says changed on it.

#include "TarvelCore/FileActions.h"
#include "TarvelCore/LiveFolder.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QTest>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;
using tarvel::test::spinUntil;
using State = TarvelConnectionState;

namespace {

const AndroidDevice pixel{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};

RemoteEntry folder(QString id, QString name)
{
    return {.id = id, .name = name, .kind = RemoteEntryKind::folder};
}
RemoteEntry file(QString id, QString name, std::optional<qint64> size = std::nullopt)
{
    return {.id = id, .name = name, .kind = RemoteEntryKind::file, .sizeBytes = size};
}

const RemoteEntry dcim = folder("10", "DCIM");
const RemoteEntry camera = folder("11", "Camera");
const RemoteEntry notes = file("20", "notes.txt", 5);

// Deletes as the phone does, refusing the ids in `refused` with the phone's own text.
class PhoneEngine : public FakeAndroidFileTransferEngine {
public:
    QCoro::Task<QList<std::exception_ptr>> deleteObjects(QList<ObjectRequest> requests,
                                                         std::shared_ptr<TransferControl> control) override
    {
        if (refused.contains(requests.value(0).objectID)) {
            deleteRequests.append(requests.first());
            co_return QList<std::exception_ptr>{std::make_exception_ptr(TransferError(*refusal))};
        }
        co_return co_await FakeAndroidFileTransferEngine::deleteObjects(std::move(requests), std::move(control));
    }

    QSet<QString> refused;
    std::optional<TransferError> refusal = TransferError::deviceRefused("Store Read Only");
};

class FileActionsTest : public ::testing::Test {
protected:
    FileActionsTest()
    {
        engine->devicesToReturn = {pixel};
        engine->storagesToReturn = {internal};
        engine->entriesByParentID = {
            {"", {dcim, notes}},
            {"10", {camera, file("12", "IMG_1.jpg", 100)}},
            {"11", {file("13", "IMG_2.jpg", 200), file("14", "IMG_3.jpg", 300)}},
        };
        runSync(vm.refreshDevices());
        runSync(vm.loadSelectedDeviceStorage());
    }

    QStringList deletedIDs() const
    {
        QStringList ids;
        for (const ObjectRequest &request : engine->deleteRequests)
            ids << request.objectID;
        return ids;
    }

    std::shared_ptr<PhoneEngine> engine = std::make_shared<PhoneEngine>();
    TarvelViewModel vm{engine};
};

} // namespace

// A name the phone would refuse, or answer with a bare error, is refused with a sentence
// before anything is sent; a rename may change only the case of its own name.
TEST_F(FileActionsTest, NamesAreCheckedBeforeAnythingIsSent)
{
    const QList<std::pair<QString, QString>> refused = {
        {"", "Type a name."},
        {"   ", "Type a name."},
        {"a/b", "A name cannot contain \"/\"."},
        {QString("a") + QChar(0) + "b", "A name cannot contain a null character."},
        {".", "\".\" and \"..\" cannot be used as names."},
        {"..", "\".\" and \"..\" cannot be used as names."},
        {QString(256, 'x'), "The name is too long for the phone."},
        {"dcim", "There is already a folder named DCIM here."},
        {"NOTES.TXT", "There is already a file named notes.txt here."},
    };
    for (const auto &[name, sentence] : refused) {
        runSync(vm.createFolder(name));
        EXPECT_EQ(vm.statusMessage(), sentence) << name.toStdString();
        EXPECT_TRUE(vm.statusIsWarning());
    }
    runSync(vm.renameEntry(notes, "DCIM"));
    EXPECT_EQ(vm.statusMessage(), "There is already a folder named DCIM here.");
    EXPECT_TRUE(engine->folderRequests.isEmpty());
    EXPECT_TRUE(engine->renameRequests.isEmpty());

    EXPECT_EQ(nameProblem("Notes.txt", vm.entries(), notes.id), std::nullopt);
    runSync(vm.renameEntry(notes, "Notes.txt"));
    ASSERT_EQ(engine->renameRequests.size(), 1);
    EXPECT_EQ(engine->renameRequests[0].object, (ObjectRequest{pixel.id, internal.id, "20", "notes.txt", 5}));
    EXPECT_EQ(vm.statusMessage(), "Renamed notes.txt to Notes.txt.");
    EXPECT_EQ(vm.entries()[1].name, "Notes.txt");
    // A phone that cannot rename says so in libmtp's words, which are not shown.
    engine->renameError = TransferError::deviceRefused("set_object_filename(): could not get property description.");
    runSync(vm.renameEntry(vm.entries()[1], "notes.txt"));
    EXPECT_EQ(vm.statusMessage(), "The phone refused to rename Notes.txt: some phones do not let their files be renamed over USB.");
    engine->renameError.reset();

    runSync(vm.createFolder("Holiday"));
    EXPECT_EQ(engine->folderRequests.last(), (FolderRequest{pixel.id, internal.id, std::nullopt, "Holiday"}));
    EXPECT_EQ(vm.statusMessage(), "Created the folder Holiday.");
    EXPECT_EQ(vm.state(), State::ready);
    EXPECT_EQ(vm.entries().size(), 3);
}

// A folder goes only after all it holds, each object still the one listed; the count and
// size are known before the user is asked. A change waits for a transfer to end, and what
// the phone refuses is said after the folder is read again.
TEST_F(FileActionsTest, DeletesWhatFoldersHoldFirst)
{
    const std::optional<DeletionPlan> plan = runSync(vm.planDeletion({dcim, notes}));
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->fileCount, 4);
    EXPECT_EQ(plan->folderCount, 2);
    EXPECT_EQ(plan->bytes, 605);
    EXPECT_TRUE(engine->deleteRequests.isEmpty());

    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(notes.id, notes.name, QUrl::fromLocalFile("/tmp/notes.txt"));
    ASSERT_TRUE(transfer.waitEntered());
    runSync(vm.deletePlanned(*plan));
    runSync(vm.createFolder("Later"));
    EXPECT_TRUE(engine->deleteRequests.isEmpty());
    EXPECT_TRUE(engine->folderRequests.isEmpty());
    transfer.open();
    runSync(std::move(downloading));

    const int listings = engine->directoryRequests.size();
    runSync(vm.deletePlanned(*plan));
    EXPECT_EQ(deletedIDs(), (QStringList{"13", "14", "11", "12", "10", "20"}));
    EXPECT_EQ(engine->deleteRequests[0], (ObjectRequest{pixel.id, internal.id, "13", "IMG_2.jpg", 200}));
    EXPECT_EQ(engine->deleteRequests[2], (ObjectRequest{pixel.id, internal.id, "11", "Camera", std::nullopt}));
    EXPECT_EQ(engine->directoryRequests.size(), listings + 1);
    EXPECT_TRUE(vm.entries().isEmpty());
    EXPECT_EQ(vm.statusMessage(), "Deleted 2 items.");
    EXPECT_FALSE(vm.changingFiles());

    engine->createFolderError = TransferError::deviceRefused("Store Read Only");
    runSync(vm.createFolder("Holiday"));
    EXPECT_EQ(vm.statusMessage(), "Could not create the folder Holiday. The phone refused the request (Store Read Only). "
                                  "Unlock the phone and try again.");
    EXPECT_TRUE(vm.statusIsWarning());
    EXPECT_EQ(engine->directoryRequests.size(), listings + 2);
}

// A file that cannot be deleted keeps every folder above it, and the sentence names the
// chosen items still there and why; the phone pulled out stops the rest.
TEST_F(FileActionsTest, APartialDeleteSaysWhatIsStillThere)
{
    engine->refused = {"13"};
    runSync(vm.deleteEntries({dcim, notes}));
    EXPECT_EQ(deletedIDs(), (QStringList{"13", "14", "12", "20"}));
    EXPECT_EQ(vm.statusMessage(),
              "Deleted 1 of 2 items; DCIM is still on the phone. The phone refused the request (Store Read Only). "
              "Unlock the phone and try again.");
    EXPECT_TRUE(vm.statusIsWarning());
    EXPECT_EQ(vm.entries(), QList{dcim});

    engine->refused = {"13"};
    engine->refusal = TransferError::disconnected();
    engine->entriesByParentID["10"] = {camera};
    engine->deleteRequests.clear();
    runSync(vm.deleteEntries({dcim}));
    EXPECT_EQ(deletedIDs(), QStringList{"13"});
    EXPECT_EQ(vm.state(), State::deviceUnavailable);
    EXPECT_EQ(vm.statusMessage(),
              "Could not delete DCIM. The phone was disconnected. Connect it again, unlock it, then press Refresh.");
}

// The phone's events reach the folder shown: a storm of them ends in one listing, events
// about objects the window never saw are ignored, nothing is asked while a transfer runs,
// and the folder shown deleted on the phone takes the window up.
TEST_F(FileActionsTest, TheFolderShownFollowsThePhone)
{
    int asked = 0;
    engine->beforeEvents = [&asked]() -> QCoro::Task<> {
        ++asked;
        co_return;
    };
    vm.followPhoneEvents();
    ASSERT_TRUE(spinUntil([&] { return asked > 0; }));
    int listings = engine->directoryRequests.size();
    engine->entriesByParentID[""] = {dcim, notes, file("30", "IMG_4.jpg", 10)};
    for (int i = 0; i < 1000; ++i)
        engine->pendingEvents.append({PhoneEvent::Kind::objectAdded, QString::number(30 + i)});
    ASSERT_TRUE(spinUntil([&] { return vm.entries().size() == 3; }));
    QTest::qWait(LiveFolder::quietMs * 3);
    EXPECT_EQ(engine->directoryRequests.size(), listings + 1);
    EXPECT_EQ(vm.statusMessage(), "Showing Internal shared storage.");

    engine->pendingEvents = {{PhoneEvent::Kind::objectRemoved, "999"}, {PhoneEvent::Kind::objectAdded, "20"}};
    QTest::qWait(LiveFolder::waitMs * 2);
    EXPECT_TRUE(engine->pendingEvents.isEmpty());
    EXPECT_EQ(engine->directoryRequests.size(), listings + 1);

    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(notes.id, notes.name, QUrl::fromLocalFile("/tmp/notes.txt"));
    ASSERT_TRUE(transfer.waitEntered());
    QTest::qWait(LiveFolder::waitMs * 2);
    const int askedDuringTransfer = asked;
    engine->pendingEvents = {{PhoneEvent::Kind::objectRemoved, "30"}};
    QTest::qWait(LiveFolder::waitMs * 2);
    EXPECT_EQ(asked, askedDuringTransfer);
    transfer.open();
    runSync(std::move(downloading));
    listings = engine->directoryRequests.size();
    engine->entriesByParentID[""] = {dcim, notes};
    ASSERT_TRUE(spinUntil([&] { return vm.entries().size() == 2; }));
    EXPECT_EQ(engine->directoryRequests.size(), listings + 1);

    runSync(vm.openFolder(dcim));
    runSync(vm.openFolder(camera));
    engine->pendingEvents = {{PhoneEvent::Kind::objectRemoved, camera.id}};
    engine->entriesByParentID["10"] = {file("12", "IMG_1.jpg", 100)};
    ASSERT_TRUE(spinUntil([&] { return vm.folderPath() == QList{dcim}; }));
    EXPECT_EQ(vm.statusMessage(), "Camera was deleted on the phone. Showing DCIM.");
}
