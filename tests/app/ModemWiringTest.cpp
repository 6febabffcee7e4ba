// The main window follows the modem link: Modem On and Off through the real serial path to
// the virtual modem, and the status bar, menu ticks and tray icon that go with them.
#include "app/ModemWiring.h"
#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/TfmOrv.h"
#include "config/ProgramDir.h"
#include "modem/TfmModem.h"
#include "modem/ui/TfmCallerID.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QAction>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "VirtualModemProcess.h"

namespace {

TEST(ModemWiringTest, ModemOnAndOffShowInTheStatusBarAndTheMenus)
{
    VirtualModemProcess vmodem;
    ASSERT_TRUE(vmodem.start({"--profile", "voice"}));
    const QString pty = vmodem.path();

    QTemporaryDir dir;
    ASSERT_TRUE(ProgramDir::prepare(dir.path()));
    ScriptedMessageService messages;
    AppContext context(StartOptions::parse({"calvora"}), dir.path(), messages);
    context.ini.WriteString("Ports", "COM3", pty);
    context.ini.WriteInteger("Modem", "port", 3);
    LoadModemProfile(context.ini, context.ModemProfile);
    context.prefs.Timeout = 4;
    context.hasSoundOutput = [] { return true; }; // no sound server needed

    TfmOrv window(context);
    TfmModem modem(context.ini, context.prefs, context.ModemProfile, context.log, messages);
    TfmCallerID callerId;
    connectModem(window, modem, callerId);
    MainActions &actions = window.actions();
    EXPECT_EQ(window.statusText(0), " Modem off");
    EXPECT_TRUE(actions.acModemOff->isChecked());

    actions.acModemOn->trigger();
    EXPECT_TRUE(modem.PortOpen()) << messages.texts.join('|').toStdString();
    EXPECT_EQ(window.statusText(0), " Modem on");
    EXPECT_TRUE(actions.acModemOn->isChecked());
    EXPECT_FALSE(actions.acModemOff->isChecked());
    EXPECT_TRUE(context.log.lines().contains("-- Modem on clicked"));

    window.setRecordEnabled(true);
    actions.acRecord->setChecked(true);
    actions.acModemOff->trigger();
    EXPECT_FALSE(modem.PortOpen());
    EXPECT_EQ(window.statusText(0), " Modem off");
    EXPECT_TRUE(actions.acModemOff->isChecked());
    EXPECT_FALSE(actions.acRecord->isEnabled());
    EXPECT_FALSE(actions.acRecord->isChecked()) << "switching off releases Record";

    // A port that will not open leaves Record disabled.
    context.ini.WriteString("Ports", "COM3", dir.filePath("unplugged"));
    window.setRecordEnabled(true);
    actions.acModemOn->trigger();
    EXPECT_FALSE(modem.PortOpen());
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts.last(), "Error during opening com port 3");
    EXPECT_FALSE(actions.acRecord->isEnabled());
}

} // namespace
