// A recorder session without windows on a data directory of its own, its modem the virtual
// modem on a pseudo-terminal playing a script: the set-up of the recorder's end-to-end tests.
#pragma once

#include "audio/StandardFormats.h"
#include "catalogue/Catalogue.h"
#include "config/ProgramDir.h"
#include "modem/TfmModem.h"
#include "recording/CallRecorder.h"
#include "recording/RecorderSession.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "NoWindows.h"
#include "ScaledTime.h"
#include "VirtualModemProcess.h"
#include "VoiceModemSetup.h"

class VirtualModemSession
{
public:
    VirtualModemSession() { EXPECT_TRUE(ProgramDir::prepare(dir.path())); }

    // Starts the virtual modem on script and opens a session on it that records calls by
    // itself; discTime seconds of silence end a call. configure may change the settings
    // before the session reads them.
    ::testing::AssertionResult open(const QString &script, int discTime,
                                    const std::function<void(TIniFile &)> &configure = {})
    {
        if (!vmodem.start(QStringList{"--speed", "20", "--script", script} + vmodemOptions))
            return ::testing::AssertionFailure() << "the virtual modem did not start";
        session = std::make_unique<RecorderSession>(dir.path(), messages);
        writeVirtualModemSetup(session->ini(), dir.path(), vmodem.path(), WorkingPcmFormat());
        // The longest command time-out: the settling waits run at a tenth, the modem's
        // answers do not.
        session->ini().WriteInteger("Params", "Timeout", 8);
        session->ini().WriteInteger("Params", "DiscTime", discTime);
        session->ini().WriteBool("Params", "AutoRecord", true);
        if (configure)
            configure(session->ini());
        session->open();
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult bringOnLine()
    {
        session->bringModemOnLine(noWindows, noWindows);
        if (session->modem().PortOpen())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << messages.texts.join('|').toStdString();
    }

    // count recordings are catalogued and the recorder is back at rest.
    bool waitForRecordings(int count, int ms)
    {
        return Waits::waitUntil(
            [&] {
                return session->catalogue().recordingCount() == count &&
                       session->recorder().phase() == CallRecorder::Phase::Idle;
            },
            ms);
    }

    QString logText() const { return session->log().lines().join('\n'); }

    // More options for the virtual modem (a faster line: "--pace", "3").
    QStringList vmodemOptions;
    ScaledTime fast{0.1};
    QTemporaryDir dir;
    ScriptedMessageService messages;
    VirtualModemProcess vmodem;
    NoWindows noWindows;
    std::unique_ptr<RecorderSession> session;
};
