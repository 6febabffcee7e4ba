// OK writes in a fixed order and stops early when the voice compression has no codec format:
// what was written before that point stays written, the rest waits for the next OK.
#include "TfmSettings.h"

#include "AutoRecordPage.h"
#include "GeneralPage.h"
#include "MediaPlayerPage.h"
#include "ModemPage.h"
#include "MonitorPage.h"
#include "ParametersPage.h"
#include "RulesPage.h"
#include "StartupRegistrar.h"
#include "StoragePage.h"
#include "StorageRulesBox.h"
#include "config/StorageSettings.h"

#include "app/AppContext.h"
#include "app/ColorValue.h"
#include "app/UserGuide.h"
#include "audio/EACMError.h"
#include "config/ModemSetupStore.h"
#include "config/ModemState.h"
#include "config/PortMap.h"
#include "config/RecordingFormat.h"
#include "config/SettingsStore.h"
#include "modem/TfmModem.h"
#include "modem/capabilities/CompressionsFile.h"
#include "modem/discovery/DiscoveryWindow.h"
#include "modem/discovery/ModemDiscovery.h"
#include "modem/discovery/TfmParse.h"
#include "support/ui/ChooserService.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QShortcut>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QVBoxLayout>

namespace {
// The font the dialog itself shows, which a first start writes to [Fonts].
DialogFont ownFont()
{
    const QFont font = QApplication::font();
    return {font.family(), std::max(1, font.pointSize()), -16777208};
}
} // namespace

namespace {
// A page's scroll area asks for the whole page where the screen has room; only a small screen
// makes it scroll.
class PageScrollArea final : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override
    {
        return widget() ? widget()->sizeHint() + QSize(2, 2) * frameWidth()
                        : QScrollArea::sizeHint();
    }
};
} // namespace

TfmSettings::TfmSettings(AppContext &context, SettingsCollaborators collaborators, QWidget *parent)
    : QDialog(parent), m_ctx(context), m_with(collaborators), m_rulesFile(context.programDir)
{
    setObjectName(QStringLiteral("fmSettings"));
    setWindowTitle(QStringLiteral("Settings"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pcSettings"));
    m_tabs->setAccessibleName(QStringLiteral("Settings pages"));
    m_tabs->setUsesScrollButtons(false); // every page's tab in sight
    m_general = new GeneralPage(m_tabs);
    m_modem = new ModemPage(m_tabs);
    m_parameters = new ParametersPage(m_tabs);
    m_mediaPlayer = new MediaPlayerPage(m_tabs);
    m_monitor = new MonitorPage(m_tabs);
    m_autoRecord = new AutoRecordPage(m_tabs);
    m_storage = new StoragePage(m_tabs);
    m_rules = new RulesPage(m_tabs);
    // Each page scrolls when the screen is too small for it, so OK and Cancel always show.
    const std::pair<QWidget *, QString> pages[] = {{m_general, QStringLiteral("General")},
                                                   {m_modem, QStringLiteral("Modem")},
                                                   {m_parameters, QStringLiteral("Parameters")},
                                                   {m_mediaPlayer, QStringLiteral("Media player")},
                                                   {m_monitor, QStringLiteral("Monitor")},
                                                   {m_autoRecord, QStringLiteral("Auto record")},
                                                   {m_storage, QStringLiteral("Storage")},
                                                   {m_rules, QStringLiteral("Rules")}};
    for (const auto &[page, title] : pages) {
        auto *scroll = new PageScrollArea(m_tabs);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(page);
        page->setAccessibleName(title);
        m_tabs->addTab(scroll, title);
    }

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("btnOk"));
    m_ok->setAccessibleName(QStringLiteral("OK"));
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_cancel->setObjectName(QStringLiteral("btnCancel"));
    m_cancel->setAccessibleName(QStringLiteral("Cancel"));
    m_ok->setDefault(true);
    // Help, and F1, open the guide at the page shown.
    QPushButton *help = buttons->addButton(QDialogButtonBox::Help);
    help->setObjectName(QStringLiteral("btnHelp"));
    help->setAccessibleName(QStringLiteral("Help"));
    help->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &TfmSettings::showHelp);
    auto *helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, &TfmSettings::showHelp);

    // The modem stays armed while the dialog is open; only a search for modems takes it.
    m_callsOff = new QLabel(CallsOffText, this);
    m_callsOff->setObjectName(QStringLiteral("lblCallsOff"));
    m_callsOff->setAccessibleName(CallsOffText);
    m_callsOff->setWordWrap(true);
    m_callsOff->setStyleSheet(QStringLiteral("font-weight: bold"));
    m_callsOff->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_callsOff);
    layout->addWidget(buttons);

    connect(m_ok, &QPushButton::clicked, this, &TfmSettings::btnOkClick);
    connect(m_cancel, &QPushButton::clicked, this, &TfmSettings::reject);
    connect(m_general, &GeneralPage::selectFileFormatClicked, this,
            &TfmSettings::btnFileCompressionClick);
    connect(m_general, &GeneralPage::selectFontClicked, this, &TfmSettings::btnFontClick);
    connect(m_general, &GeneralPage::selectFontColorClicked, this, &TfmSettings::btnFontColorClick);
    connect(m_monitor, &MonitorPage::backgroundClicked, this, &TfmSettings::btnBackgroundClick);
    connect(m_monitor, &MonitorPage::traceClicked, this, &TfmSettings::btnTraceClick);
    connect(m_mediaPlayer, &MediaPlayerPage::browseClicked, this, &TfmSettings::btnBrowseClick);
    connect(m_storage, &StoragePage::selectFolderClicked, this, &TfmSettings::btnSelectFolderClick);
    connect(m_modem, &ModemPage::findModemsClicked, this, &TfmSettings::btnFindModemsClick);
    connect(m_tabs, &QTabWidget::currentChanged, this, &TfmSettings::pcSettingsChange);

    // The preferences were loaded at start-up; the controls start from them.
    m_work = m_ctx.prefs;
    TdeWaveFormat format;
    format.loadFromBytes(m_work.FileCompression);
    RecordConvert.setFormatOut(format);
    showControls();
}

TfmSettings::~TfmSettings() = default;

void TfmSettings::LoadSettings()
{
    loadPreferences(m_ctx.ini, m_ctx.prefs, m_ctx.programDir, ownFont(), RecordingFormatSource());
    m_work = m_ctx.prefs;
    TdeWaveFormat format;
    format.loadFromBytes(m_work.FileCompression);
    RecordConvert.setFormatOut(format);
    showControls();
}

void TfmSettings::Execute()
{
    prepareShow();
    exec();
}

void TfmSettings::prepareShow()
{
    m_cancel->setEnabled(true);
    m_fontChosen = false;
    m_tabs->setCurrentIndex(General);
    m_work = m_ctx.prefs;
    showControls();
    m_ok->setFocus();
}

// The controls from the working preferences, and the modem's part from orv.ini.
void TfmSettings::showControls()
{
    m_general->load(m_work, SettingsStore::readModemView(m_ctx.ini, 0).callerIdAvailable);
    m_general->setFileFormatText(RecordConvert.FormatOut().FormatDescription());
    m_modem->loadPortSettings(m_work);
    m_modem->setTimeout(m_work.Timeout);
    showModem(0);
    m_mediaPlayer->load(m_work);
    m_monitor->load(m_work);
    m_autoRecord->load(m_work);
    m_autoRecord->setVoiceSupported(m_ctx.VoiceSupported);
    m_storage->setFolder(m_work.wavDir);
    QList<StorageRulesBox::Folder> folders;
    if (folderList)
        for (const auto &[code, name] : folderList())
            folders.append({code, name});
    m_storage->rules()->load(loadStorageSettings(m_ctx.ini), folders);
    showRules();
}

// The rules come from their file each time the dialog shows, so that rules changed by hand
// meanwhile are the ones edited.
void TfmSettings::showRules()
{
    m_rulesFile.load();
    QList<RulesPage::Folder> folders;
    if (folderList)
        for (const auto &[code, name] : folderList())
            folders.append({code, name});
    m_rules->load(m_rulesFile.rules(), m_rulesFile.namedMemo(), folders, m_rulesFile.problems());
}

// Written only when changed, so that OK neither creates the file nor rewrites a damaged one
// the user did not touch.
bool TfmSettings::saveRules()
{
    if (m_rules->rules() == m_rulesFile.rules() && m_rules->namedMemo() == m_rulesFile.namedMemo())
        return true;
    m_rulesFile.setRules(m_rules->rules());
    m_rulesFile.setNamedMemo(m_rules->namedMemo());
    if (m_rulesFile.save())
        return true;
    m_ctx.messages.showMessage(QStringLiteral("The rules could not be saved: ") +
                                   m_rulesFile.error(),
                               MessageService::Kind::Error);
    m_tabs->setCurrentIndex(Rules);
    return false;
}

void TfmSettings::showModem(int portDefault)
{
    const SettingsStore::ModemView view = SettingsStore::readModemView(m_ctx.ini, portDefault);
    QString portText = QStringLiteral("Com %1").arg(view.port);
    if (const QString device = PortMap::devicePath(m_ctx.ini, view.port); !device.isEmpty())
        portText += QStringLiteral("  (") + device + QLatin1Char(')');
    m_modem->showModem(view.configured, view.model, portText);
    if (view.configured && portDefault == 0)
        m_modem->setTimeout(view.timeout);
    fillCompressionList();
    m_modem->compressionList()->setEnabled(view.configured);
    setGainSliders();
}

void TfmSettings::fillCompressionList()
{
    m_rows.clear();
    QStringList lines;
    if (m_ctx.VoiceSupported && QFileInfo::exists(m_with.parse.compressionsPath())) {
        m_rows = CompressionsFile::readAll(m_with.parse.compressionsPath())
                     .mid(0, CompressionsFile::MaxRows);
        for (const CompressionRow &row : std::as_const(m_rows))
            lines << row.Description + QLatin1Char(' ') + row.bps + QStringLiteral("bit ") +
                         row.vsr + QStringLiteral("Hz");
    }
    m_modem->setCompressions(lines, ModemState::compressionRow(m_ctx.ini));
}

// The modem's ranges apply when the page is shown; until the user moves a slider, nothing of
// the stored gains is changed, also when they lie outside those ranges.
void TfmSettings::setGainSliders()
{
    const SettingsStore::ModemView view = SettingsStore::readModemView(m_ctx.ini, 0);
    m_parameters->setRanges(0, 255, 0, 255);
    if (m_tabs->currentIndex() == Parameters)
        m_parameters->setRanges(view.vgtMin, view.vgtMax, view.vgrMin, view.vgrMax);
    if (const auto position = SettingsStore::gainPosition(view.speakerVol))
        m_parameters->speakerSlider()->setValue(*position);
    if (const auto position = SettingsStore::gainPosition(view.recGain))
        m_parameters->recordSlider()->setValue(*position);
    m_parameters->speakerSlider()->setEnabled(m_ctx.VoiceSupported);
    m_parameters->recordSlider()->setEnabled(m_ctx.VoiceSupported);
    m_parameters->forgetMoves();
}

void TfmSettings::pcSettingsChange(int index)
{
    if (index == Parameters) {
        const SettingsStore::ModemView view = SettingsStore::readModemView(m_ctx.ini, 0);
        m_parameters->setRanges(view.vgtMin, view.vgtMax, view.vgrMin, view.vgrMax);
        m_ok->setFocus();
    } else if (index == Storage) {
        m_storage->refreshDisk();
    }
}

void TfmSettings::btnFileCompressionClick()
{
    TdeWaveFormat format = RecordConvert.FormatOut();
    try {
        if (!format.Choose(m_ctx.formatChooser, FileFormatTitle))
            return;
    } catch (const EACMError &e) {
        m_ctx.messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
        return;
    }
    // The choice is kept in memory even when it fails; Cancel brings the stored one back.
    RecordConvert.setFormatOut(format);
    try {
        RecordConvert.Open();
    } catch (const EACMError &) {
        m_ctx.messages.showMessage(FileFormatError, MessageService::Kind::Error);
        return;
    }
    RecordConvert.Close();
    SettingsStore::storeFileFormat(m_ctx.ini, format);
    m_work.FileCompression = format.toBytes();
    m_ctx.prefs.FileCompression = m_work.FileCompression;
    m_general->setFileFormatText(format.FormatDescription());
}

void TfmSettings::btnFontClick()
{
    QFont initial(m_work.FontName);
    initial.setPointSize(std::clamp(m_work.FontSize, 4, 72));
    const auto font =
        m_ctx.choosers ? m_ctx.choosers->chooseFont(FontTitle, initial) : std::nullopt;
    if (!font)
        return;
    m_work.FontName = font->family();
    m_work.FontSize = font->pointSize() > 0 ? font->pointSize() : m_work.FontSize;
    m_fontChosen = true;
    m_general->setFontName(m_work.FontName);
}

void TfmSettings::btnFontColorClick()
{
    const QColor initial = colorFromValue(m_work.FontColor, palette());
    const auto color =
        m_ctx.choosers ? m_ctx.choosers->chooseColor(FontColorTitle, initial) : std::nullopt;
    if (!color)
        return;
    m_work.FontColor = valueFromColor(*color);
    m_fontChosen = true;
}

void TfmSettings::btnBackgroundClick()
{
    const QColor initial = colorFromValue(m_monitor->backColor(), palette());
    if (const auto color = m_ctx.choosers
                               ? m_ctx.choosers->chooseColor(QStringLiteral("Background"), initial)
                               : std::nullopt)
        m_monitor->setBackColor(valueFromColor(*color));
}

void TfmSettings::btnTraceClick()
{
    const QColor initial = colorFromValue(m_monitor->traceColor(), palette());
    if (const auto color = m_ctx.choosers
                               ? m_ctx.choosers->chooseColor(QStringLiteral("Trace"), initial)
                               : std::nullopt)
        m_monitor->setTraceColor(valueFromColor(*color));
}

void TfmSettings::btnBrowseClick()
{
    const auto file =
        m_ctx.choosers
            ? m_ctx.choosers->chooseOpenFile(PlayerTitle, m_mediaPlayer->playerEdit()->text(),
                                             QStringLiteral("Programs (*)"))
            : std::nullopt;
    if (!file)
        return;
    m_mediaPlayer->setPlayerPath(*file);
    SettingsStore::storePlayer(m_ctx.ini, *file);
    m_work.Player = *file;
    QDir::setCurrent(m_ctx.programDir);
}

void TfmSettings::btnSelectFolderClick()
{
    const auto folder = m_ctx.choosers
                            ? m_ctx.choosers->chooseFolder(FolderTitle, m_storage->folder())
                            : std::nullopt;
    if (!folder || folder->isEmpty())
        return;
    if (!folderUsable(*folder)) {
        m_ctx.messages.showMessage(folderRefusedMessage(*folder), MessageService::Kind::Error);
        return;
    }
    m_storage->setFolder(folder->endsWith(QLatin1Char('/')) ? *folder : *folder + QLatin1Char('/'));
}

void TfmSettings::btnFindModemsClick()
{
    // The search needs the port: a call being recorded is not cut for it.
    if (modemFree && !modemFree()) {
        m_ctx.messages.showMessage(ModemBusyText, MessageService::Kind::Information);
        return;
    }
    m_callsOff->show();
    const auto searchEnded = qScopeGuard([this] {
        m_callsOff->hide();
        if (modemSearchEnded)
            modemSearchEnded();
    });
    if (m_with.modem.PortOpen())
        m_with.modem.CloseModemPort();
    if (m_with.discovery.FindModems() > 0) {
        m_with.discoveryWindow.showModal();
    } else {
        m_ctx.VoiceSupported = false;
        ModemState::setVoiceSupported(m_ctx.ini, false);
        m_ctx.messages.showMessage(ModemDiscovery::NoModemMessage,
                                   MessageService::Kind::Information);
        try {
            ModemSetupStore::forgetModem(m_ctx.ini);
        } catch (const std::exception &) {
            // The search erased the section already; a second refusal changes nothing.
        }
    }
    // The search has rewritten orv.ini: there is nothing left to cancel.
    m_cancel->setEnabled(false);
    showModem(1);
}

void TfmSettings::btnOkClick()
{
    if (saveSettings())
        accept();
}

bool TfmSettings::saveSettings()
{
    Preferences work = m_work;
    m_general->store(work);
    m_modem->store(work);
    m_mediaPlayer->store(work);
    m_monitor->store(work);
    m_autoRecord->store(work);
    work.wavDir = m_storage->folder();
    // Checked before anything is written, so that a refused folder or rule costs no other
    // change.
    if (work.wavDir != m_ctx.prefs.wavDir && !folderUsable(work.wavDir)) {
        m_ctx.messages.showMessage(folderRefusedMessage(work.wavDir), MessageService::Kind::Error);
        m_tabs->setCurrentIndex(Storage);
        return false;
    }
    if (const QString refused = m_rules->check(); !refused.isEmpty()) {
        m_ctx.messages.showMessage(refused, MessageService::Kind::Error);
        m_tabs->setCurrentIndex(Rules);
        return false;
    }
    if (!saveRules())
        return false;

    TIniFile &ini = m_ctx.ini;
    if (ModemState::configured(ini)) {
        if (m_parameters->speakerMoved())
            SettingsStore::storeGainPosition(ini, ModemSetupStore::Gain::Speaker,
                                             m_parameters->speakerSlider()->value());
        if (m_parameters->recordMoved())
            SettingsStore::storeGainPosition(ini, ModemSetupStore::Gain::Receive,
                                             m_parameters->recordSlider()->value());
        const int row = m_modem->compressionList()->currentIndex();
        if (row >= 0 && row < m_rows.size()) {
            SettingsStore::storeVoiceCompression(ini, m_rows[row].VSMCommand, row);
            work.Compression = row;
            if (!m_with.parse.MatchModemCompression()) {
                ModemSetupStore::forgetModemFormat(ini);
                return false;
            }
        }
        SettingsStore::storePortSettings(ini, work);
    }
    SettingsStore::storePlayerChoice(ini, work);
    if (m_fontChosen)
        SettingsStore::storeFont(ini, work);
    SettingsStore::storeRecordingRules(ini, work);
    if (work.StartUp) {
        SettingsStore::storeStartUp(ini, true);
        if (!m_with.registrar.Start(QStringLiteral("STARTUP")))
            m_ctx.log.appendLine(QStringLiteral("The start-up entry could not be written: ") +
                                 m_with.registrar.entryPath());
    } else {
        if (!m_with.registrar.Stop())
            m_ctx.log.appendLine(QStringLiteral("The start-up entry could not be removed: ") +
                                 m_with.registrar.entryPath());
        SettingsStore::storeStartUp(ini, false);
    }
    // Recordings made so far stay in the folder they were made in, where the catalogue finds
    // them; only new recordings go to the new folder.
    if (work.wavDir != m_ctx.prefs.wavDir)
        SettingsStore::rememberEarlierRecordingsFolder(ini, m_ctx.prefs.wavDir);
    SettingsStore::storeCallerIdAndFolder(ini, work);
    SettingsStore::storeNotifications(ini, work);
    // Written only when changed, so that a file without them does not gain them by an OK.
    const StorageSettings storage = m_storage->rules()->store();
    if (storage != loadStorageSettings(ini)) {
        saveStorageSettings(ini, storage);
        if (storageRulesChanged)
            storageRulesChanged();
    }

    m_work = work;
    m_ctx.prefs = work;
    return true;
}

void TfmSettings::reject()
{
    // The dialog closes even when the file cannot take the keys a reload seeds.
    try {
        LoadSettings();
    } catch (const std::exception &e) {
        m_ctx.messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
    }
    QDialog::reject();
}

QString TfmSettings::folderRefusedMessage(const QString &folder)
{
    return QStringLiteral("The folder %1 does not exist or cannot be written to.\n"
                          "Choose another storage folder.")
        .arg(folder);
}

bool TfmSettings::folderUsable(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    // Permission bits do not tell about a read-only mount: a file is made and removed.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".calvora-XXXXXX")));
    return probe.open();
}

void TfmSettings::showHelp()
{
    UserGuide::open(m_ctx.messages,
                    UserGuide::settingsSection(m_tabs->tabText(m_tabs->currentIndex())));
}
