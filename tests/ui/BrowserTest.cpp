// The remote browser through its presenter: what rows say, sorting, selection, the header
// and Refresh that keeps the place.

#include "TarvelApp/ContentView.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ScriptedPhone.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using namespace tarvel;
using namespace tarvel::test::phone;
using tarvel::test::FakeDesktopServices;
using tarvel::test::Gate;
using tarvel::test::runSync;
using tarvel::test::file;
using tarvel::test::folder;
using Role = RemoteEntryListModel::Role;

namespace {

QDateTime at(int day, int hour = 12)
{
    return QDateTime(QDate(2024, 6, day), QTime(hour, 0), Qt::LocalTime);
}

RemoteEntry dated(RemoteEntry entry, std::optional<QDateTime> when)
{
    entry.modifiedAt = when;
    return entry;
}

class BrowserTest : public ::testing::Test {
protected:
    BrowserTest() { test::phone::script(*engine); }

    void connect() { runSync(view.refreshSequence()); }
    QVariant cell(int row, Role role) { return browser->entries()->data(browser->entries()->index(row), role); }
    QStringList shownNames()
    {
        QStringList names;
        for (int row = 0; row < browser->entries()->rowCount(); ++row)
            names << cell(row, RemoteEntryListModel::nameRole).toString();
        return names;
    }
    QStringList names(const QList<RemoteEntry> &entries)
    {
        QStringList result;
        for (const RemoteEntry &entry : entries)
            result << entry.name;
        return result;
    }
    int rowOf(const QString &name) { return int(shownNames().indexOf(name)); }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
    FakeDesktopServices desktop;
    ContentView view{&vm, &desktop};
    BrowserPresenter *browser = view.browser();
};

} // namespace

// A row says what kind of file it is, when it was last changed (in local time) and how
// large it is: an empty file is "0 bytes", a file without a size "File". Its button is
// named after it.
TEST_F(BrowserTest, RowsShowKindDateAndSize)
{
    engine->entriesByParentID[""] = {
        dated(folder("1", "DCIM"), at(11, 18)),
        dated(file("2", "IMG_20240611_181502.jpg", 4'812'331), at(11, 18)),
        file("3", "empty.txt", 0),
        file("4", "unknown", std::nullopt),
    };
    connect();
    browser->setSortIndex(int(RemoteEntryListModel::SortOrder::phoneOrder));
    EXPECT_EQ(cell(0, RemoteEntryListModel::infoTextRole), "Folder · 11 Jun 2024, 18:00");
    EXPECT_EQ(cell(0, RemoteEntryListModel::actionAccessibleNameRole), "Open DCIM");
    EXPECT_EQ(cell(1, RemoteEntryListModel::infoTextRole), "4.8 MB · 11 Jun 2024, 18:00");
    EXPECT_EQ(cell(1, RemoteEntryListModel::actionAccessibleNameRole), "Download IMG_20240611_181502.jpg");
    EXPECT_EQ(cell(1, RemoteEntryListModel::actionTitleRole), "Download");
    EXPECT_EQ(cell(2, RemoteEntryListModel::infoTextRole), "0 bytes");
    EXPECT_EQ(cell(2, RemoteEntryListModel::modifiedTextRole), "");
    EXPECT_EQ(cell(3, RemoteEntryListModel::detailTextRole), "File");

    const QList<std::pair<const char *, const char *>> kinds = {
        {"a.JPG", "photo"}, {"b.heic", "photo"}, {"c.mp4", "film"}, {"d.MKV", "film"}, {"e.mp3", "music.note"},
        {"f.opus", "music.note"}, {"g.pdf", "doc.text"}, {"h.txt", "doc.text"}, {"i.zip", "archivebox"},
        {"j.apk", "archivebox"}, {"k.bin", "doc"}, {"Makefile", "doc"}, {".jpg.part", "doc"},
    };
    for (const auto &[name, symbol] : kinds)
        EXPECT_EQ(RemoteEntryListModel::fileSymbol(name), symbol) << name;
}

// Name (the first order), date and size put folders first, either way round; names
// compare as people read them; what the phone did not say goes last. The view model
// keeps the engine's order throughout, and the current row and the selection stay on
// their entries.
TEST_F(BrowserTest, SortingKeepsFoldersFirstAndTheEnginesOrder)
{
    const QList<RemoteEntry> listed = {
        dated(file("1", "img_10.jpg", 300), at(3)),
        dated(folder("2", "Music"), at(1)),
        dated(file("3", "IMG_9.jpg", 200), std::nullopt),
        dated(file("4", "clip.mp4", std::nullopt), at(5)),
        dated(folder("5", "alarms"), at(2)),
        dated(file("6", "a.txt", 200), at(4)),
    };
    engine->entriesByParentID[""] = listed;
    connect();
    EXPECT_EQ(browser->sortTitles(), (QStringList{"Name", "Date", "Size", "Phone order"}));
    EXPECT_EQ(shownNames(), (QStringList{"alarms", "Music", "a.txt", "clip.mp4", "IMG_9.jpg", "img_10.jpg"}));
    EXPECT_EQ(browser->sortText(), "Name, A to Z");
    browser->clickRow(rowOf("IMG_9.jpg"), Qt::NoModifier);
    browser->entries()->setCurrentRow(rowOf("clip.mp4"));

    browser->setSortIndex(1);
    EXPECT_EQ(shownNames(), (QStringList{"alarms", "Music", "clip.mp4", "a.txt", "img_10.jpg", "IMG_9.jpg"}));
    EXPECT_EQ(browser->sortIndex(), 1);
    browser->reverseSort();
    EXPECT_EQ(browser->sortText(), "Date, oldest first");
    EXPECT_EQ(shownNames(), (QStringList{"Music", "alarms", "img_10.jpg", "a.txt", "clip.mp4", "IMG_9.jpg"}));
    browser->setSortIndex(2);
    EXPECT_EQ(browser->sortText(), "Size, largest first");
    EXPECT_EQ(shownNames(), (QStringList{"alarms", "Music", "img_10.jpg", "a.txt", "IMG_9.jpg", "clip.mp4"}));
    browser->reverseSort();
    EXPECT_EQ(shownNames(), (QStringList{"alarms", "Music", "a.txt", "IMG_9.jpg", "img_10.jpg", "clip.mp4"}));
    EXPECT_EQ(browser->entries()->currentRow(), rowOf("clip.mp4"));
    EXPECT_TRUE(browser->entries()->isSelected(rowOf("IMG_9.jpg")));
    EXPECT_EQ(names(browser->selectedEntries()), QStringList{"IMG_9.jpg"});
    EXPECT_EQ(vm.entries(), listed);

    // The sort holds for the next folder, and phone order is the engine's again.
    runSync(vm.openFolder(dcim));
    EXPECT_EQ(browser->sortIndex(), 2);
    browser->setSortIndex(3);
    runSync(vm.navigateUp());
    EXPECT_EQ(shownNames(), names(listed));
    browser->setSortIndex(7);
    EXPECT_EQ(browser->sortIndex(), 3);
}

// Typed letters move to the next name that starts with them, more letters narrow the
// match, the same letter again moves on to its next match, and a pause starts afresh.
TEST_F(BrowserTest, TypedLettersFindTheNextName)
{
    engine->entriesByParentID[""] = {folder("1", "Camera"), file("2", "cats.jpg"), file("3", "IMG_100.jpg"),
                                     file("4", "IMG_105.jpg"), file("5", "img_2.jpg")};
    connect();
    const auto typed = [&](const QString &letters) {
        for (const QChar letter : letters)
            EXPECT_TRUE(browser->pressBrowserKey(0, Qt::NoModifier, QString(letter), 10));
        return shownNames().value(browser->entries()->currentRow());
    };
    EXPECT_EQ(typed("c"), "cats.jpg");
    EXPECT_EQ(typed("c"), "Camera");
    EXPECT_EQ(typed("c"), "cats.jpg");
    QTest::qWait(1100);
    EXPECT_EQ(typed("img_1"), "IMG_100.jpg");
    EXPECT_EQ(typed("05"), "IMG_105.jpg");
    EXPECT_EQ(typed("x"), "IMG_105.jpg");
    EXPECT_FALSE(browser->pressBrowserKey(Qt::Key_X, Qt::ControlModifier, QStringLiteral("\x18"), 10));
}

// The count says how many rows are selected and how large the files among them are
// (folders are not sized); the selection is handed over in the engine's order whatever
// the sort, the Download action only while rows can be acted on, and a new listing of
// the folder keeps what is still listed, with one signal when something left it.
TEST_F(BrowserTest, SelectionIsCountedHandedOverAndCleared)
{
    engine->entriesByParentID[""] = {file("1", "b.jpg", 1'500'000), folder("2", "DCIM"), file("3", "a.jpg", 4'000'000),
                                     file("4", "c.jpg", std::nullopt)};
    connect();
    QSignalSpy changes(browser, &BrowserPresenter::selectionChanged);
    EXPECT_EQ(browser->selectionText(), "");
    EXPECT_FALSE(browser->downloadSelectionEnabled());
    browser->clickRow(rowOf("DCIM"), Qt::ControlModifier);
    browser->clickRow(rowOf("c.jpg"), Qt::ControlModifier);
    EXPECT_EQ(browser->selectionText(), "2 items selected");
    browser->setSortIndex(1);
    browser->entries()->selectAll();
    EXPECT_EQ(browser->selectionText(), "4 items selected · 5.5 MB");
    EXPECT_EQ(names(browser->selectedEntries()), (QStringList{"b.jpg", "DCIM", "a.jpg", "c.jpg"}));
    EXPECT_TRUE(browser->downloadSelectionEnabled());

    Gate listing;
    engine->beforeDirectoryListing = listing.hook();
    auto reloading = vm.loadCurrentDirectory();
    ASSERT_TRUE(listing.waitEntered());
    EXPECT_TRUE(browser->hasSelection());
    EXPECT_FALSE(browser->downloadSelectionEnabled());
    const qsizetype before = changes.size();
    engine->entriesByParentID[""].removeAt(2);
    listing.open();
    runSync(std::move(reloading));
    EXPECT_EQ(names(browser->selectedEntries()), (QStringList{"b.jpg", "DCIM", "c.jpg"}));
    EXPECT_EQ(changes.size(), before + 1);
}

// The header counts the items and gives the free space when the storage tells it; the
// title names the folder and the phone. Going up lands on the folder left, opening one
// starts at its first row.
TEST_F(BrowserTest, HeaderCountTitleAndTheRowAfterNavigation)
{
    EXPECT_EQ(view.windowTitle(), "Tarvel");
    EXPECT_EQ(browser->locationDetailText(), "No phone connected");
    connect();
    EXPECT_EQ(view.windowTitle(), "Internal shared storage – Pixel 8 – Tarvel");
    EXPECT_EQ(browser->locationDetailText(), "4 items · 10 GB available of 64 GB");
    runSync(vm.openFolder(dcim));
    EXPECT_EQ(browser->itemCountText(), "1 item");
    runSync(vm.navigateUp());

    runSync(vm.openFolder(music));
    runSync(vm.navigateUp());
    EXPECT_EQ(browser->entries()->currentRow(), 1);
    QList<RemoteEntry> many;
    for (int i = 0; i < 3000; ++i)
        many.append(file(QString::number(100 + i), QStringLiteral("IMG_%1.jpg").arg(i), 1000));
    engine->entriesByParentID["30"] = many;
    runSync(vm.openFolder(music));
    EXPECT_EQ(browser->entries()->currentRow(), 0);
    EXPECT_EQ(browser->itemCountText(), "3,000 items");

    engine->storagesToReturn = {{.id = "65537", .name = "Phone"}};
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_EQ(browser->locationDetailText(), "4 items");
}

// Refresh goes back down the path it showed, as far as the folders still exist, each
// found again by id or, in a new session, by name; another storage starts at its root.
TEST_F(BrowserTest, RefreshReturnsToTheFolderItShowed)
{
    engine->entriesByParentID["11"] = {folder("12", "Raw", "11")};
    engine->entriesByParentID["12"] = {file("13", "IMG_1.dng", 100, "12")};
    connect();
    for (const RemoteEntry &next : {dcim, camera, folder("12", "Raw", "11")})
        runSync(vm.openFolder(next));

    runSync(view.status()->refreshKeepingPlace());
    EXPECT_EQ(names(vm.folderPath()), (QStringList{"DCIM", "Camera", "Raw"}));
    EXPECT_EQ(vm.statusMessage(), "Showing Raw.");

    // The phone numbered its objects anew: names lead the way back.
    engine->entriesByParentID[""] = {folder("210", "DCIM"), music};
    engine->entriesByParentID["210"] = {folder("211", "Camera", "210")};
    engine->entriesByParentID["211"] = {};
    runSync(view.status()->refreshKeepingPlace());
    EXPECT_EQ(names(vm.folderPath()), (QStringList{"DCIM", "Camera"}));
    EXPECT_EQ(vm.currentParentID(), "211");
    EXPECT_EQ(vm.statusMessage(), "Showing Camera.");

    engine->entriesByParentID["210"] = {};
    runSync(view.status()->refreshKeepingPlace());
    EXPECT_EQ(names(vm.folderPath()), QStringList{"DCIM"});

    engine->storagesToReturn = {{.id = "131073", .name = "SD card"}};
    runSync(view.status()->refreshKeepingPlace());
    EXPECT_TRUE(vm.folderPath().isEmpty());
    EXPECT_EQ(vm.selectedStorage()->name, "SD card");
}

// After a transfer the header shows the storage's free space as the phone now reports it.
TEST_F(BrowserTest, FreeSpaceIsReadAgainAfterATransfer)
{
    connect();
    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/tmp/photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    engine->storagesToReturn = {{.id = internal.id, .name = internal.name, .capacityBytes = 64'000'000'000,
                                 .freeBytes = 7'500'000'000}};
    transfer.open();
    runSync(std::move(downloading));
    ASSERT_TRUE(test::spinUntil([&] { return browser->locationDetailText() == "4 items · 7.5 GB available of 64 GB"; }));
    EXPECT_EQ(vm.statusMessage(), "Downloaded photo.jpg.");
}
