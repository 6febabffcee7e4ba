// The start-up set-up end to end: a first start with and without a modem, and a start with
// an existing configuration that opens the port, initialises the modem and arms auto-record.
#include "DiscoveryFixture.h"

#include "modem/capabilities/CompressionsFile.h"
#include "modem/discovery/DiscoveryWindow.h"
#include "modem/discovery/SetupTarget.h"
#include "modem/discovery/TfmInitORV.h"

namespace {

struct RecordingTarget final : SetupTarget
{
    void applyWindowSettings() override { ++windowSettings; }
    void resetCommandStates() override { ++commandResets; }
    void setPortStatus(int p, const QString &m) override
    {
        port = p;
        model = m;
    }

    int windowSettings = 0;
    int commandResets = 0;
    int port = -1;
    QString model;
};

// Confirms the first candidate, as an unattended run of the window does.
struct ConfirmingWindow final : DiscoveryWindow
{
    explicit ConfirmingWindow(ModemDiscovery &discovery) : discovery(discovery) {}
    void showModal() override
    {
        ++shown;
        discovery.confirmFirst();
    }
    ModemDiscovery &discovery;
    int shown = 0;
};

} // namespace

class InitOrvTest : public DiscoveryFixture
{
protected:
    // What the window enables Record for: a voice modem whose port is open.
    bool recordable() { return voiceSupported && modemLink().PortOpen(); }

    TfmInitORV &setup()
    {
        if (!m_setup) {
            m_window = std::make_unique<ConfirmingWindow>(discovery());
            m_setup = std::make_unique<TfmInitORV>(ini, prefs, profile, voiceSupported, modemLink(),
                                                   parse(), discovery(), *m_window, target, log,
                                                   messages, dir.path());
        }
        return *m_setup;
    }
    int windowShown() const { return m_window ? m_window->shown : 0; }

    // A configured voice modem on port, as an earlier discovery left it.
    void writeConfiguredModem(int port)
    {
        ini.WriteInteger("Modem", "port", port);
        ini.WriteString("Modem", "Model", " V90");
        ini.WriteString("Modem", "ForCallerId", "at+vcid=1");
        ini.WriteString("Modem", "DisCallerId", "at+vcid=0");
        ini.WriteBool("Params", "Voicefeatures", true);
        ini.WriteInteger("Params", "Compression", 1);
        CompressionRow ulaw;
        ulaw.Description = "ULAW";
        ulaw.bps = "8";
        ulaw.vsr = "8000";
        CompressionRow pcm = ulaw;
        pcm.Description = "UNSIGNED PCM";
        ASSERT_TRUE(CompressionsFile::write(compressionsPath(), {ulaw, pcm}));
    }

    RecordingTarget target;

    // Destroyed before the fixture's discovery and modem link.
    std::unique_ptr<ConfirmingWindow> m_window;
    std::unique_ptr<TfmInitORV> m_setup;
};

TEST_F(InitOrvTest, FirstStartWithoutModem)
{
    setup().FormCreate();

    EXPECT_EQ(messages.texts, QStringList{"        No modem detected        "});
    EXPECT_EQ(paramsKey("Voicefeatures"), "0");
    EXPECT_FALSE(voiceSupported);
    EXPECT_FALSE(modemLink().PortOpen());
    EXPECT_FALSE(ini.SectionExists("Modem"));
    EXPECT_EQ(windowShown(), 0);
    EXPECT_FALSE(recordable());
    EXPECT_TRUE(QFileInfo(dir.filePath("wav")).isDir());
    EXPECT_EQ(target.windowSettings, 1);
    EXPECT_EQ(target.commandResets, 1);
}

TEST_F(InitOrvTest, FirstStartConfiguresTheModemItFinds)
{
    VirtualModemProcess &modem = startModem("voice", 3);
    addInstalledLink("usb-Conexant_USB_Modem_1234-if00", modem.path());
    ini.WriteInteger("Modem", "port", 0); // as good as no modem

    setup().FormCreate();

    EXPECT_EQ(windowShown(), 1);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_EQ(modemKey("Model"), "Conexant USB Modem");
    EXPECT_EQ(profile.port, 3);
    EXPECT_EQ(profile.ForCallerId, "at+vcid=1");
    EXPECT_TRUE(voiceSupported);
    EXPECT_TRUE(modemLink().PortOpen());
    EXPECT_TRUE(modemLink().AutoRecordArmed());
    EXPECT_TRUE(recordable());
    EXPECT_EQ(target.port, 3);
    EXPECT_EQ(target.model, "Conexant USB Modem");
    EXPECT_EQ(parse().CurrentCompression.Description, "UNSIGNED PCM");
    Waits::waitUntil([&] { return modem.log().contains("<< at+vcid=1"); }, 5000);
    EXPECT_TRUE(modem.log().contains("<< atz"));
}

TEST_F(InitOrvTest, ExistingConfigurationOpensThePortAndArmsAutoRecord)
{
    VirtualModemProcess &modem = startModem("voice", 6);
    addInstalledLink("usb-Conexant_USB_Modem_1234-if00", modem.path());
    writeConfiguredModem(6);
    ini.WriteBool("Params", "ExtPlayer", true);
    ini.WriteString("Params", "Player", "/usr/bin/mpv");

    setup().FormCreate();

    EXPECT_EQ(windowShown(), 0);
    EXPECT_EQ(discovery().candidateCount(), 0);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(modemLink().PortOpen());
    EXPECT_EQ(modemLink().portNumber(), 6);
    EXPECT_TRUE(modemLink().AutoRecordArmed());
    EXPECT_TRUE(logHas("Enabling autoRecord mode"));
    EXPECT_TRUE(recordable());
    EXPECT_EQ(parse().CurrentCompression.Description, "UNSIGNED PCM");
    EXPECT_TRUE(prefs.ExtPlayer);
    EXPECT_EQ(prefs.Player, "/usr/bin/mpv");
    Waits::waitUntil([&] { return modem.log().contains("<< at+vcid=1"); }, 5000);
    EXPECT_TRUE(modem.log().contains("<< atz"));
    EXPECT_FALSE(modem.log().contains("AT+GMM?"));

    // After the settings dialog: an open port is neither reopened nor initialised again.
    prefs.AutoRecord = false;
    const qsizetype resets = modem.log().count("<< atz");
    setup().ApplySettings();
    EXPECT_FALSE(modemLink().AutoRecordArmed());
    Waits::waitMs(300);
    EXPECT_EQ(modem.log().count("<< atz"), resets);
}

TEST_F(InitOrvTest, ModemWithoutVoiceFeaturesStillOpensThePort)
{
    startModem("data", 2);
    writeConfiguredModem(2);
    ini.WriteBool("Params", "Voicefeatures", false);

    setup().ApplySettings();

    EXPECT_EQ(messages.texts, QStringList{TfmInitORV::NoVoiceMessage});
    EXPECT_FALSE(recordable()) << "no voice";
    EXPECT_TRUE(modemLink().PortOpen());
}

TEST_F(InitOrvTest, PortThatCannotBeOpenedDisablesRecording)
{
    writeConfiguredModem(6);
    ini.WriteInteger("Params", "Compression", 9); // past the table's end

    setup().ApplySettings();

    EXPECT_EQ(messages.texts, QStringList{"Error during opening com port 6"});
    EXPECT_FALSE(recordable()) << "no port";
    EXPECT_FALSE(modemLink().PortOpen());
    EXPECT_TRUE(parse().CurrentCompression.Description.isEmpty());
}
