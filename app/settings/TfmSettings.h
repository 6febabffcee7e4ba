// The settings dialog "Settings": eight pages of preferences, edited on a copy of the
// preferences and written to orv.ini on OK (the rules for calls to their own file); Cancel
// reloads them from the files. "Find modems",
// "Browse" and the file compression's "Select" write their results at once.
#pragma once

#include <functional>

#include "audio/TdeAudioConvertor.h"
#include "callers/CallerRulesFile.h"
#include "config/Preferences.h"
#include "modem/capabilities/CompressionRow.h"

#include <QDialog>
#include <QList>

struct AppContext;
class AutoRecordPage;
class DiscoveryWindow;
class GeneralPage;
class MediaPlayerPage;
class ModemDiscovery;
class ModemPage;
class MonitorPage;
class ParametersPage;
class QLabel;
class QPushButton;
class QTabWidget;
class RulesPage;
class StartupRegistrar;
class StoragePage;
class TfmModem;
class TfmParse;

// What the dialog works with besides the application context; all must outlive it.
struct SettingsCollaborators
{
    TfmModem &modem;
    TfmParse &parse;
    ModemDiscovery &discovery;
    DiscoveryWindow &discoveryWindow;
    StartupRegistrar &registrar;
};

class TfmSettings final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmSettings)

public:
    static inline const QString FileFormatTitle = QStringLiteral("Choose file compression format");
    static inline const QString FileFormatError =
        QStringLiteral("Error was created. Choose a different compression.");
    static inline const QString FontTitle = QStringLiteral("Font");
    static inline const QString FontColorTitle = QStringLiteral("Font colour");
    static inline const QString PlayerTitle = QStringLiteral("Media player");
    static inline const QString FolderTitle = QStringLiteral("Select folder");
    static inline const QString CallsOffText =
        QStringLiteral("Calls are not recorded while modems are searched for.");
    static inline const QString ModemBusyText =
        QStringLiteral("A call is being recorded. Search for modems once it has ended.");

    // Pages in the order of their tabs.
    enum Page
    {
        General,
        Modem,
        Parameters,
        MediaPlayer,
        Monitor,
        AutoRecord,
        Storage,
        Rules
    };

    TfmSettings(AppContext &context, SettingsCollaborators collaborators,
                QWidget *parent = nullptr);
    ~TfmSettings() override;

    // The load routine: the preferences from orv.ini (missing keys seeded) into the controls.
    void LoadSettings();
    // Shows the dialog modally; returns once it is closed.
    void Execute();

    // The catalogue's folders (code and name), for the Storage page's rules per folder.
    std::function<QList<std::pair<QString, QString>>()> folderList;
    // OK changed the Storage page's rules.
    std::function<void()> storageRulesChanged;
    // "Find modems" needs the modem's port: asked first, false while a call holds the modem.
    std::function<bool()> modemFree;
    // "Find modems" ended: the modem it left configured may be taken up again.
    std::function<void()> modemSearchEnded;
    // What Execute does before the dialog appears (tests drive the dialog after this).
    void prepareShow();

    // The recordings' format: the output format of the converter that tests a choice.
    const TdeWaveFormat &recordingsFormat() const { return RecordConvert.FormatOut(); }
    // The text about a recordings folder that cannot take recordings.
    static QString folderRefusedMessage(const QString &folder);

    QTabWidget *pages() const { return m_tabs; }
    GeneralPage *generalPage() const { return m_general; }
    ModemPage *modemPage() const { return m_modem; }
    ParametersPage *parametersPage() const { return m_parameters; }
    MediaPlayerPage *mediaPlayerPage() const { return m_mediaPlayer; }
    MonitorPage *monitorPage() const { return m_monitor; }
    AutoRecordPage *autoRecordPage() const { return m_autoRecord; }
    StoragePage *storagePage() const { return m_storage; }
    RulesPage *rulesPage() const { return m_rules; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    // Shown while calls cannot be recorded (during "Find modems").
    QLabel *callsOffLabel() const { return m_callsOff; }

public slots:
    // Escape and the close box cancel, as the Cancel button does.
    void reject() override;

private slots:
    void btnOkClick();
    void btnFileCompressionClick();
    void btnFontClick();
    void btnFontColorClick();
    void btnBackgroundClick();
    void btnTraceClick();
    void btnBrowseClick();
    void btnSelectFolderClick();
    void btnFindModemsClick();
    void pcSettingsChange(int index);
    // Opens the user guide at the section of the page shown.
    void showHelp();

private:
    void showControls();
    void showModem(int portDefault);
    void fillCompressionList();
    void setGainSliders();
    bool saveSettings();
    void showRules();
    bool saveRules();
    // The folder exists and a file can be created in it.
    static bool folderUsable(const QString &folder);

    AppContext &m_ctx;
    SettingsCollaborators m_with;
    Preferences m_work;
    TdeAudioConvertor RecordConvert;
    bool m_fontChosen = false;
    QList<CompressionRow> m_rows;

    QTabWidget *m_tabs;
    GeneralPage *m_general;
    ModemPage *m_modem;
    ParametersPage *m_parameters;
    MediaPlayerPage *m_mediaPlayer;
    MonitorPage *m_monitor;
    AutoRecordPage *m_autoRecord;
    StoragePage *m_storage;
    RulesPage *m_rules;
    CallerRulesFile m_rulesFile;
    QLabel *m_callsOff;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};
