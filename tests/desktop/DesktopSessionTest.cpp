#include "DesktopSession/DesktopNotifier.h"
#include "DesktopSession/LauncherProgress.h"
#include "DesktopSession/SleepInhibitor.h"
#include "tests/desktop/DesktopBus.h"
#include "tests/support/TestSupport.h"

#include <QDBusArgument>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tarvel;
using namespace tarvel::test;

namespace {

const QString reason = "Copying files to or from the phone";

class DesktopSessionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start"; }

    PrivateBus bus;
    QDBusConnection services = bus.connect("services"); // where the stand-ins live
    QDBusConnection app = bus.connect("app");           // Tarvel's side
    QDBusConnection noBus = QDBusConnection::connectToBus(QString("unix:path=/nonexistent/bus"), "none");
};

} // namespace

// logind's lock is asked for with its reason and kept as long as the copy runs: asking
// again takes no second lock, and releasing closes it, also when the release comes
// before the lock does.
TEST_F(DesktopSessionTest, SleepLockFromLogindHeldUntilReleased)
{
    PipeLocks locks;
    const auto logind = standInLogind(services, locks);
    SleepInhibitor inhibitor(app, app);
    inhibitor.inhibit();
    ASSERT_TRUE(spinUntil([&] { return logind->calls("Inhibit").size() == 1; }));
    EXPECT_EQ(logind->calls("Inhibit").first().arguments(), (QVariantList{"sleep:idle", "Tarvel", reason, "block"}));
    inhibitor.inhibit();
    settle();
    EXPECT_FALSE(locks.allReleased());
    inhibitor.release();
    EXPECT_TRUE(spinUntil([&] { return locks.allReleased(); }));

    inhibitor.inhibit();
    inhibitor.release();
    ASSERT_TRUE(spinUntil([&] { return logind->calls("Inhibit").size() == 2; }));
    EXPECT_TRUE(spinUntil([&] { return locks.allReleased(); }));
}

// Without logind (its name unowned, or no system bus at all) the portal is asked, and its
// request closed on release; with neither, nothing happens and nothing complains.
TEST_F(DesktopSessionTest, SleepLockFallsBackToThePortal)
{
    const auto portal = standInPortal(services);
    for (QDBusConnection system : {app, noBus}) {
        SleepInhibitor inhibitor(system, app);
        const qsizetype before = portal->calls("Inhibit").size();
        inhibitor.inhibit();
        ASSERT_TRUE(spinUntil([&] { return portal->calls("Inhibit").size() == before + 1; }));
        const QVariantList arguments = portal->calls("Inhibit").last().arguments();
        EXPECT_EQ(arguments.value(1), 4u | 8u);
        EXPECT_EQ(qdbus_cast<QVariantMap>(arguments.value(2)), (QVariantMap{{"reason", reason}}));
        inhibitor.release();
        ASSERT_TRUE(spinUntil([&] { return portal->calls("Close").size() == before + 1; }));
        EXPECT_EQ(portal->calls("Close").last().path(), portalRequest(before + 1));
    }
    SleepInhibitor lonely(noBus, noBus);
    lonely.inhibit();
    lonely.release();
}

// "Show in Folder" is offered only where the server shows actions, and only its press on
// our own notification counts; a body is escaped only for servers that read markup.
TEST_F(DesktopSessionTest, NotificationOffersShowInFolderWhereActionsShow)
{
    QStringList capabilities{"actions", "body"};
    const auto server = standInNotifications(services, capabilities);
    DesktopNotifier notifier(app);
    QSignalSpy invoked(&notifier, &DesktopNotifier::showFolderInvoked);
    notifier.notify("Download finished", "Downloaded <b>A & B</b>.", true);
    ASSERT_TRUE(spinUntil([&] { return server->calls("Notify").size() == 1; }));
    const QVariantList first = server->calls("Notify").first().arguments();
    EXPECT_EQ(first.mid(0, 6), (QVariantList{"Tarvel", 0u, "io.github.orvath.Tarvel", "Download finished",
                                             "Downloaded <b>A & B</b>.", QStringList{"show-folder", "Show in Folder"}}));
    EXPECT_EQ(qdbus_cast<QVariantMap>(first.value(6)), (QVariantMap{{"desktop-entry", "io.github.orvath.Tarvel"}}));

    invokeAction(services, 7, "show-folder"); // someone else's
    invokeAction(services, 1, "show-folder");
    ASSERT_TRUE(spinUntil([&] { return invoked.size() == 1; }));
    settle();
    EXPECT_EQ(invoked.size(), 1);

    capabilities = {"body", "body-markup"};
    notifier.notify("Download finished", "Downloaded <b>A & B</b>.", true);
    ASSERT_TRUE(spinUntil([&] { return server->calls("Notify").size() == 2; }));
    EXPECT_EQ(server->calls("Notify").last().arguments().mid(4, 2),
              (QVariantList{"Downloaded &lt;b&gt;A &amp; B&lt;/b&gt;.", QStringList()}));
    DesktopNotifier(noBus).notify("Download finished", "Downloaded A.", true);
}

// The taskbar hears the app's entry, in whole percents, and only changes.
TEST_F(DesktopSessionTest, LauncherEntryUpdates)
{
    LauncherListener listener(services);
    LauncherProgress progress(app);
    progress.showProgress(0.251);
    progress.showProgress(0.259); // the same percent
    progress.showProgress(2.0);
    ASSERT_TRUE(spinUntil([&] { return listener.updates.size() >= 2; }));
    settle();
    ASSERT_EQ(listener.updates.size(), 2);
    EXPECT_EQ(listener.updates.first().path(), "/io/github/orvath/Tarvel/LauncherEntry");
    EXPECT_EQ(listener.updates.first().arguments().value(0), "application://io.github.orvath.Tarvel.desktop");
    EXPECT_EQ(listener.properties(0), (QVariantMap{{"progress", 0.25}, {"progress-visible", true}, {"urgent", false}}));
    EXPECT_EQ(listener.properties(1).value("progress"), 1.0);
    LauncherProgress(noBus).showProgress(0.5);
}
