// The main window's mail and support commands: "Email wav file to...", "Diagnostics" and
// "Report a problem...", with the mail components and windows they use.
#pragma once

#include "catalogue/mail/TMAPIMail.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

struct AppContext;
class Catalogue;
class Diagnostics;
class DiagnosticsProgressWindow;
class ProblemReport;
class QueryBuffer;
class TfmAskSupport;
class TfmModem;
class TfmOrv;

class SupportCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SupportCommands)

public:
    // Connects the three commands of window's actions and enables them.
    SupportCommands(AppContext &context, TfmOrv &window, TfmModem &modem, Catalogue &catalogue,
                    QueryBuffer &query, QObject *parent = nullptr);
    ~SupportCommands() override;

    // The recordings (row codes) "Email wav file to..." sends. By default the list's current
    // row; the list's multi-selection takes its place where there is one.
    std::function<QStringList()> recordingsToEmail;
    // Called after the recordings were handed over (the multi-selection is cleared there).
    std::function<void()> recordingsEmailed;
    // Shows a file or folder with the desktop's program for it; tests put their own here.
    std::function<void(const QString &path)> openLocation;

    Diagnostics &diagnostics() { return *m_diagnostics; }
    DiagnosticsProgressWindow &progressWindow() { return *m_progress; }
    TfmAskSupport &askSupport() { return *m_askSupport; }
    TMAPIMail &recordingsMail() { return m_recordingsMail; }

private slots:
    void acEmailFileExecute();
    void acDiagnosticsExecute();
    void ReportProblem1Click();

private:
    void offerFoldersOf(const QStringList &files, int result);

    AppContext &m_ctx;
    TfmOrv &m_window;
    Catalogue &m_catalogue;
    // One mail component per use, as each fills its own properties.
    TMAPIMail m_recordingsMail;
    TMAPIMail m_reportMail;
    std::unique_ptr<Diagnostics> m_diagnostics;
    std::unique_ptr<ProblemReport> m_report;
    // Windows owned by the main window.
    DiagnosticsProgressWindow *m_progress;
    TfmAskSupport *m_askSupport;
};
