// The settings dialog offscreen, driven through the chooser services: what each page shows
// and what OK, Cancel and the buttons write to orv.ini; "Find modems" on the virtual modem.
#include "app/AppContext.h"
#include "app/ColorValue.h"
#include "app/settings/AutoRecordPage.h"
#include "app/settings/GeneralPage.h"
#include "app/settings/MediaPlayerPage.h"
#include "app/settings/ModemPage.h"
#include "app/settings/MonitorPage.h"
#include "app/settings/ParametersPage.h"
#include "app/settings/RulesPage.h"
#include "app/settings/StartupRegistrar.h"
#include "app/settings/StoragePage.h"
#include "app/settings/TfmSettings.h"
#include "audio/FormatChooser.h"
#include "audio/StandardFormats.h"
#include "config/ProgramDir.h"
#include "config/RecordingFormat.h"
#include "config/SettingsStore.h"
#include "config/WaveFormatIni.h"
#include "modem/TfmModem.h"
#include "modem/capabilities/CompressionsFile.h"
#include "modem/discovery/ModemDiscovery.h"
#include "modem/discovery/QueryBuffer.h"
#include "modem/discovery/TfmParse.h"
#include "modem/discovery/ui/TProgressForm.h"
#include "modem/discovery/ui/TSpecModemForm.h"
#include "support/ScriptedMessageService.h"
#include "support/ui/ChooserService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStorageInfo>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "WindowHarness.h"

#include "ScaledTime.h"
#include "VirtualModemProcess.h"
#include "VoiceModemSetup.h"

namespace {

// Answers the format chooser with a set format, or cancels.
class ScriptedFormatChooser final : public FormatChooser
{
public:
    codecs::Result choose(codecs::FormatBlock &format, const QString &title) override
    {
        titles << title;
        if (!answer)
            return codecs::Result::Cancelled;
        format = answer->Buffer();
        return codecs::Result::Ok;
    }
    std::optional<TdeWaveFormat> answer;
    QStringList titles;
};

class SettingsDialogTest : public ::testing::Test
{
protected:
    ScaledTime fast{0.25};

    void SetUp() override
    {
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
        testContext = std::make_unique<TestContext>(dir.path(), messages);
        ctx = &testContext->context;
        ctx->choosers = &choosers;
        ctx->formatChooser = &formats;
        for (int port = 1; port <= 16; ++port)
            ctx->ini.WriteString("Ports", QStringLiteral("COM%1").arg(port),
                                 dir.filePath(QStringLiteral("no-such-tty%1").arg(port)));
        QDir(dir.path()).mkdir("by-id");
    }

    // The start-up's load, then the dialog as the program creates it.
    TfmSettings &open()
    {
        loadPreferences(ctx->ini, ctx->prefs, dir.path(), {"Sans", 9, -16777208},
                        RecordingFormatSource());
        ctx->prefs.FlowControl = 2; // a pseudo-terminal has no handshake lines
        modem =
            std::make_unique<TfmModem>(ctx->ini, ctx->prefs, ctx->ModemProfile, ctx->log, messages);
        parse = std::make_unique<TfmParse>(ctx->ini, ctx->ModemProfile, *modem, query, ctx->log,
                                           messages, dir.filePath("Compressions.d"));
        discovery = std::make_unique<ModemDiscovery>(ctx->ini, ctx->ModemProfile,
                                                     ctx->VoiceSupported, *modem, *parse, ctx->log,
                                                     messages, dir.filePath("by-id"));
        discoveryWindow = std::make_unique<TSpecModemForm>(*discovery, progress, true);
        dialog = std::make_unique<TfmSettings>(
            *ctx, SettingsCollaborators{*modem, *parse, *discovery, *discoveryWindow, registrar});
        dialog->prepareShow();
        return *dialog;
    }

    // A modem as discovery leaves it, on a device that is not there.
    void configureModem()
    {
        writeVirtualModemSetup(ctx->ini, dir.path(), dir.filePath("no-such-tty3"),
                               WorkingPcmFormat());
        CompressionRow noCodec = *ParseVsmLine("1,\"UNSIGNED PCM\",8,0,7200,0,0");
        noCodec.VSMCommand = BuildVsmCommand(noCodec);
        CompressionRow pcm = *ParseVsmLine("1,\"UNSIGNED PCM\",8,0,8000,0,0");
        pcm.VSMCommand = BuildVsmCommand(pcm);
        CompressionsFile::write(dir.filePath("Compressions.d"), {pcm, noCodec});
        ctx->ini.WriteString("Modem", "Model", "Virtual voice modem");
        ctx->ini.WriteString("Modem", "SpeakerVol", "at+vgt=200");
        ctx->ini.WriteString("Params", "Voicefeatures", "1");
    }

    QString key(const char *section, const char *name)
    {
        return ctx->ini.ReadString(section, name, "<missing>");
    }

    void ok() { dialog->okButton()->click(); }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    ScriptedChooserService choosers;
    ScriptedFormatChooser formats;
    std::unique_ptr<TestContext> testContext;
    AppContext *ctx = nullptr;
    QueryBuffer query;
    TProgressForm progress;
    StartupRegistrar registrar{dir.filePath("autostart"), "/opt/calvora/bin/calvora", {}};
    std::unique_ptr<TfmModem> modem;
    std::unique_ptr<TfmParse> parse;
    std::unique_ptr<ModemDiscovery> discovery;
    std::unique_ptr<TSpecModemForm> discoveryWindow;
    std::unique_ptr<TfmSettings> dialog;
};

TEST_F(SettingsDialogTest, EightPagesAndEveryControlNamed)
{
    TfmSettings &d = open();
    EXPECT_EQ(d.windowTitle(), "Settings");
    QStringList tabs;
    for (int i = 0; i < d.pages()->count(); ++i)
        tabs << d.pages()->tabText(i);
    EXPECT_EQ(tabs, QStringList({"General", "Modem", "Parameters", "Media player", "Monitor",
                                 "Auto record", "Storage", "Rules"}));
    EXPECT_EQ(d.pages()->currentIndex(), 0);
    QKeyEvent nextPage(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
    QApplication::sendEvent(d.pages(), &nextPage);
    EXPECT_EQ(d.pages()->currentIndex(), 1) << "Ctrl+Tab goes through the pages";

    int controls = 0;
    for (QWidget *w : d.findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) ||
                             qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QSlider *>(w) ||
                             qobject_cast<QLineEdit *>(w);
        if (!control || qobject_cast<QLineEdit *>(w->parentWidget()) ||
            qobject_cast<QAbstractSpinBox *>(w->parentWidget()) ||
            qobject_cast<QComboBox *>(w->parentWidget()) ||
            qobject_cast<QTabBar *>(w->parentWidget()) || w->objectName().startsWith("qt_"))
            continue;
        ++controls;
        auto *button = qobject_cast<QAbstractButton *>(w);
        const QString name =
            w->accessibleName().isEmpty() && button ? button->text() : w->accessibleName();
        EXPECT_FALSE(name.isEmpty())
            << w->metaObject()->className() << " " << w->objectName().toStdString();
        EXPECT_NE(w->focusPolicy(), Qt::NoFocus) << w->objectName().toStdString();
    }
    EXPECT_GE(controls, 25);
}

TEST_F(SettingsDialogTest, WithoutModemTheModemPageSaysSoAndOkWritesNoModemKey)
{
    TfmSettings &d = open();
    EXPECT_EQ(d.modemPage()->modelLabel()->text(), "No modem detected");
    EXPECT_EQ(d.modemPage()->portLabel()->text(), "Com ");
    EXPECT_FALSE(d.modemPage()->compressionList()->isEnabled());
    ctx->VoiceSupported = false;
    d.prepareShow();
    EXPECT_FALSE(d.parametersPage()->speakerSlider()->isEnabled());
    EXPECT_FALSE(d.autoRecordPage()->autoRecordBox()->isEnabled());
    EXPECT_FALSE(d.autoRecordPage()->conditionsGroup()->isEnabled());
    EXPECT_FALSE(d.generalPage()->callerIdBox()->isEnabled()) << "no modem, no caller ID";
    EXPECT_FALSE(d.generalPage()->callerIdBox()->isChecked());
    ok();
    EXPECT_FALSE(ctx->ini.SectionExists("Modem"));
    EXPECT_FALSE(ctx->ini.SectionExists("Notifications")) << "an option left as it was";
    EXPECT_EQ(key("Params", "Timeout"), "4");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

TEST_F(SettingsDialogTest, OkWritesTheKeysOfEveryPage)
{
    configureModem();
    TfmSettings &d = open();
    EXPECT_EQ(d.modemPage()->modelLabel()->text(), "Virtual voice modem");
    EXPECT_TRUE(d.modemPage()->portLabel()->text().startsWith("Com 3  (")) << "and its device";
    ASSERT_EQ(d.modemPage()->compressionList()->count(), 2);
    EXPECT_EQ(d.modemPage()->compressionList()->itemText(0), "UNSIGNED PCM 8bit 8000Hz");
    EXPECT_EQ(d.modemPage()->compressionList()->currentIndex(), 0);

    d.generalPage()->startUpBox()->setChecked(true);
    d.generalPage()->callerIdBox()->setChecked(false);
    EXPECT_TRUE(d.generalPage()->notificationsBox()->isChecked()) << "on by default";
    d.generalPage()->notificationsBox()->setChecked(false);
    choosers.fontAnswers.push_back(QFont("DejaVu Serif", 11));
    d.generalPage()->selectFontButton()->click();
    EXPECT_EQ(d.generalPage()->fontLabel()->text(), "DejaVu Serif");
    d.modemPage()->timeoutBox()->setValue(7);
    d.modemPage()->baudRateList()->setCurrentIndex(3);
    d.modemPage()->flowControlList()->setCurrentIndex(1);
    d.parametersPage()->speakerSlider()->setSliderPosition(90); // as the user drags it
    d.parametersPage()->recordSlider()->setSliderPosition(40);
    d.mediaPlayerPage()->externalPlayerBox()->setChecked(true);
    d.mediaPlayerPage()->playerEdit()->setText("/usr/bin/mpv");
    d.monitorPage()->playTraceBox()->setChecked(false);
    d.monitorPage()->pointsList()->setCurrentIndex(9);
    choosers.colorAnswers = {QColor(0x10, 0x20, 0x30), QColor(255, 0, 0)};
    d.monitorPage()->backgroundButton()->click();
    d.monitorPage()->traceButton()->click();
    d.autoRecordPage()->discTimeBox()->setValue(25);
    d.autoRecordPage()->rejectCallBox()->setChecked(false);
    d.autoRecordPage()->rejectRingsBox()->setValue(9);
    const QString folder = dir.filePath("calls");
    QDir().mkpath(folder);
    choosers.folderAnswers.push_back(folder);
    d.storagePage()->selectFolderButton()->click();
    EXPECT_EQ(d.storagePage()->folderEdit()->text(), folder + "/");
    EXPECT_EQ(choosers.captions, QStringList({"Font", "Background", "Trace", "Select folder"}));

    ok();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const std::tuple<const char *, const char *, QString> expected[] = {
        {"Modem", "SpeakerVol", "at+vgt=90"},
        {"Modem", "RecGain", "at+vgr=40"},
        {"Modem", "VoiceCompression", "at+vsm=1,8000,0,0"},
        {"Params", "Compression", "0"},
        {"Modem", "baudrate", "3"},
        {"Modem", "FlowControl", "1"},
        {"Params", "ExtPlayer", "1"},
        {"Params", "Player", "/usr/bin/mpv"},
        {"Fonts", "FontName", "DejaVu Serif"},
        {"Fonts", "FontSize", "11"},
        {"Params", "Timeout", "7"},
        {"Monitor", "PlayTrace", "0"},
        {"Monitor", "RecordTrace", "1"},
        {"Monitor", "Points", "9"},
        {"Monitor", "BackColor", QString::number(0x302010)},
        {"Monitor", "TraceColor", "255"},
        {"Params", "AutoRecord", "1"},
        {"Params", "DiscTime", "25"},
        {"Params", "RejectCall", "0"},
        {"Params", "RejectRings", "9"},
        {"Params", "StartUp", "1"},
        {"Params", "CallerID", "0"},
        {"Notifications", "Show", "0"},
        {"Params", "wavDir", folder + "/"}};
    for (const auto &[section, name, value] : expected)
        EXPECT_EQ(key(section, name), value) << section << " " << name;
    EXPECT_EQ(ctx->prefs.wavDir, folder + "/") << "the program uses the new values at once";
    EXPECT_EQ(SettingsStore::earlierRecordingsFolders(ctx->ini), QStringList{dir.path() + "/wav/"})
        << "where the recordings made so far are found";
    EXPECT_EQ(ctx->prefs.Timeout, 7);
    EXPECT_FALSE(ctx->prefs.Notifications);
    EXPECT_TRUE(ctx->ini.SectionExists("Modem compression"));
    EXPECT_TRUE(QFile::exists(registrar.entryPath()));
}

TEST_F(SettingsDialogTest, CancelReloadsFromTheFileButBrowseHasWrittenThePlayer)
{
    TfmSettings &d = open();
    d.mediaPlayerPage()->externalPlayerBox()->setChecked(false);
    EXPECT_FALSE(d.mediaPlayerPage()->browseButton()->isEnabled());
    EXPECT_FALSE(d.mediaPlayerPage()->playerEdit()->isEnabled());
    d.mediaPlayerPage()->externalPlayerBox()->setChecked(true);
    EXPECT_TRUE(d.mediaPlayerPage()->browseButton()->isEnabled());
    choosers.fileAnswers.push_back("/usr/bin/vlc");
    d.mediaPlayerPage()->browseButton()->click();
    EXPECT_EQ(key("Params", "Player"), "/usr/bin/vlc") << "written at once";
    d.autoRecordPage()->discTimeBox()->setValue(3);
    choosers.fontAnswers.push_back(QFont("DejaVu Serif", 11));
    d.generalPage()->selectFontButton()->click();

    d.cancelButton()->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(d.autoRecordPage()->discTimeBox()->value(), 10);
    EXPECT_EQ(key("Params", "DiscTime"), "10");
    EXPECT_NE(key("Fonts", "FontName"), "DejaVu Serif");
    EXPECT_EQ(ctx->prefs.Player, "/usr/bin/vlc");

    d.prepareShow();
    ok();
    EXPECT_NE(key("Fonts", "FontName"), "DejaVu Serif") << "the font was chosen before Cancel";
}

TEST_F(SettingsDialogTest, GainSlidersFollowTheModemsCommandsAndRanges)
{
    configureModem();
    ctx->ini.WriteString("Modem", "RecGain", "none");
    ctx->ini.WriteString("Modem", "vgrMin", "0");
    ctx->ini.WriteString("Modem", "vgrMax", "15");
    TfmSettings &d = open();
    QSlider *speaker = d.parametersPage()->speakerSlider();
    QSlider *record = d.parametersPage()->recordSlider();
    EXPECT_EQ(speaker->value(), 200) << "from at+vgt=200";
    d.pages()->setCurrentIndex(TfmSettings::Parameters);
    EXPECT_EQ(record->value(), 15) << "none keeps the slider, within the modem's range";
    EXPECT_EQ(ParametersPage::labelInterval(record), 1);
    EXPECT_EQ(record->tickInterval(), 1);
    EXPECT_EQ(ParametersPage::labelInterval(speaker), 64);
    EXPECT_EQ(speaker->tickInterval(), 8);
    ok();
    EXPECT_EQ(key("Modem", "RecGain"), "none") << "none is never overwritten";
    EXPECT_EQ(key("Modem", "SpeakerVol"), "at+vgt=200");

    // A gain beyond the modem's range is shown within it, and written only when the user
    // moves the slider: opening and closing the dialog changes no stored command.
    ctx->ini.WriteString("Modem", "RecGain", "at+vgr=300");
    ctx->ini.WriteString("Modem", "SpeakerVol", "at+vgt=280");
    d.prepareShow();
    ok();
    EXPECT_EQ(key("Modem", "RecGain"), "at+vgr=300");
    EXPECT_EQ(key("Modem", "SpeakerVol"), "at+vgt=280");
    d.prepareShow();
    d.pages()->setCurrentIndex(TfmSettings::Parameters);
    EXPECT_EQ(record->value(), 15);
    ok();
    EXPECT_EQ(key("Modem", "RecGain"), "at+vgr=300") << "shown, not moved";
    d.prepareShow();
    d.pages()->setCurrentIndex(TfmSettings::Parameters);
    record->setSliderPosition(10);
    ok();
    EXPECT_EQ(key("Modem", "RecGain"), "at+vgr=10");
    EXPECT_EQ(key("Modem", "SpeakerVol"), "at+vgt=280");

    struct Case
    {
        int min, max, interval, ticks;
    };
    for (const Case c : {Case{0, 15, 1, 1}, Case{0, 16, 2, 2}, Case{1, 32, 2, 2}, Case{0, 40, 8, 3},
                         Case{0, 63, 16, 4}, Case{0, 127, 32, 4}, Case{0, 255, 64, 8}}) {
        const auto scale = ParametersPage::scaleFor(c.min, c.max);
        ASSERT_TRUE(scale) << c.min << ".." << c.max;
        EXPECT_EQ(scale->labelInterval, c.interval) << c.min << ".." << c.max;
        EXPECT_EQ(scale->tickFrequency, c.ticks) << c.min << ".." << c.max;
    }
    EXPECT_FALSE(ParametersPage::scaleFor(0, 256));
}

TEST_F(SettingsDialogTest, ShownValuesFollowTheModemAndTheFile)
{
    configureModem();
    ctx->ini.WriteString("Params", "AutoRecord", "1"); // no seeding of the time-out
    ctx->ini.WriteString("Params", "RejectRings", "50");
    ctx->ini.WriteString("Modem", "ForCallerId", "none");
    TfmSettings &d = open();
    EXPECT_EQ(d.modemPage()->timeoutBox()->value(), 2) << "the default with a modem";
    EXPECT_EQ(d.autoRecordPage()->rejectRingsBox()->value(), 20) << "clamped into range";
    EXPECT_FALSE(d.generalPage()->callerIdBox()->isEnabled());
    EXPECT_FALSE(d.generalPage()->callerIdBox()->isChecked());

    d.autoRecordPage()->autoRecordBox()->setChecked(false);
    EXPECT_FALSE(d.autoRecordPage()->discTimeBox()->isEnabled());
    EXPECT_FALSE(d.autoRecordPage()->rejectCallBox()->isEnabled());
    EXPECT_FALSE(d.autoRecordPage()->rejectRingsBox()->isEnabled());
    d.autoRecordPage()->autoRecordBox()->setChecked(true);
    EXPECT_TRUE(d.autoRecordPage()->rejectRingsBox()->isEnabled());
    ok();
    EXPECT_EQ(key("Params", "RejectRings"), "20");
    EXPECT_EQ(key("Params", "Timeout"), "2");

    ctx->ini.WriteString("Params", "Timeout", "99");
    d.prepareShow();
    EXPECT_EQ(d.modemPage()->timeoutBox()->value(), 8);
    ok();
    EXPECT_EQ(key("Params", "Timeout"), "8");
}

TEST_F(SettingsDialogTest, FileCompressionIsTestedAndWrittenAtOnce)
{
    TfmSettings &d = open();
    const QString before = key("File compression", "Bin");
    formats.answer = ImaAdpcmDefaultFormat();
    d.generalPage()->selectFileFormatButton()->click();
    EXPECT_EQ(formats.titles, QStringList{"Choose file compression format"});
    TdeWaveFormat stored;
    ReadWaveFormat(ctx->ini, "File compression", stored);
    EXPECT_EQ(stored, ImaAdpcmDefaultFormat());
    EXPECT_EQ(d.generalPage()->fileFormatLabel()->text(),
              ImaAdpcmDefaultFormat().FormatDescription());
    EXPECT_NE(key("File compression", "Bin"), before);

    TdeWaveFormat unknown = WorkingPcmFormat();
    unknown.setFormatTag(0x7777);
    formats.answer = unknown;
    const QString good = key("File compression", "Bin");
    d.generalPage()->selectFileFormatButton()->click();
    EXPECT_EQ(messages.texts, QStringList{"Error was created. Choose a different compression."});
    EXPECT_EQ(key("File compression", "Bin"), good) << "the file keeps the format that works";

    formats.answer.reset(); // cancelled: nothing changes
    d.generalPage()->selectFileFormatButton()->click();
    EXPECT_EQ(key("File compression", "Bin"), good);
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(SettingsDialogTest, VoiceCompressionWithoutCodecKeepsTheDialogOpenAndWritesNoMore)
{
    configureModem();
    TfmSettings &d = open();
    d.modemPage()->compressionList()->setCurrentIndex(1);
    d.modemPage()->timeoutBox()->setValue(6);
    d.setResult(-1);
    ok();
    EXPECT_EQ(d.result(), -1) << "the dialog stays open";
    EXPECT_EQ(messages.texts, QStringList{TfmParse::NoCodecMessage});
    EXPECT_EQ(key("Modem", "VoiceCompression"), "at+vsm=1,7200,0,0");
    EXPECT_EQ(key("Params", "Compression"), "1");
    EXPECT_FALSE(ctx->ini.SectionExists("Modem compression"));
    EXPECT_EQ(key("Params", "Timeout"), "4") << "nothing after the codec match was written";
}

TEST_F(SettingsDialogTest, RecordingsFolderMustExistAndTakeFiles)
{
    TfmSettings &d = open();
    const QString before = d.storagePage()->folderEdit()->text();
    const QString missing = dir.filePath("no/such/folder");
    QFile plain(dir.filePath("a-file"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    choosers.folderAnswers = {missing, plain.fileName()};
    d.storagePage()->selectFolderButton()->click();
    d.storagePage()->selectFolderButton()->click();
    EXPECT_EQ(messages.texts, QStringList({TfmSettings::folderRefusedMessage(missing),
                                           TfmSettings::folderRefusedMessage(plain.fileName())}));
    EXPECT_EQ(d.storagePage()->folderEdit()->text(), before);

    // A folder removed after it was chosen is refused at OK, before anything is written.
    const QString gone = dir.filePath("gone");
    QDir().mkpath(gone);
    choosers.folderAnswers = {gone};
    d.storagePage()->selectFolderButton()->click();
    QDir(gone).removeRecursively();
    d.autoRecordPage()->discTimeBox()->setValue(3);
    d.setResult(-1);
    ok();
    EXPECT_EQ(d.result(), -1);
    EXPECT_EQ(messages.texts.size(), 3);
    EXPECT_EQ(key("Params", "DiscTime"), "10");
    EXPECT_EQ(key("Params", "wavDir"), before);
}

TEST_F(SettingsDialogTest, StoragePageMetersTheFoldersDisk)
{
    EXPECT_EQ(StoragePage::usedPercent(100, 25), 75);
    EXPECT_EQ(StoragePage::usedPercent(3, 1), 67);
    EXPECT_EQ(StoragePage::usedPercent(0, 0), std::nullopt);
    EXPECT_EQ(StoragePage::usedPercent(10, 11), std::nullopt);

    TfmSettings &d = open();
    d.pages()->setCurrentIndex(TfmSettings::Storage);
    const QStorageInfo disk(dir.path());
    EXPECT_EQ(d.storagePage()->diskLabel()->text(), "Disk " + disk.rootPath());
    EXPECT_EQ(d.storagePage()->meter()->value(),
              *StoragePage::usedPercent(disk.bytesTotal(), disk.bytesFree()));
}

TEST_F(SettingsDialogTest, StartWithTheSystemWritesAndRemovesTheAutostartEntry)
{
    TfmSettings &d = open();
    d.generalPage()->startUpBox()->setChecked(false);
    ok(); // never written: removing it is no error
    EXPECT_FALSE(QFile::exists(registrar.entryPath()));
    EXPECT_EQ(key("Params", "StartUp"), "0");

    d.prepareShow();
    d.generalPage()->startUpBox()->setChecked(true);
    ok();
    QFile entry(registrar.entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nExec=/opt/calvora/bin/calvora STARTUP\n")) << text.toStdString();
    EXPECT_TRUE(ctx->prefs.StartUp);

    d.prepareShow();
    EXPECT_TRUE(d.generalPage()->startUpBox()->isChecked());
    d.generalPage()->startUpBox()->setChecked(false);
    ok();
    EXPECT_FALSE(QFile::exists(registrar.entryPath()));
}

TEST(StartupRegistrarTest, ExecQuotesThePathsItNames)
{
    QTemporaryDir dir;
    StartupRegistrar plain(dir.path(), "/usr/bin/calvora", {});
    ASSERT_TRUE(plain.Start("STARTUP"));
    EXPECT_EQ(plain.execLine(), "/usr/bin/calvora STARTUP");

    StartupRegistrar odd(dir.path(), "/opt/my apps/calvora", "/home/u/50% \"calls\"");
    ASSERT_TRUE(odd.Start("STARTUP"));
    EXPECT_EQ(odd.execLine(), "\"/opt/my apps/calvora\" STARTUP --data-dir "
                              "\"/home/u/50%% \\\"calls\\\"\"");
    QFile entry(odd.entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    // The value escapes each backslash once more.
    EXPECT_TRUE(entry.readAll().contains(
        "Exec=\"/opt/my apps/calvora\" STARTUP --data-dir \"/home/u/50%% \\\\\"calls\\\\\"\"\n"));
    EXPECT_TRUE(odd.Stop());
    EXPECT_FALSE(QFile::exists(odd.entryPath()));
    EXPECT_TRUE(odd.Stop());
}

TEST_F(SettingsDialogTest, FindModemsWithoutModemErasesTheModemAndDisablesCancel)
{
    configureModem();
    TfmSettings &d = open();
    d.modemPage()->findModemsButton()->click();
    EXPECT_EQ(messages.texts, QStringList{ModemDiscovery::NoModemMessage});
    EXPECT_FALSE(ctx->ini.SectionExists("Modem"));
    EXPECT_EQ(key("Params", "Voicefeatures"), "0");
    EXPECT_FALSE(d.cancelButton()->isEnabled());
    EXPECT_EQ(d.modemPage()->modelLabel()->text(), "No modem detected");
    EXPECT_EQ(d.modemPage()->portLabel()->text(), "Com ");
    EXPECT_EQ(d.modemPage()->compressionList()->count(), 0);
    EXPECT_FALSE(d.parametersPage()->speakerSlider()->isEnabled());
}

// A call being recorded holds the modem: the search is refused and the modem left alone.
TEST_F(SettingsDialogTest, FindModemsWaitsForTheCallBeingRecorded)
{
    configureModem();
    TfmSettings &d = open();
    d.modemFree = [] { return false; };
    d.modemPage()->findModemsButton()->click();
    EXPECT_EQ(messages.texts, QStringList{TfmSettings::ModemBusyText});
    EXPECT_TRUE(ctx->ini.SectionExists("Modem"));
    EXPECT_TRUE(d.cancelButton()->isEnabled());
    EXPECT_FALSE(d.callsOffLabel()->isVisibleTo(&d));
}

TEST_F(SettingsDialogTest, FindModemsOnTheVirtualModemRefreshesLabelsAndCompressions)
{
    VirtualModemProcess vmodem;
    ASSERT_TRUE(vmodem.start({"--profile", "voice"}));
    ctx->ini.WriteString("Ports", "COM2", vmodem.path());
    ctx->VoiceSupported = false;
    TfmSettings &d = open();
    EXPECT_EQ(d.modemPage()->compressionList()->count(), 0);
    int searchesEnded = 0;
    d.modemSearchEnded = [&] { ++searchesEnded; };
    // The dialog says that calls are not recorded while the search holds the modem.
    bool saidCallsOff = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout,
                     [&] { saidCallsOff = saidCallsOff || d.callsOffLabel()->isVisibleTo(&d); });
    watch.start(5);

    d.modemPage()->findModemsButton()->click();
    EXPECT_TRUE(saidCallsOff);
    EXPECT_FALSE(d.callsOffLabel()->isVisibleTo(&d));
    EXPECT_EQ(searchesEnded, 1) << "the modem found is taken up";
    EXPECT_FALSE(d.cancelButton()->isEnabled());
    EXPECT_TRUE(ctx->ini.SectionExists("Modem"));
    EXPECT_EQ(d.modemPage()->modelLabel()->text(), key("Modem", "Model"));
    EXPECT_TRUE(d.modemPage()->portLabel()->text().startsWith("Com 2  (")) << "and its device";
    const QList<CompressionRow> rows = CompressionsFile::readAll(dir.filePath("Compressions.d"));
    ASSERT_FALSE(rows.isEmpty());
    ASSERT_EQ(d.modemPage()->compressionList()->count(), rows.size());
    EXPECT_EQ(d.modemPage()->compressionList()->itemText(0),
              rows[0].Description + " " + rows[0].bps + "bit " + rows[0].vsr + "Hz");
    EXPECT_TRUE(d.modemPage()->compressionList()->isEnabled());
    EXPECT_TRUE(d.parametersPage()->speakerSlider()->isEnabled());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

} // namespace

namespace {

TEST_F(SettingsDialogTest, TheFontColourIsChosenBesideTheFont)
{
    TfmSettings &d = open();
    QPushButton *colour = d.generalPage()->selectFontColorButton();
    EXPECT_EQ(colour->accessibleName(), "Select font colour");
    choosers.colorAnswers.push_back(QColor(0, 0, 255));
    colour->click();
    ok();
    EXPECT_EQ(key("Fonts", "FontColor"), QString::number(valueFromColor(QColor(0, 0, 255))));
}

} // namespace

namespace {

// Types text into the widget with the keyboard, as the user does.
void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

QStringList shownRules(const RulesPage &page)
{
    QStringList rows;
    for (int i = 0; i < page.ruleList()->topLevelItemCount(); ++i)
        rows << page.ruleList()->topLevelItem(i)->text(0) + " | " +
                    page.ruleList()->topLevelItem(i)->text(1);
    return rows;
}

// The Rules page: a damaged rules file is shown with what could not be read and kept aside
// when OK saves; rules are added, edited, reordered and removed, an incomplete rule is
// refused, and OK writes the rules file (Cancel does not).
TEST_F(SettingsDialogTest, TheRulesPageEditsTheRulesAndOkKeepsThem)
{
    const QString rulesFile = dir.filePath("Rules.txt");
    const QByteArray damaged = "Calvora rules 1\nRule\tmatch=withheld\tnever-record=yes\nRule\tx\n";
    {
        QFile f(rulesFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    TfmSettings &d = open();
    d.folderList = [] { return QList<std::pair<QString, QString>>{{"F1", "Sales"}}; };
    d.prepareShow();
    RulesPage &page = *d.rulesPage();
    EXPECT_FALSE(page.problemsLabel()->isHidden());
    EXPECT_TRUE(page.problemsLabel()->text().contains("line 3"))
        << page.problemsLabel()->text().toStdString();
    EXPECT_EQ(shownRules(page), QStringList{"withheld | never record"});
    EXPECT_FALSE(page.folderBox()->isEnabled()) << "a call never recorded is filed nowhere";
    EXPECT_FALSE(page.valueEdit()->isEnabled());
    EXPECT_FALSE(page.upButton()->isEnabled());

    page.addButton()->click();
    EXPECT_EQ(page.ruleList()->topLevelItemCount(), 2);
    EXPECT_TRUE(page.valueEdit()->isEnabled());
    EXPECT_TRUE(page.folderBox()->isEnabled());
    ok();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.texts.last().startsWith("Rule 2: \"number is\" needs a number"))
        << messages.texts.join('|').toStdString();
    EXPECT_EQ(d.pages()->currentIndex(), TfmSettings::Rules);
    QFile unchanged(rulesFile);
    ASSERT_TRUE(unchanged.open(QIODevice::ReadOnly));
    EXPECT_EQ(unchanged.readAll(), damaged) << "a refused rule writes nothing";
    unchanged.close();

    typeText(page.valueEdit(), "555 1234");
    page.folderBox()->setCurrentIndex(page.folderBox()->findText("Sales"));
    typeText(page.memoEdit(), "{name} {date}");
    page.upButton()->click();
    EXPECT_EQ(shownRules(page),
              QStringList({"number is 555 1234 | file in Sales, memo {name} {date}",
                           "withheld | never record"}));
    EXPECT_FALSE(page.upButton()->isEnabled());
    EXPECT_TRUE(page.downButton()->isEnabled());
    page.namedMemoBox()->setChecked(true);
    ok();

    CallerRulesFile saved(dir.path());
    ASSERT_TRUE(saved.load());
    EXPECT_TRUE(saved.problems().isEmpty());
    EXPECT_TRUE(saved.namedMemo());
    ASSERT_EQ(saved.rules().size(), 2);
    EXPECT_EQ(saved.rules()[0].value, "555 1234");
    EXPECT_EQ(saved.rules()[0].folderId, "F1");
    EXPECT_EQ(saved.rules()[0].memoTemplate, "{name} {date}");
    EXPECT_TRUE(saved.rules()[1].neverRecord);
    QFile aside(rulesFile + ".damaged");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), damaged);

    d.prepareShow();
    EXPECT_TRUE(page.problemsLabel()->isHidden());
    EXPECT_EQ(page.ruleList()->topLevelItemCount(), 2);
    page.removeButton()->click();
    EXPECT_EQ(shownRules(page), QStringList{"withheld | never record"});
    d.cancelButton()->click();
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.rules().size(), 2) << "Cancel keeps the file";
}

} // namespace
