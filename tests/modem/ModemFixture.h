// A modem link on a temporary data directory whose COM3 is a pseudo-terminal.
#pragma once

#include "PtyPeer.h"

#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "modem/TfmModem.h"
#include "support/EventLog.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

class ModemFixture : public ::testing::Test
{
protected:
    static constexpr int Port = 3;

    ModemFixture() : ini(dir.filePath("orv.ini")), log(dir.filePath("Events.log"))
    {
        prefs.Timeout = 1;
        prefs.FlowControl = 2; // "None"
        profile.port = Port;
        profile.ForCallerId = "at+vcid=1";
        profile.DisCallerId = "at+vcid=0";
        pointPortAt(peer.slavePath());
    }

    void pointPortAt(const QString &device)
    {
        ini.WriteString("Ports", QStringLiteral("COM%1").arg(Port), device);
    }

    TfmModem &modem()
    {
        if (!m_modem)
            m_modem = std::make_unique<TfmModem>(ini, prefs, profile, log, messages);
        return *m_modem;
    }

    // The log lines written since the last call.
    QStringList newLogLines()
    {
        const QStringList lines = log.lines().mid(m_logSeen);
        m_logSeen = static_cast<int>(log.lines().size());
        return lines;
    }

    // Sends bytes to the host after delayMs, from the event loop.
    void sendLater(int delayMs, const QByteArray &bytes)
    {
        QTimer::singleShot(delayMs, &peer, [this, bytes] { peer.send(bytes); });
    }

    static bool waitFor(const std::function<bool()> &condition, int ms = 10000)
    {
        return Waits::waitUntil(condition, ms);
    }

    QTemporaryDir dir;
    TIniFile ini;
    Preferences prefs;
    TModemParams profile;
    EventLog log;
    ScriptedMessageService messages;
    PtyPeer peer;

private:
    std::unique_ptr<TfmModem> m_modem;
    int m_logSeen = 0;
};
