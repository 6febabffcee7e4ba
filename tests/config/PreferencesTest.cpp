// Loading the preferences and seeding what a first start or an old file lacks.
#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const DialogFont Font{QStringLiteral("Sans"), 9, -16777208};

FileFormatSource fakeFormats()
{
    return {[] { return QByteArray(128, '\x01'); },
            [](const QByteArray &bin) { return QStringLiteral("fmt %1").arg(bin.size()); }};
}

class PreferencesTest : public ::testing::Test
{
protected:
    void load() { loadPreferences(ini, prefs, "/data", Font, fakeFormats()); }

    QTemporaryDir dir;
    TIniFile ini{dir.filePath("orv.ini")};
    Preferences prefs;
};

TEST_F(PreferencesTest, FirstStartWritesACompleteSetOfPreferences)
{
    load();
    EXPECT_EQ(ini.readSection("Monitor"),
              QStringList({"PlayTrace", "RecordTrace", "Points", "BackColor", "TraceColor"}));
    EXPECT_EQ(ini.readSection("Params"),
              QStringList({"AutoRecord", "DiscTime", "RejectCall", "RejectRings", "Timeout",
                           "StartUp", "CallerID", "wavDir"}));
    EXPECT_EQ(ini.readSection("Fonts"), QStringList({"FontName", "FontSize", "FontColor"}));
    EXPECT_EQ(ini.readSection("File compression"), QStringList({"Desc", "Bin"}));

    EXPECT_EQ(ini.ReadString("Params", "CallerID", {}), "1");
    EXPECT_EQ(ini.ReadString("Params", "wavDir", {}), "/data/wav/");
    EXPECT_EQ(ini.ReadString("Monitor", "TraceColor", {}), "65280");
    EXPECT_EQ(ini.ReadString("Fonts", "FontColor", {}), "-16777208");
    EXPECT_EQ(ini.ReadString("File compression", "Desc", {}), "fmt 128");
    EXPECT_FALSE(ini.ValueExists("Modem", "baudrate")) << "never seeded";

    EXPECT_TRUE(prefs.AutoRecord);
    EXPECT_EQ(prefs.Timeout, 4);
    EXPECT_EQ(prefs.FileCompression, QByteArray(128, '\x01'));
    EXPECT_EQ(prefs.baudRateValue(), 115200);
    EXPECT_EQ(prefs.flowControlName(), "Hardware");
    EXPECT_EQ(prefs.pointsValue(), 1800);
}

TEST_F(PreferencesTest, MissingAutoRecordResetsTheOtherRulesOfAnOldFile)
{
    ini.WriteInteger("Params", "Timeout", 7);
    ini.WriteInteger("Params", "DiscTime", 25);
    load();
    EXPECT_EQ(ini.ReadInteger("Params", "Timeout", 0), 4);
    EXPECT_EQ(ini.ReadInteger("Params", "DiscTime", 0), 10);

    ini.WriteInteger("Params", "Timeout", 7);
    load();
    EXPECT_EQ(prefs.Timeout, 7) << "with AutoRecord present the values are only read";
}

TEST_F(PreferencesTest, CallerIdFollowsTheModemsCallerIdCommand)
{
    struct Case
    {
        const char *forCallerId; // nullptr: key missing
        const char *callerId;    // nullptr: key missing
        const char *written;
        bool value;
    };
    const Case cases[] = {
        {"none", nullptr, "0", false},       {"at+vcid=1", nullptr, "1", true},
        {nullptr, nullptr, "1", true},       {"NONE", "junk", "junk", false},
        {"at+vcid=1", "junk", "junk", true}, {"none", "1", "1", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.forCallerId ? c.forCallerId : "-") + "/" +
                     (c.callerId ? c.callerId : "-"));
        ini.EraseSection("Modem");
        ini.EraseSection("Params");
        if (c.forCallerId)
            ini.WriteString("Modem", "ForCallerId", c.forCallerId);
        if (c.callerId)
            ini.WriteString("Params", "CallerID", c.callerId);
        load();
        EXPECT_EQ(ini.ReadString("Params", "CallerID", {}), c.written);
        EXPECT_EQ(prefs.CallerID, c.value);
    }
}

TEST_F(PreferencesTest, ValuesOutsideTheDialogsRangesAreBounded)
{
    ini.WriteInteger("Params", "AutoRecord", 0);
    ini.WriteInteger("Params", "Timeout", 100);
    ini.WriteInteger("Params", "RejectRings", 1);
    ini.WriteString("Params", "DiscTime", "ten");
    ini.WriteInteger("Monitor", "Points", 55);
    ini.WriteInteger("Modem", "baudrate", -3);
    ini.WriteString("Params", "wavDir", "/rec");
    load();
    EXPECT_FALSE(prefs.AutoRecord);
    EXPECT_EQ(prefs.Timeout, 8);
    EXPECT_EQ(prefs.RejectRings, 2);
    EXPECT_EQ(prefs.DiscTime, 10);
    EXPECT_EQ(prefs.Points, 9);
    EXPECT_EQ(prefs.baudrate, 0);
    EXPECT_EQ(prefs.wavDir, "/rec/");
}

TEST_F(PreferencesTest, ModemProfileReadsEveryKeyWithItsDefaults)
{
    TModemParams profile;
    profile.PortName = "kept";
    LoadModemProfile(ini, profile);
    EXPECT_EQ(profile.port, 1);
    EXPECT_EQ(profile.PortName, "kept");
    EXPECT_TRUE(profile.VoiceRec.isEmpty());

    ini.WriteString("modem", "port", "3");
    ini.WriteString("Modem", "LineSel_T#", "ok");
    ini.WriteString("Modem", "ForCallerId", "None");
    ini.WriteString("Params", "UseLine", "at#cls=8");
    LoadModemProfile(ini, profile);
    EXPECT_EQ(profile.port, 3);
    EXPECT_EQ(profile.LineSel_T_Reply, "ok");
    EXPECT_EQ(profile.UseLine, "at#cls=8");
    EXPECT_FALSE(TModemParams::isSupported(profile.ForCallerId));
    EXPECT_TRUE(TModemParams::isSupported("at+vcid=1"));
}

} // namespace
