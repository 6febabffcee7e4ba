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

#include "VoiceModemSetup.h"
#include "WindowHarness.h"
#include "audio/StandardFormats.h"

#include "VirtualModemProcess.h"

namespace {

TEST(ModemWiringTest, ModemOnAndOffShowInTheStatusBarAndTheMenus)
{
    VirtualModemProcess vmodem;
    ASSERT_TRUE(vmodem.start({"--profile", "voice"}));

    QTemporaryDir dir;
    ASSERT_TRUE(ProgramDir::prepare(dir.path()));
    ScriptedMessageService messages;
    WindowHarness program(dir.path(), messages);
    writeVirtualModemSetup(program.session.ini(), dir.path(), vmodem.path(), WorkingPcmFormat());
    program.start();
    TfmOrv &window = program.windows.mainWindow();
    TfmModem &modem = program.session.modem();
    MainActions &actions = window.actions();
    ASSERT_TRUE(modem.PortOpen()) << messages.texts.join('|').toStdString();
    EXPECT_EQ(window.statusText(0), " Modem on");
    EXPECT_TRUE(actions.acModemOn->isChecked());
    EXPECT_FALSE(actions.acModemOff->isChecked());
    EXPECT_TRUE(actions.acRecord->isEnabled());

    actions.acModemOff->trigger();
    EXPECT_FALSE(modem.PortOpen());
    EXPECT_EQ(window.statusText(0), " Modem off");
    EXPECT_TRUE(actions.acModemOff->isChecked());
    EXPECT_FALSE(actions.acModemOn->isChecked());
    EXPECT_FALSE(actions.acRecord->isEnabled()) << "nothing to record from";

    actions.acModemOn->trigger();
    EXPECT_TRUE(modem.PortOpen()) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(actions.acModemOn->isChecked());
    EXPECT_TRUE(actions.acRecord->isEnabled());
    EXPECT_TRUE(program.session.log().lines().contains("-- Modem on clicked"));

    // A port that will not open leaves Record disabled.
    actions.acModemOff->trigger();
    program.session.ini().WriteString("Ports", "COM3", dir.filePath("unplugged"));
    actions.acModemOn->trigger();
    EXPECT_FALSE(modem.PortOpen());
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts.last(), "Error during opening com port 3");
    EXPECT_FALSE(actions.acRecord->isEnabled());
    EXPECT_FALSE(actions.acModemOn->isChecked()) << "the tick shows the port's state";
}

} // namespace
