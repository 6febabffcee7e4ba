// The order matters: the profile is loaded before the port is opened, because opening
// initialises the modem with the profile's caller-ID commands.
#include "TfmInitORV.h"

#include "DiscoveryWindow.h"
#include "ModemDiscovery.h"
#include "SetupTarget.h"
#include "TfmParse.h"

#include "config/ModemState.h"
#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "modem/TfmModem.h"
#include "support/EventLog.h"
#include "support/MessageService.h"
#include "support/Waits.h"

#include <QDir>
#include <QFileInfo>

TfmInitORV::TfmInitORV(TIniFile &ini, Preferences &prefs, TModemParams &profile,
                       bool &voiceSupported, TfmModem &modem, TfmParse &parse,
                       ModemDiscovery &discovery, DiscoveryWindow &discoveryWindow,
                       SetupTarget &target, EventLog &log, MessageService &messages,
                       QString programDir, QObject *parent)
    : QObject(parent), m_ini(ini), m_prefs(prefs), m_profile(profile),
      m_voiceSupported(voiceSupported), m_modem(modem), m_parse(parse), m_discovery(discovery),
      m_discoveryWindow(discoveryWindow), m_target(target), m_log(log), m_messages(messages),
      m_programDir(std::move(programDir))
{
    setObjectName(QStringLiteral("fmInitORV"));
}

void TfmInitORV::FormCreate()
{
    EnsureModem();
    Waits::WaitTicks(9);
    ApplySettings();
}

void TfmInitORV::EnsureModem()
{
    if (QFileInfo::exists(m_ini.FileName()) && ModemState::configuredPort(m_ini) != 0) {
        LoadModemProfile(m_ini, m_profile);
        return;
    }
    if (m_discovery.FindModems() > 0) {
        m_discoveryWindow.showModal();
        LoadModemProfile(m_ini, m_profile);
        return;
    }
    m_voiceSupported = false;
    ModemState::setVoiceSupported(m_ini, false);
    m_messages.showMessage(ModemDiscovery::NoModemMessage, MessageService::Kind::Information);
}

void TfmInitORV::ApplySettings()
{
    applyPreferences();
    bringModemOnLine();
}

void TfmInitORV::applyPreferences()
{
    LoadModemProfile(m_ini, m_profile);
    m_voiceSupported = ModemState::voiceSupported(m_ini);
    loadPlayerChoice(m_ini, m_prefs);
    m_target.applyWindowSettings();

    const bool modemConfigured = ModemState::configured(m_ini);
    if (modemConfigured) {
        if (QFileInfo::exists(m_parse.compressionsPath())) {
            const int row = ModemState::compressionRow(m_ini);
            if (!m_parse.readCurrentCompression(row))
                m_log.appendLine(
                    QStringLiteral("Compression %1 is missing from Compressions.d").arg(row));
        }
        if (!m_voiceSupported)
            m_messages.showMessage(NoVoiceMessage, MessageService::Kind::Warning);
    }

    // An error here (the folder exists already) is of no concern.
    QDir(m_programDir).mkdir(QStringLiteral("wav"));
    m_target.resetCommandStates();
    m_target.setPortStatus(m_profile.port, m_profile.Model);
}

void TfmInitORV::bringModemOnLine()
{
    if (ModemState::configured(m_ini)) {
        if (!m_modem.OpenModemPort(m_profile.port, true)) {
            m_messages.showMessage(m_modem.openErrorMessage(m_profile.port),
                                   MessageService::Kind::Error);
        }
        if (m_prefs.AutoRecord)
            m_modem.EnableAutoRecord();
        else
            m_modem.DisableAutoRecord();
    }
}
