#include "DesktopSession/PortalFileChooser.h"
#include "tests/desktop/DesktopBus.h"
#include "tests/support/TestSupport.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <gtest/gtest.h>

using namespace tarvel;
using namespace tarvel::test;
using Mode = PortalFileChooser::Mode;

namespace {

// The portal's file chooser at `version`, its n-th OpenFile or SaveFile at portalRequest(n).
std::unique_ptr<StandIn> standInChooser(QDBusConnection bus, uint version)
{
    return std::make_unique<StandIn>(bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                     [version](const QDBusMessage &call, qsizetype n) {
        if (call.member() == "Get")
            return QVariantList{QVariant::fromValue(QDBusVariant(version))};
        return QVariantList{QVariant::fromValue(QDBusObjectPath(portalRequest(n)))};
    });
}

// The portal's answer to a request: 0 chosen, 1 cancelled.
void respond(QDBusConnection bus, const QString &request, uint response, const QStringList &uris)
{
    bus.send(QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response")
             << response << QVariantMap{{"uris", uris}});
}

class PortalFileChooserTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start"; }

    PrivateBus bus;
    QDBusConnection services = bus.connect("services"); // where the portal lives
    const PortalFileChooser::Request folder{.mode = Mode::folder, .title = "Choose a Folder",
                                            .acceptLabel = "Download Here", .startIn = QUrl::fromLocalFile("/tmp/a")};
};

} // namespace

// The portal's panel is asked with the title, the button's label and the folder to start
// in, and the folder it answers is the one taken, though another request's answer comes
// first; a cancelled panel takes nothing, and the caller shows no panel of its own.
TEST_F(PortalFileChooserTest, TakesTheFolderThePortalAnswers)
{
    const auto portal = standInChooser(services, 3);
    PortalFileChooser chooser(bus.connect("app"));
    auto choosing = chooser.choose(folder);
    ASSERT_TRUE(spinUntil([&] { return portal->calls("OpenFile").size() == 1; }));
    const QVariantList arguments = portal->calls("OpenFile").first().arguments();
    EXPECT_EQ(arguments.value(1), "Choose a Folder");
    const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(2));
    EXPECT_EQ(options.value("directory"), true);
    EXPECT_EQ(options.value("accept_label"), "Download Here");
    EXPECT_EQ(options.value("current_folder").toByteArray(), QByteArray("/tmp/a", 7));
    respond(services, portalRequest(9), 0, {"file:///home/u/Elsewhere"});
    respond(services, portalRequest(1), 0, {"file:///home/u/Pictures"});
    EXPECT_EQ(runSync(std::move(choosing)), (QList<QUrl>{QUrl("file:///home/u/Pictures")}));

    auto cancelled = chooser.choose({.mode = Mode::save, .proposedName = "IMG_1.jpg"});
    ASSERT_TRUE(spinUntil([&] { return portal->calls("SaveFile").size() == 1; }));
    EXPECT_EQ(qdbus_cast<QVariantMap>(portal->calls("SaveFile").first().arguments().value(2)).value("current_name"),
              "IMG_1.jpg");
    respond(services, portalRequest(1), 1, {"file:///home/u/IMG_1.jpg"});
    EXPECT_EQ(runSync(std::move(cancelled)), QList<QUrl>());
}

// Without a portal on the bus, with one too old to choose folders, or with no session bus
// at all, the caller is told at once to show its own panel.
TEST_F(PortalFileChooserTest, NoPortalFallsBackToTheCallersPanel)
{
    PortalFileChooser none(bus.connect("none"));
    EXPECT_EQ(runSync(none.choose(folder)), std::nullopt);

    const auto portal = standInChooser(services, 2);
    PortalFileChooser old(bus.connect("old"));
    EXPECT_EQ(runSync(old.choose(folder)), std::nullopt);
    EXPECT_TRUE(portal->calls("OpenFile").isEmpty());

    PortalFileChooser unconnected(QDBusConnection::connectToBus(QString("unix:path=/nonexistent/bus"), "nobus"));
    EXPECT_EQ(runSync(unconnected.choose(folder)), std::nullopt);
}
