// Wiring of the mail and support commands to the main window.
#include "SupportCommands.h"

#include "AppContext.h"
#include "AppInfo.h"
#include "MainActions.h"
#include "TfmOrv.h"
#include "catalogue/Catalogue.h"
#include "catalogue/mail/RecordingMail.h"
#include "diagnostics/Diagnostics.h"
#include "diagnostics/ProblemReport.h"
#include "diagnostics/ui/DiagnosticsProgressWindow.h"
#include "diagnostics/ui/TfmAskSupport.h"

#include <QAction>
#include <QDesktopServices>
#include <QPlainTextEdit>
#include <QUrl>

SupportCommands::SupportCommands(AppContext &context, TfmOrv &window, TfmModem &modem,
                                 Catalogue &catalogue, QueryBuffer &query, QObject *parent)
    : QObject(parent), m_ctx(context), m_window(window), m_catalogue(catalogue),
      m_diagnostics(std::make_unique<Diagnostics>(modem, context.prefs, context.ModemProfile, query,
                                                  context.log, context.messages,
                                                  context.programDir)),
      m_report(std::make_unique<ProblemReport>(*m_diagnostics, context.log, query, m_reportMail,
                                               context.messages, context.programDir,
                                               AppInfo::SupportAddress)),
      m_progress(new DiagnosticsProgressWindow(&window)), m_askSupport(new TfmAskSupport(&window))
{
    m_diagnostics->progress = m_progress;
    m_askSupport->sendReport = [this](const QString &description) {
        return m_report->send(description);
    };
    m_report->openFolder = [](const QString &folder) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    };
    recordingsToEmail = [this]() -> QStringList {
        TStoreTable &calls = m_catalogue.CallsTbl;
        if (!calls.Active() || calls.RecordCount() == 0)
            return {};
        return {calls.FieldValues(QStringLiteral("id")).toString()};
    };

    MainActions &actions = window.actions();
    connect(actions.acEmailFile, &QAction::triggered, this, &SupportCommands::acEmailFileExecute);
    connect(actions.acDiagnostics, &QAction::triggered, this,
            &SupportCommands::acDiagnosticsExecute);
    connect(actions.ReportProblem1, &QAction::triggered, this,
            &SupportCommands::ReportProblem1Click);
}

SupportCommands::~SupportCommands() = default;

void SupportCommands::acEmailFileExecute()
{
    if (!m_window.actions().acEmailFile->isEnabled())
        return;
    emailRecordings(m_catalogue, m_recordingsMail, recordingsToEmail(),
                    recordingsMailBody(AppInfo::ProductName, AppInfo::WebAddress),
                    m_ctx.programDir);
    if (recordingsEmailed)
        recordingsEmailed();
}

void SupportCommands::acDiagnosticsExecute()
{
    m_diagnostics->DiagnosticsClick();
}

void SupportCommands::ReportProblem1Click()
{
    m_askSupport->setAttachmentFiles(m_report->attachmentFiles());
    m_askSupport->exec();
    // A description not sent is kept for the next try.
    if (m_askSupport->reportSent())
        m_askSupport->description()->clear();
}
