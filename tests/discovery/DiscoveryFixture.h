// Discovery on a temporary data directory: every COM number points at a device that does not
// exist unless a test gives it a virtual modem, so no real port of the machine is touched.
#pragma once

#include "ScaledTime.h"
#include "VirtualModemProcess.h"

#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "modem/TfmModem.h"
#include "modem/discovery/ModemDiscovery.h"
#include "modem/discovery/QueryBuffer.h"
#include "modem/discovery/TfmParse.h"
#include "support/EventLog.h"
#include "support/ScriptedMessageService.h"
#include "support/Waits.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class DiscoveryFixture : public ::testing::Test
{
protected:
    // The scan's settling waits, its two-second probes and the command time-outs run at a
    // quarter, so that a scan of eight ports and a modem that never answers take little time.
    ScaledTime fast{0.25};

    DiscoveryFixture()
        : ini(dir.filePath("orv.ini")), log(dir.filePath("Events.log")),
          byIdDir(dir.filePath("by-id"))
    {
        prefs.Timeout = 2;
        prefs.FlowControl = 2; // "None": a pseudo-terminal has no handshake lines
        for (int port = 1; port <= 16; ++port)
            mapPort(port, dir.filePath(QStringLiteral("no-such-tty%1").arg(port)));
        QDir(dir.path()).mkdir("by-id");
    }

    void mapPort(int port, const QString &device)
    {
        ini.WriteString("Ports", QStringLiteral("COM%1").arg(port), device);
    }

    // Starts a virtual modem with profile and maps COM port to its terminal.
    VirtualModemProcess &startModem(const QString &profileName, int port)
    {
        auto modem = std::make_unique<VirtualModemProcess>();
        EXPECT_TRUE(modem->start({"--profile", profileName})) << profileName.toStdString();
        mapPort(port, modem->path());
        modems.push_back(std::move(modem));
        return *modems.back();
    }

    // An installed modem: a link named linkName in the by-id folder pointing at target.
    void addInstalledLink(const QString &linkName, const QString &target)
    {
        ASSERT_TRUE(QFile::link(target, QDir(byIdDir).filePath(linkName)));
    }

    QString modemKey(const char *key) { return ini.ReadString("Modem", key, "<missing>"); }
    QString paramsKey(const char *key) { return ini.ReadString("Params", key, "<missing>"); }
    QString compressionsPath() const { return dir.filePath("Compressions.d"); }
    bool logHas(const QString &line) const { return log.lines().contains(line); }

    TfmModem &modemLink()
    {
        if (!m_modem)
            m_modem = std::make_unique<TfmModem>(ini, prefs, profile, log, messages);
        return *m_modem;
    }
    TfmParse &parse()
    {
        if (!m_parse)
            m_parse = std::make_unique<TfmParse>(ini, profile, modemLink(), query, log, messages,
                                                 compressionsPath());
        return *m_parse;
    }
    ModemDiscovery &discovery()
    {
        if (!m_discovery)
            m_discovery = std::make_unique<ModemDiscovery>(
                ini, profile, voiceSupported, modemLink(), parse(), log, messages, byIdDir);
        return *m_discovery;
    }

    QTemporaryDir dir;
    TIniFile ini;
    Preferences prefs;
    TModemParams profile;
    bool voiceSupported = true;
    EventLog log;
    ScriptedMessageService messages;
    QueryBuffer query;
    QString byIdDir;
    std::vector<std::unique_ptr<VirtualModemProcess>> modems;

private:
    std::unique_ptr<TfmModem> m_modem;
    std::unique_ptr<TfmParse> m_parse;
    std::unique_ptr<ModemDiscovery> m_discovery;
};
