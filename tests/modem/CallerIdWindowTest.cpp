// The caller-ID pop-up: where it appears, how it slides, plain text, and when it hides.
#include "ScaledTime.h"
#include "VirtualModemProcess.h"

#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "modem/TfmModem.h"
#include "modem/ui/TfmCallerID.h"
#include "support/EventLog.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QRect screenArea()
{
    return QGuiApplication::primaryScreen()->geometry();
}
} // namespace

TEST(CallerIdWindowTest, SlidesUpFromTheBottomRightAndHidesAfterTenSeconds)
{
    // Its steps run ten times as fast: the slide takes 0.1 s, the hide comes after 1 s.
    ScaledTime fast(0.1);
    const int hideMs = Waits::scaledMs(TfmCallerID::HideTick * TfmCallerID::TickMs);
    TfmCallerID window;
    const QRect area = screenArea();
    QElapsedTimer shownFor;
    shownFor.start();
    window.showCaller("5551234");
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(area.right() + 1 - 200, area.bottom() + 1 - 40));
    EXPECT_EQ(window.size(), QSize(152, 64));

    const QPoint rest(area.right() + 1 - 200, area.bottom() + 1 - 120);
    ASSERT_TRUE(Waits::waitUntil([&] { return window.pos() == rest; }, 5000));

    // A second caller within the ten seconds only changes the text.
    window.showCaller("5550000");
    EXPECT_EQ(window.callerText(), "5550000");
    Waits::waitMs(hideMs / 4);
    EXPECT_EQ(window.pos(), rest);
    EXPECT_TRUE(window.isVisible());

    // Ten seconds (in steps) after it appeared; a slow machine only delays the steps, and
    // coarse timers may fire 5% early.
    EXPECT_TRUE(Waits::waitUntil([&] { return !window.isVisible(); }, 20000));
    EXPECT_GE(shownFor.elapsed(), hideMs * 95 / 100);
}

TEST(CallerIdWindowTest, ShowsCallerTextAsPlainText)
{
    TfmCallerID window;
    window.showCaller("<b>1</b>");
    auto *label = window.findChild<QLabel *>("Label2");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "<b>1</b>");

    const QString longText(64, QLatin1Char('8'));
    window.showCaller(longText);
    EXPECT_EQ(window.callerText(), longText);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
}

TEST(CallerIdWindowTest, AKnownCallersNameStandsUnderTheNumber)
{
    TfmCallerID window;
    window.nameOf = [](const QString &number) {
        return number == "5551234" ? QStringLiteral("<b>Ann</b>") : QString();
    };
    auto *name = window.findChild<QLabel *>("CallerName");
    ASSERT_NE(name, nullptr);

    window.showCaller("5551234");
    EXPECT_EQ(window.callerName(), "<b>Ann</b>");
    EXPECT_EQ(name->textFormat(), Qt::PlainText);
    EXPECT_EQ(name->text(), "<b>Ann</b>") << "shown as it is, not as markup";
    EXPECT_TRUE(name->isVisibleTo(&window));
    EXPECT_GE(window.height(), name->geometry().bottom()) << "the name is inside the window";

    window.showCaller("5559999");
    EXPECT_TRUE(window.callerName().isEmpty());
    EXPECT_FALSE(name->isVisibleTo(&window));
    EXPECT_EQ(window.size(), QSize(152, 64));
}

TEST(CallerIdWindowTest, HidesWhenRingingEndsAndShowsAgainFromTheStart)
{
    TfmCallerID window;
    const QRect area = screenArea();
    window.showCaller("1");
    Waits::waitMs(400);
    window.hideCaller();
    EXPECT_FALSE(window.isVisible());
    window.showCaller("2");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(area.right() + 1 - 200, area.bottom() + 1 - 40));
}

TEST(CallerIdWindowTest, FollowsTheCallerIdOfARingingCall)
{
    QTemporaryDir dir;
    TIniFile ini(dir.filePath("orv.ini"));
    ini.WriteInteger("General", "RingTimeOut", 900);
    Preferences prefs;
    TModemParams profile;
    profile.port = 3;
    profile.ForCallerId = "at+vcid=1";
    EventLog log(dir.filePath("Events.log"));
    ScriptedMessageService messages;
    VirtualModemProcess vmodem;
    ASSERT_TRUE(vmodem.start({"--profile", "voice"}));
    ini.WriteString("Ports", "COM3", vmodem.path());

    TfmModem modem(ini, prefs, profile, log, messages);
    TfmCallerID window;
    window.attach(modem);
    modem.modemOn();
    ASSERT_TRUE(modem.PortOpen());

    vmodem.step("call 2 500 NMBR=5551234|NAME=JOHN");
    ASSERT_TRUE(Waits::waitUntil([&] { return window.isVisible(); }, 10000));
    EXPECT_EQ(window.callerText(), "5551234");
    // Hidden when the span after the last ring runs out, well before its own ten seconds.
    EXPECT_TRUE(Waits::waitUntil([&] { return !window.isVisible(); }, 8000));
    EXPECT_TRUE(modem.StartRecordRequest());
}
