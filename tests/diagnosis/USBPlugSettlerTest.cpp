#include "USBDiagnosis/USBPlugSettler.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using namespace tarvel;
using namespace std::chrono_literals;

namespace {
const USBAddress phone{1, 4};
const USBAddress replugged{1, 5};
const USBAddress other{2, 2};

QList<USBAddress> addresses(const QSignalSpy &spy)
{
    QList<USBAddress> seen;
    for (const QList<QVariant> &signal : spy)
        seen.append(signal.at(0).value<USBAddress>());
    return seen;
}
} // namespace

// An arrival is told only once the device stayed for the settle delay; one that leaves
// before is never told at all, and a settled device that leaves is told at once.
TEST(USBPlugSettler, ArrivalIsToldOnceSettled)
{
    USBPlugSettler settler(80ms);
    QSignalSpy arrived(&settler, &USBPlugEvents::deviceArrived);
    QSignalSpy left(&settler, &USBPlugEvents::deviceLeft);

    settler.deviceAppeared(phone, "1-1");
    settler.deviceVanished(phone, "1-1"); // the phone switching its USB mode
    settler.deviceAppeared(replugged, "1-1");
    QTest::qWait(30);
    EXPECT_EQ(arrived.size(), 0);
    ASSERT_TRUE(test::spinUntil([&] { return arrived.size() == 1; }));
    EXPECT_EQ(addresses(arrived), QList{replugged});
    EXPECT_EQ(left.size(), 0);

    settler.deviceVanished(replugged, "1-1");
    EXPECT_EQ(addresses(left), QList{replugged});
    QTest::qWait(120);
    EXPECT_EQ(arrived.size(), 1);
}

// Our own close may reset the phone: while quiet, its departure and its return on the same
// port are held back. Coming back under a new number is told as an arrival, staying away as
// a departure, coming back as it was as nothing; other devices pass as usual.
TEST(USBPlugSettler, OwnCloseIsHeldBack)
{
    USBPlugSettler settler(20ms);
    QSignalSpy arrived(&settler, &USBPlugEvents::deviceArrived);
    QSignalSpy left(&settler, &USBPlugEvents::deviceLeft);

    settler.ignoreEventsFor(phone, 150ms);
    test::settle(); // the request is posted, as it comes from the lane
    settler.deviceVanished(phone, "1-1");
    settler.deviceAppeared(replugged, "1-1");
    settler.deviceVanished(other, "2-3");
    EXPECT_EQ(addresses(left), QList{other});
    QTest::qWait(60);
    EXPECT_EQ(arrived.size(), 0);
    ASSERT_TRUE(test::spinUntil([&] { return arrived.size() == 1; }));
    EXPECT_EQ(addresses(arrived), QList{replugged});

    settler.ignoreEventsFor(replugged, 50ms);
    test::settle();
    settler.deviceVanished(replugged, "1-1");
    ASSERT_TRUE(test::spinUntil([&] { return left.size() == 2; }));
    EXPECT_EQ(addresses(left), (QList{other, replugged}));

    settler.ignoreEventsFor(phone, 50ms);
    test::settle();
    settler.deviceVanished(phone, "1-2");
    settler.deviceAppeared(phone, "1-2");
    QTest::qWait(120);
    EXPECT_EQ(arrived.size(), 1);
    EXPECT_EQ(left.size(), 2);
}
