// Desktop notifications against a stand-in notification service on a private session bus:
// what is sent, markup escaped only for a service that reads it, a notice replaced by its key,
// an action run only for our own notice, and a bus without the service.
#include "support/DesktopNotifications.h"
#include "support/Waits.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include "StandInNotifications.h"

namespace {

class DesktopNotificationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.started()) << "dbus-daemon did not start";
        ASSERT_TRUE(service.registerOn(bus.connect("service")));
    }

    bool waitForNotices(int count)
    {
        return Waits::waitUntil([&] { return service.notices.size() >= count; }, 10000);
    }

    PrivateSessionBus bus;
    StandInNotifications service;
};

TEST_F(DesktopNotificationsTest, NoticesAreSentReplacedByKeyAndTheirActionRunsOnlyForThem)
{
    DesktopNotifications notifications(bus.connect("program"));
    int shown = 0;
    notifications.notify({"Recording saved", "Tom & <Jerry>", "Show recording", {}},
                         [&] { ++shown; });
    ASSERT_TRUE(waitForNotices(1));
    const StandInNotifications::Notice saved = service.notices[0];
    EXPECT_EQ(saved.summary, "Recording saved");
    EXPECT_EQ(saved.body, "Tom &amp; &lt;Jerry&gt;");
    EXPECT_EQ(saved.actions, (QStringList{"default", "Show recording"}));

    notifications.notify({"Incoming call", "5551234", {}, "call"});
    ASSERT_TRUE(waitForNotices(2));
    Waits::waitUntil([] { return false; }, 200); // the reply with its id arrives
    notifications.notify({"Incoming call", "Anne\n5551234", {}, "call"});
    ASSERT_TRUE(waitForNotices(3));
    EXPECT_EQ(service.notices[1].replaces, 0u);
    EXPECT_EQ(service.notices[2].replaces, service.notices[1].id);
    EXPECT_TRUE(service.notices[1].actions.isEmpty());

    // Another program's notice, an action of ours that is not the default, then ours.
    emit service.ActionInvoked(saved.id + 100, "default");
    emit service.ActionInvoked(service.notices[1].id, "default");
    emit service.ActionInvoked(saved.id, "other");
    emit service.ActionInvoked(saved.id, "default");
    EXPECT_TRUE(Waits::waitUntil([&] { return shown > 0; }, 10000));
    Waits::waitUntil([] { return false; }, 200);
    EXPECT_EQ(shown, 1);

    // Once closed, the notice's action is gone.
    emit service.NotificationClosed(saved.id, 2);
    emit service.ActionInvoked(saved.id, "default");
    Waits::waitUntil([] { return false; }, 300);
    EXPECT_EQ(shown, 1);
}

TEST_F(DesktopNotificationsTest, PlainTextForAServiceWithoutMarkup)
{
    service.bodyMarkup = false;
    DesktopNotifications notifications(bus.connect("program"));
    Waits::waitUntil([] { return false; }, 300); // the capabilities arrive
    notifications.notify({"Incoming call", "Tom & <Jerry>", {}, {}});
    ASSERT_TRUE(waitForNotices(1));
    EXPECT_EQ(service.notices[0].body, "Tom & <Jerry>");
}

TEST(DesktopNotificationsWithoutServiceTest, NothingHappensWithoutTheService)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.started());
    DesktopNotifications notifications(bus.connect("program"));
    int shown = 0;
    notifications.notify({"Incoming call", "5551234", "Show", {}}, [&] { ++shown; });
    Waits::waitUntil([] { return false; }, 300);
    EXPECT_EQ(shown, 0);
    // And with no bus at all.
    DesktopNotifications nowhere(QDBusConnection(QStringLiteral("not connected")));
    nowhere.notify({"Incoming call", "5551234", {}, {}});
}

} // namespace
