// The remote browser in the real window, offscreen, driven with key and mouse events as a
// person drives it: the keyboard alone, selection, the breadcrumb, and what a screen
// reader is told.

#include "tests/ui/AppWindowFixture.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace tarvel;
using namespace tarvel::test::phone;
using tarvel::test::FakeDesktopServices;
using tarvel::test::spinUntil;
using tarvel::test::Gate;
using State = TarvelConnectionState;

namespace {

class BrowserWindowTest : public test::AppWindowTest {
protected:
    BrowserWindowTest()
    {
        test::phone::script(*engine);
        start();
    }

    void type(char letter)
    {
        QTest::keyClick(window(), letter);
        test::settle();
    }

    // The name of the control with the keyboard's focus; a row counts as its list.
    QString focused() const
    {
        for (QQuickItem *at = window()->activeFocusItem(); at; at = at->parentItem()) {
            if (at->objectName() == QLatin1String("remoteList") || (!at->objectName().isEmpty() && at->objectName() != QLatin1String("entryRow")))
                return at->objectName();
        }
        return {};
    }
    QString currentName() const
    {
        for (QQuickItem *candidate : rows()) {
            if (candidate->property("keyboardCurrent").toBool())
                return candidate->property("name").toString();
        }
        return {};
    }
    bool waitForTitle(const QString &title) { return spinUntil([&] { return text("locationTitle") == title; }); }
    QStringList selectedRows() const
    {
        QStringList names;
        for (QQuickItem *candidate : rows()) {
            if (candidate->property("selected").toBool())
                names << candidate->property("name").toString();
        }
        return names;
    }
};

// Tab goes into the list once and out again, past every control in order, each showing a
// ring while it has the focus: the donation's Ko-fi button too.
TEST_F(BrowserWindowTest, TabVisitsEachControlOnceWithAVisibleRing)
{
    open();
    EXPECT_EQ(focused(), "remoteList");
    EXPECT_EQ(currentName(), "DCIM");
    QStringList order;
    for (int i = 0; i < 10; ++i) {
        press(Qt::Key_Tab);
        order << focused();
        QList<QQuickItem *> rings;
        collect(window()->activeFocusItem(), "focusRing", rings);
        if (focused() != "remoteList") {
            EXPECT_EQ(rings.size(), 1) << focused().toStdString();
        }
    }
    EXPECT_EQ(order, (QStringList{"importButton", "uploadButton", "uploadFolderButton", "pasteButton", "supportToggle",
                                  "refreshButton", "sortChooser", "reverseSortButton", "viewToggle", "remoteList"}));

    // The donation section opens from the keyboard and its buttons join the order.
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(focused(), "supportToggle");
    press(Qt::Key_Space);
    for (const char *next : {"copyAddressButton", "koFiButton", "walletButton"}) {
        press(Qt::Key_Tab);
        EXPECT_EQ(focused(), next);
        QList<QQuickItem *> rings;
        collect(window()->activeFocusItem(), "focusRing", rings);
        EXPECT_EQ(rings.size(), 1) << next;
    }
}

// Every key of the listing: moving, paging, jumping by the first letters, opening with
// Enter (a folder opens, a file asks where to save it), going up with Backspace and
// Alt+Up onto the folder left, back with Alt+Left, and refreshing with F5 and Ctrl+R.
TEST_F(BrowserWindowTest, KeyboardAloneBrowses)
{
    QList<RemoteEntry> many;
    for (int i = 0; i < 200; ++i)
        many.append(test::file(QString::number(1000 + i), QStringLiteral("IMG_%1.jpg").arg(i, 3, 10, QLatin1Char('0')), 1000));
    engine->entriesByParentID["30"] = many;
    open();
    press(Qt::Key_Down);
    EXPECT_EQ(currentName(), "Music");
    press(Qt::Key_End);
    EXPECT_EQ(currentName(), "photo.jpg");
    press(Qt::Key_Home);
    EXPECT_EQ(currentName(), "DCIM");
    press(Qt::Key_PageDown);
    EXPECT_EQ(currentName(), "photo.jpg");
    press(Qt::Key_PageUp);
    EXPECT_EQ(currentName(), "DCIM");

    type('p');
    EXPECT_EQ(currentName(), "photo.jpg");
    press(Qt::Key_Return);
    ASSERT_EQ(desktop->savePanels.size(), 1);
    EXPECT_EQ(desktop->savePanels[0].proposedName, "photo.jpg");
    QTest::qWait(1100); // a pause starts a new name
    type('m');
    EXPECT_EQ(currentName(), "Music");

    // Into a long folder: its first row is current, and End brings the last into view.
    press(Qt::Key_Enter);
    ASSERT_TRUE(waitForTitle("Music"));
    EXPECT_EQ(currentName(), "IMG_000.jpg");
    press(Qt::Key_End);
    QQuickItem *list = item("remoteList");
    QQuickItem *last = row("IMG_199.jpg");
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->property("keyboardCurrent").toBool());
    const QRectF shown(list->mapToScene({0, 0}), list->size());
    EXPECT_TRUE(shown.contains(last->mapToScene({last->width() / 2, last->height() / 2})));
    press(Qt::Key_PageUp);
    EXPECT_LT(currentName(), "IMG_199.jpg");
    EXPECT_GT(currentName(), "IMG_150.jpg");

    press(Qt::Key_Backspace);
    ASSERT_TRUE(waitForTitle("Internal shared storage"));
    EXPECT_EQ(currentName(), "Music");
    press(Qt::Key_Home);
    press(Qt::Key_Return);
    ASSERT_TRUE(waitForTitle("DCIM"));
    press(Qt::Key_Up, Qt::AltModifier);
    ASSERT_TRUE(waitForTitle("Internal shared storage"));
    EXPECT_EQ(currentName(), "DCIM");
    // Alt+Left goes back to the folder shown before, as a browser's Back does.
    press(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(waitForTitle("DCIM"));
    press(Qt::Key_Up, Qt::AltModifier);
    ASSERT_TRUE(waitForTitle("Internal shared storage"));

    const int listings = engine->directoryRequests.size();
    press(Qt::Key_F5);
    ASSERT_TRUE(spinUntil([&] { return engine->directoryRequests.size() == listings + 1 && vm()->state() == State::ready; }));
    press(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(spinUntil([&] { return engine->directoryRequests.size() == listings + 2 && vm()->state() == State::ready; }));
    EXPECT_EQ(focused(), "remoteList");
}

// Mouse and keyboard select as in a file manager; the bar under the list counts what is
// selected, and opening a folder clears the selection.
TEST_F(BrowserWindowTest, MouseAndKeysSelect)
{
    open();
    click(row("photo.jpg"));
    EXPECT_EQ(selectedRows(), QStringList{"photo.jpg"});
    EXPECT_EQ(text("selectionText"), "1 item selected · 2 MB");
    EXPECT_TRUE(item("downloadSelectionButton")->isEnabled());

    const QPoint dcimCentre = row("DCIM")->mapToScene({row("DCIM")->width() / 2, row("DCIM")->height() / 2}).toPoint();
    QTest::mouseClick(window(), Qt::LeftButton, Qt::ControlModifier, dcimCentre);
    EXPECT_EQ(selectedRows(), (QStringList{"DCIM", "photo.jpg"}));
    EXPECT_EQ(text("locationTitle"), "Internal shared storage");
    const QPoint photoCentre = row("photo.jpg")->mapToScene({row("photo.jpg")->width() / 2, 10}).toPoint();
    QTest::mouseClick(window(), Qt::LeftButton, Qt::ShiftModifier, photoCentre);
    EXPECT_EQ(selectedRows(), (QStringList{"DCIM", "Music", "notes.txt", "photo.jpg"}));
    EXPECT_EQ(text("selectionText"), "4 items selected · 2 MB");

    // The check mark shows on hover and toggles its row alone.
    QQuickItem *music = row("Music");
    QTest::mouseMove(window(), music->mapToScene({music->width() / 2, music->height() / 2}).toPoint());
    QList<QQuickItem *> checks;
    ASSERT_TRUE(spinUntil([&] {
        checks.clear();
        collect(music, "entryCheck", checks);
        return !checks.isEmpty();
    }));
    click(checks.first());
    EXPECT_EQ(selectedRows(), (QStringList{"DCIM", "notes.txt", "photo.jpg"}));

    // Keys: Ctrl+arrows move without selecting, Space toggles the current row,
    // Shift+arrows extend, plain arrows select as they move, Ctrl+A takes all.
    item("remoteList")->forceActiveFocus();
    press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), (QStringList{"DCIM", "notes.txt", "photo.jpg"}));
    press(Qt::Key_Space);
    EXPECT_EQ(selectedRows(), (QStringList{"notes.txt", "photo.jpg"}));
    press(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (QStringList{"DCIM", "Music"}));
    press(Qt::Key_Down);
    EXPECT_EQ(selectedRows(), QStringList{"notes.txt"});
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectedRows().size(), 4);
    EXPECT_EQ(text("selectionText"), "4 items selected · 2 MB");

    doubleClick(row("DCIM"));
    ASSERT_TRUE(waitForTitle("DCIM"));
    EXPECT_TRUE(selectedRows().isEmpty());
    EXPECT_EQ(text("selectionText"), "");
    EXPECT_FALSE(item("downloadSelectionButton")->isEnabled());
}

// The header: each breadcrumb opens its folder at once, the title names folder and
// phone, and the window carries the application's icon.
TEST_F(BrowserWindowTest, BreadcrumbOpensItsFolderAndTheTitleFollows)
{
    open();
    EXPECT_EQ(window()->title(), "Internal shared storage – Pixel 8 – Tarvel");
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
    EXPECT_EQ(QGuiApplication::desktopFileName(), "io.github.orvath.Tarvel");
    doubleClick(row("DCIM"));
    ASSERT_TRUE(waitForTitle("DCIM"));
    doubleClick(row("Camera"));
    ASSERT_TRUE(waitForTitle("Camera"));
    EXPECT_EQ(window()->title(), "Camera – Pixel 8 – Tarvel");
    QList<QQuickItem *> crumbs;
    collect(item("remoteBrowser"), "breadcrumbButton", crumbs);
    ASSERT_EQ(crumbs.size(), 2);
    EXPECT_EQ(crumbs[0]->property("text"), "Internal shared storage");
    EXPECT_EQ(crumbs[1]->property("text"), "DCIM");

    const int listings = engine->directoryRequests.size();
    click(crumbs[0]);
    ASSERT_TRUE(waitForTitle("Internal shared storage"));
    EXPECT_EQ(engine->directoryRequests.size(), listings + 1);
    EXPECT_EQ(currentName(), "DCIM");
    crumbs.clear();
    collect(item("remoteBrowser"), "breadcrumbButton", crumbs);
    EXPECT_TRUE(crumbs.isEmpty());

    // Sorting from the header's menu, with the keyboard.
    item("sortChooser")->forceActiveFocus(Qt::TabFocusReason);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(view()->browser()->sortIndex(), 2);
    EXPECT_EQ(item("sortChooser")->property("displayText"), "Size, largest first");
    EXPECT_TRUE(spinUntil([&] {
        QStringList names;
        for (QQuickItem *shown : rows())
            names << shown->property("name").toString();
        return names == QStringList{"DCIM", "Music", "photo.jpg", "notes.txt"};
    }));
}

// Tidying from the keyboard alone: each key reaches its question (no other shortcut of
// the window takes it), a taken name is refused before anything is sent, a delete asks
// first, the filter narrows the count and Escape clears it, and after each the list has
// the keyboard again.
TEST_F(BrowserWindowTest, TidyingByKeys)
{
    open();
    const auto opened = [&](const char *name) {
        QObject *popup = window()->findChild<QObject *>(name);
        return popup && popup->property("opened").toBool();
    };
    const auto shownNames = [&] {
        QStringList names;
        for (QQuickItem *shown : rows())
            names << shown->property("name").toString();
        return names;
    };
    const auto typeText = [&](const char *letters) {
        for (const char *letter = letters; *letter; ++letter)
            QTest::keyClick(window(), *letter);
        test::settle();
    };

    press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(spinUntil([&] { return opened("nameQuestion"); }));
    EXPECT_EQ(text("nameField"), "New folder");
    typeText("Music");
    EXPECT_EQ(text("nameProblem"), "There is already a folder named Music here.");
    EXPECT_FALSE(item("nameConfirmButton")->isEnabled());
    press(Qt::Key_Return);
    EXPECT_TRUE(engine->folderRequests.isEmpty());
    press(Qt::Key_A, Qt::ControlModifier);
    typeText("Trips");
    press(Qt::Key_Return);
    ASSERT_TRUE(spinUntil([&] { return shownNames().contains("Trips") && selectedRows() == QStringList{"Trips"}; }))
        << selectedRows().join(",").toStdString();
    EXPECT_EQ(engine->folderRequests.size(), 1);
    EXPECT_EQ(focused(), "remoteList");

    press(Qt::Key_F2);
    ASSERT_TRUE(spinUntil([&] { return opened("nameQuestion"); }));
    EXPECT_EQ(text("nameField"), "Trips");
    typeText("Holiday");
    press(Qt::Key_Return);
    ASSERT_TRUE(spinUntil([&] { return shownNames().contains("Holiday"); }));
    EXPECT_EQ(engine->renameRequests.size(), 1);

    press(Qt::Key_Delete);
    ASSERT_TRUE(spinUntil([&] { return opened("deleteQuestion") && item("deleteConfirmButton")->isEnabled(); }));
    EXPECT_TRUE(text("deleteQuestionText").contains("cannot be undone")) << text("deleteQuestionText").toStdString();
    click(item("deleteConfirmButton"));
    ASSERT_TRUE(spinUntil([&] { return !shownNames().contains("Holiday"); }));
    EXPECT_EQ(engine->deleteRequests.size(), 1);
    EXPECT_EQ(focused(), "remoteList");

    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(focused(), "filterField");
    typeText("OT");
    EXPECT_TRUE(spinUntil([&] { return shownNames() == QStringList{"notes.txt", "photo.jpg"}; }))
        << shownNames().join(",").toStdString() << text("filterField").toStdString();
    EXPECT_TRUE(text("locationDetail").startsWith("2 of 4 items")) << text("locationDetail").toStdString();
    press(Qt::Key_Escape);
    EXPECT_EQ(shownNames().size(), 4);
    EXPECT_EQ(focused(), "remoteList");

    press(Qt::Key_Menu);
    ASSERT_TRUE(spinUntil([&] { return opened("contextMenu"); }));
    press(Qt::Key_Escape);
    ASSERT_TRUE(spinUntil([&] { return !opened("contextMenu"); }));
    EXPECT_EQ(focused(), "remoteList");
}

QAccessibleInterface *findRole(QAccessibleInterface *node, QAccessible::Role role)
{
    if (!node)
        return nullptr;
    if (node->role() == role)
        return node;
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *found = findRole(node->child(i), role))
            return found;
    }
    return nullptr;
}

// A screen reader finds the listing as a list of items named with their name, kind and
// size, whose buttons are named after their rows, and hears each new status.
TEST_F(BrowserWindowTest, ScreenReaderHearsTheListAndTheStatus)
{
    open();
    QAccessibleInterface *list = findRole(QAccessible::queryAccessibleInterface(window()), QAccessible::List);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->text(QAccessible::Name), "Internal shared storage");
    QStringList items;
    QStringList buttons;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *entry = list->child(i);
        if (entry->role() != QAccessible::ListItem)
            continue;
        items << entry->text(QAccessible::Name);
        if (QAccessibleInterface *button = findRole(entry, QAccessible::Button))
            buttons << button->text(QAccessible::Name);
    }
    EXPECT_EQ(items, (QStringList{"DCIM, Folder", "Music, Folder", "notes.txt, Document", "photo.jpg, Image, 2 MB"}));
    EXPECT_EQ(buttons, (QStringList{"Open DCIM", "Open Music", "Download notes.txt", "Download photo.jpg"}));

    // Screen readers speak a notification as it appears: each new status appears anew
    // (the events themselves need a desktop's accessibility bus, which tests have not).
    QQuickItem *announcer = item("statusAnnouncer");
    ASSERT_NE(announcer, nullptr);
    QStringList announced;
    QObject::connect(announcer, &QQuickItem::visibleChanged, [&] {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(announcer);
        if (announcer->isVisible() && node && node->role() == QAccessible::Notification)
            announced << node->text(QAccessible::Name);
    });
    doubleClick(row("DCIM"));
    ASSERT_TRUE(waitForTitle("DCIM"));
    EXPECT_EQ(announced, QStringList{"Showing DCIM."});
}

} // namespace

// A selection downloads into one chosen folder, keeping folders whole.
TEST_F(BrowserWindowTest, DownloadButtonCopiesTheSelectionIntoAFolder)
{
    open();
    QTemporaryDir target;
    desktop->folderToChoose = QUrl::fromLocalFile(target.path());
    click(row("notes.txt"));
    QTest::mouseClick(window(), Qt::LeftButton, Qt::ControlModifier,
                      row("photo.jpg")->mapToScene(QPointF(60, row("photo.jpg")->height() / 2)).toPoint());
    ASSERT_TRUE(spinUntil([&] { return item("downloadSelectionButton") && item("downloadSelectionButton")->isEnabled(); }));
    Gate transfer;
    engine->beforeDownload = transfer.hook();
    click(item("downloadSelectionButton"));
    ASSERT_TRUE(transfer.waitEntered());
    // A file of a batch waiting for its first bytes animates nothing: restarted for each
    // of a thousand small files, an animation would keep the window drawing throughout.
    ASSERT_TRUE(spinUntil([&] { return item("transferRoute")->isVisible(); }));
    EXPECT_FALSE(item("transferProgress")->property("indeterminate").toBool());
    EXPECT_FALSE(item("statusSpinner")->isVisible());
    transfer.open();
    ASSERT_TRUE(spinUntil([&] { return engine->downloadRequests.size() == 2; }));
    EXPECT_EQ(desktop->folderPanels.size(), 1);
    ASSERT_TRUE(spinUntil([&] { return item("showInFolderButton") && item("showInFolderButton")->isVisible(); }));
}
