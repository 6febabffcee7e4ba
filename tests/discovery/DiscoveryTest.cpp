// Discovery end to end against the virtual modem on pseudo-terminals: the port scan, the
// identification, and the confirmation of voice, data-only and unusual modems.
#include "DiscoveryFixture.h"
#include "RefusingPort.h"

#include "config/WaveFormatIni.h"
#include "modem/PortPermission.h"
#include "modem/capabilities/CompressionsFile.h"

#include <QSignalSpy>

namespace {
const QString Checking = QStringLiteral("checking V.253 standard");
}

class DiscoveryTest : public DiscoveryFixture
{
protected:
    // Offers a virtual modem as an installed modem on COM port and confirms it.
    void confirmInstalled(const QString &profileName, int port = 7)
    {
        VirtualModemProcess &modem = startModem(profileName, port);
        addInstalledLink("usb-Virtual_Voice_Modem_42-if00", modem.path());
        ASSERT_EQ(discovery().FindModems(), 1);
        ASSERT_EQ(discovery().candidate(0).port, port);
        ASSERT_TRUE(discovery().prepareShow());
        QSignalSpy closed(&discovery(), &ModemDiscovery::closeRequested);
        discovery().ConfirmModem();
        EXPECT_EQ(closed.count(), 1);
        EXPECT_TRUE(discovery().controlsEnabled());
        EXPECT_FALSE(discovery().gaugeVisible());
        EXPECT_FALSE(modemLink().PortOpen());
    }
};

TEST_F(DiscoveryTest, ScanFindsModemsAndConfirmsTheVoiceModemsProfile)
{
    startModem("mixed", 2);
    VirtualModemProcess &voice = startModem("voice", 5);
    QSignalSpy progress(&discovery(), &ModemDiscovery::progressChanged);
    QSignalSpy shown(&discovery(), &ModemDiscovery::progressShown);

    ASSERT_EQ(discovery().FindModems(), 2);

    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.at(0).at(0).toString(), "Finding modems... ");
    ASSERT_EQ(progress.count(), 8);
    EXPECT_EQ(progress.at(0).at(0).toInt(), 13);
    EXPECT_EQ(progress.at(7).at(0).toInt(), 100);
    EXPECT_EQ(discovery().listLines(), QStringList({" Mixed Voice 56K", " V90"}));
    const TModemParams &mixed = discovery().candidate(0);
    EXPECT_EQ(mixed.PortName, "com2");
    EXPECT_EQ(mixed.port, 2);
    EXPECT_EQ(mixed.Manufacturer, " MIXED");
    EXPECT_EQ(mixed.DriverDate, "Unspecified driver");
    const TModemParams &found = discovery().candidate(1);
    EXPECT_EQ(found.PortName, "com5");
    EXPECT_EQ(found.Manufacturer, " CONEXANT");
    EXPECT_EQ(found.DriverDate, " CX93001-EIS_V0.2013-V92");
    const QStringList expectedLog = {"----- finding modems -----",
                                     "Opening COM1: Port Unavailable.",
                                     "Opening COM2: Successful!",
                                     "Modem Found on COM2:",
                                     "Opening COM3: Port Unavailable.",
                                     "Opening COM5: Successful!",
                                     "Modem Found on COM5:",
                                     "Opening COM8: Port Unavailable.",
                                     "----- finding modems finished -----"};
    for (const QString &line : expectedLog)
        EXPECT_TRUE(logHas(line)) << line.toStdString();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();

    discovery().prepareShow();
    discovery().setSelected(1);
    QSignalSpy gauge(&discovery(), &ModemDiscovery::gaugeChanged);
    discovery().ConfirmModem();

    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(voiceSupported);
    EXPECT_EQ(profile.port, 5);
    ASSERT_GE(gauge.count(), 14);
    EXPECT_EQ(gauge.at(gauge.count() - 2).at(1).toInt(), 100);
    EXPECT_FALSE(gauge.last().at(0).toBool());

    struct Key
    {
        const char *section;
        const char *key;
        const char *value;
    };
    const Key keys[] = {
        {"Modem", "port", "5"},
        // The blank after the reply's ":" is kept, but values are read back trimmed.
        {"Modem", "Model", "V90"},
        {"Modem", "Manufacturer", "CONEXANT"},
        {"Modem", "DriverDate", "CX93001-EIS_V0.2013-V92"},
        {"Modem", "DeviceDesc", ""},
        {"Modem", "Reset", ""},
        {"Modem", "answer", ""},
        {"Modem", "monitor", ""},
        {"Modem", "VoiceMode", "at+fclass=8"},
        {"Modem", "InitVoice", "none"}, // this modem refuses AT+VID
        {"Modem", "DisCallerId", "at+vcid=0"},
        {"Modem", "ForCallerId", "at+vcid=1"},
        {"Modem", "UnfCallerId", "at+vcid=2"},
        {"Modem", "Distinctive", "at+vdr=0"},
        {"Modem", "VoiceCompression", "at+vsm=1,8000,0,0"},
        {"Modem", "LineSel_T", "at+vls=1"},
        {"Modem", "LineSel_T#", "ok"},
        {"Modem", "SilenceTimer", "none"},
        {"Modem", "ToneGeneration", "at+vts="},
        {"Modem", "VoiceProcess", "at+vtr"},
        {"Modem", "VoiceTrx", "at+vtx"},
        {"Modem", "VoiceRec", "at+vrx"},
        {"Modem", "vgrMin", "0"},
        {"Modem", "vgrMax", "255"},
        {"Modem", "RecGain", "at+vgr=127"},
        {"Modem", "vgtMin", "0"},
        {"Modem", "vgtMax", "255"},
        {"Modem", "SpeakerVol", "at+vgt=127"},
        {"Modem", "SpeakerOn", "at+vsp=1"},
        {"Modem", "SpeakerOff", "at+vsp=0"},
        {"Modem", "MicGain", "at+vgm=128"},
        {"Modem", "SpeakerGain", "at+vgs=128"},
        {"Modem", "BeepTone", "<missing>"},
        {"Modem", "SamplingFreq", "<missing>"},
        {"Params", "Voicefeatures", "1"},
        {"Params", "Compression", "0"},
        {"Params", "UseLine", "at+vls=1"},
        {"Params", "UseLineRes", "ok"},
        {"Params", "Timeout", "4"},
    };
    for (const Key &k : keys) {
        SCOPED_TRACE(std::string(k.section) + " " + k.key);
        EXPECT_EQ(ini.ReadString(k.section, k.key, "<missing>"), k.value);
    }

    const QList<CompressionRow> rows = CompressionsFile::readAll(compressionsPath());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].cml, "130");
    EXPECT_EQ(rows[1].sel, "00");
    EXPECT_EQ(ini.readSection("Modem compressions").size(), 2);
    TdeWaveFormat format;
    ASSERT_EQ(ReadWaveFormat(ini, "Modem compression", format), TdeWaveFormat::Size);
    EXPECT_EQ(format.FormatTag(), 1);
    EXPECT_EQ(int(format.SamplesPerSec()), 8000);
    EXPECT_EQ(format.BitsPerSample(), 8);

    for (const char *line : {"echo off..", "at", "checking V.253 standard", "at+vid", "now vsm",
                             "at+vsm=?", "now vls", "at+vsp=1", "at+vgs=128"})
        EXPECT_TRUE(logHas(line)) << line;
    EXPECT_TRUE(query.text().contains("0BC01800")); // the line selections
    EXPECT_TRUE(voice.log().contains("<< at+vls=0"));
}

TEST_F(DiscoveryTest, ModemThatNeverAnswersIsNotACandidate)
{
    startModem("dead", 4);

    EXPECT_EQ(discovery().FindModems(), 0);

    EXPECT_TRUE(logHas("Opening COM4: Successful!"));
    EXPECT_FALSE(logHas("Modem Found on COM4:"));
    EXPECT_FALSE(discovery().prepareShow());
    EXPECT_EQ(messages.texts, QStringList{ModemDiscovery::NoModemMessage});
    EXPECT_EQ(paramsKey("Voicefeatures"), "0");
}

// A scan that finds no modem but was refused ports for lack of permission says so with the
// no-modem message: the refused devices, their group and the way in. A busy port is no reason.
TEST_F(DiscoveryTest, NoModemFoundNamesThePortsRefusedForPermission)
{
    QStringList devices;
    for (const char *name : {"ttyACM1", "ttyUSB0", "ttyUSB1"}) {
        devices << dir.filePath(name);
        QFile f(devices.last());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    auto *port = new RefusingPort({{2, {SerialError::Kind::Permission, devices[0]}},
                                   {5, {SerialError::Kind::InUse, devices[1]}},
                                   {6, {SerialError::Kind::Permission, devices[2]}}});
    ModemDiscovery scan(ini, profile, voiceSupported, modemLink(), parse(), log, messages, byIdDir,
                        std::unique_ptr<SerialPort>(port));

    EXPECT_EQ(scan.FindModems(), 0);
    EXPECT_FALSE(scan.prepareShow());
    const QString advice = PortPermission::advice(QStringList{devices[0], devices[2]});
    EXPECT_TRUE(advice.startsWith("Permission denied on " + devices[0] + ", " + devices[2]));
    ASSERT_EQ(messages.texts.size(), 4) << messages.texts.join("|").toStdString();
    EXPECT_TRUE(messages.texts[0].startsWith("Exception class name = EComPermissionDenied\n"));
    EXPECT_TRUE(messages.texts[1].startsWith("Exception class name = EComPortInUse\n"));
    EXPECT_TRUE(messages.texts[2].startsWith("Exception class name = EComPermissionDenied\n"));
    EXPECT_EQ(messages.texts[3], ModemDiscovery::NoModemMessage + "\n" + advice);

    // The next search starts afresh: with nothing refused, the message stands alone.
    port->setRefusals({{5, {SerialError::Kind::InUse, devices[1]}}});
    messages.texts.clear();
    EXPECT_EQ(scan.FindModems(), 0);
    EXPECT_FALSE(scan.prepareShow());
    EXPECT_EQ(messages.texts.last(), ModemDiscovery::NoModemMessage);
}

TEST_F(DiscoveryTest, DataOnlyModemGetsEveryCommandNone)
{
    QFile table(compressionsPath());
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("earlier modem's table");
    table.close();

    confirmInstalled("data");

    EXPECT_FALSE(voiceSupported);
    EXPECT_EQ(modemKey("Model"), "Virtual Voice Modem");
    EXPECT_EQ(modemKey("Manufacturer"), "");
    EXPECT_EQ(modemKey("port"), "7");
    for (const char *key :
         {"VoiceMode",    "InitVoice",      "DisCallerId",  "ForCallerId", "UnfCallerId",
          "Distinctive",  "SpeakerVol",     "LineSel_T",    "LineSel_T#",  "BeepTone",
          "SilenceTimer", "ToneGeneration", "VoiceProcess", "VoiceTrx",    "VoiceRec",
          "RecGain",      "SpeakerOn",      "SpeakerOff",   "MicGain",     "SpeakerGain"})
        EXPECT_EQ(modemKey(key), "none") << key;
    for (const char *key : {"VoiceCompression", "vgrMin", "vgrMax", "vgtMin", "vgtMax"})
        EXPECT_EQ(modemKey(key), "<missing>") << key;
    EXPECT_EQ(paramsKey("Voicefeatures"), "0");
    EXPECT_EQ(paramsKey("Timeout"), "4");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_EQ(table.readAll(), "earlier modem's table");
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(DiscoveryTest, ModemWithoutCallerIdKeepsTheOtherCommands)
{
    confirmInstalled("nocid");

    EXPECT_EQ(modemKey("ForCallerId"), "none");
    EXPECT_EQ(modemKey("UnfCallerId"), "none");
    EXPECT_EQ(modemKey("DisCallerId"), "at+vcid=0");
    EXPECT_EQ(modemKey("VoiceCompression"), "at+vsm=1,8000,0,0");
    EXPECT_EQ(paramsKey("Voicefeatures"), "1");
}

TEST_F(DiscoveryTest, CompressionWithoutCodecFormatLeavesNoModemCompression)
{
    ini.WriteString("Modem compression", "Desc", "an earlier modem's format");

    confirmInstalled("rate7200");

    EXPECT_EQ(messages.texts, QStringList{TfmParse::NoCodecMessage});
    EXPECT_FALSE(ini.SectionExists("Modem compression"));
    EXPECT_EQ(modemKey("VoiceCompression"), "at+vsm=1,7200,0,0");
    EXPECT_EQ(paramsKey("Compression"), "0");
    EXPECT_EQ(CompressionsFile::readAll(compressionsPath()).size(), 2);
    EXPECT_EQ(paramsKey("Voicefeatures"), "1");
}

TEST_F(DiscoveryTest, MixedCompressionListAndGainShapes)
{
    confirmInstalled("mixed");

    const QList<CompressionRow> rows = CompressionsFile::readAll(compressionsPath());
    QStringList commands;
    for (const CompressionRow &r : rows)
        commands.append(r.Description + " " + r.VSMCommand);
    EXPECT_EQ(commands, QStringList({"UNSIGNED PCM at+vsm=128,8000", "ULAW at+vsm=1;8000",
                                     "ALAW at+vsm=2;8000", "SIGNED PCM at+vsm=3,7200",
                                     "ULAW at+vsm=4,8000,0,0"}));
    EXPECT_EQ(rows[3].cmid, "SIGNED PCM");
    EXPECT_EQ(modemKey("VoiceCompression"), "at+vsm=128,8000");
    EXPECT_EQ(modemKey("vgrMax"), "127");
    EXPECT_EQ(modemKey("RecGain"), "at+vgr=63");
    EXPECT_EQ(modemKey("vgtMin"), "-1");
    EXPECT_EQ(modemKey("SpeakerVol"), "at+vgt=-1");
    EXPECT_TRUE(ini.SectionExists("Modem compression"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

TEST_F(DiscoveryTest, NoRecognisedCompressionIsRecordedAsNone)
{
    confirmInstalled("zyxel");

    EXPECT_EQ(messages.texts, QStringList{TfmParse::NoCompressionMessage});
    EXPECT_EQ(modemKey("VoiceCompression"), "at+vsm=none");
    EXPECT_EQ(modemKey("SamplingFreq"), "0");
    EXPECT_EQ(paramsKey("Compression"), "");
    EXPECT_EQ(QFileInfo(compressionsPath()).size(), 0);
    EXPECT_EQ(modemKey("RecGain"), "none");
    EXPECT_EQ(modemKey("vgrMin"), "<missing>");
    EXPECT_EQ(modemKey("SpeakerVol"), "at+vgt=127");
    EXPECT_EQ(profile.VoiceCompression, "at+vsm=none");
}

TEST_F(DiscoveryTest, ModemSilentAtConfirmationWritesOnlyVoiceFeatures)
{
    confirmInstalled("dead");

    EXPECT_EQ(messages.texts,
              QStringList{"Error detected\nPossible cause\nYour modem is not connected to port"});
    EXPECT_FALSE(ini.SectionExists("Modem"));
    EXPECT_EQ(paramsKey("Voicefeatures"), "0");
}

TEST_F(DiscoveryTest, PortThatCannotBeOpenedKeepsTheWindowOpen)
{
    mapPort(9, dir.filePath("gone"));
    addInstalledLink("usb-Gone_Modem-if00", dir.filePath("gone"));
    ASSERT_EQ(discovery().FindModems(), 1);
    ASSERT_TRUE(discovery().prepareShow());
    QSignalSpy closed(&discovery(), &ModemDiscovery::closeRequested);

    discovery().ConfirmModem();

    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(discovery().controlsEnabled());
    EXPECT_EQ(messages.texts, QStringList{"Error detected opening Com9\nPossible cause\nYour "
                                          "modem is bound to another software such as a fax "
                                          "software"});
    EXPECT_EQ(paramsKey("Voicefeatures"), "0");
    EXPECT_FALSE(ini.SectionExists("Modem"));
}

TEST_F(DiscoveryTest, OkWithoutSelectionClosesWithoutWriting)
{
    addInstalledLink("usb-Some_Modem-if00", dir.filePath("nothing"));
    ASSERT_EQ(discovery().FindModems(), 1);
    const QByteArray before = [&] {
        QFile f(ini.FileName());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QSignalSpy closed(&discovery(), &ModemDiscovery::closeRequested);

    discovery().ConfirmModem();

    EXPECT_EQ(closed.count(), 1);
    QFile after(ini.FileName());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}
