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
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QStandardPaths>
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
    openLocation = [](const QString &path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    m_report->openFolder = [this](const QString &folder) {
        if (openLocation)
            openLocation(folder);
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
    const int result = emailRecordings(
        m_catalogue, m_recordingsMail, recordingsToEmail(),
        recordingsMailBody(AppInfo::ProductName, AppInfo::WebAddress), m_ctx.programDir);
    if (result != TMAPIMail::Success)
        offerFoldersOf(m_recordingsMail.Attachments, result);
    if (recordingsEmailed)
        recordingsEmailed();
}

// Without a mail program the files can still be attached by hand, from their folders.
void SupportCommands::offerFoldersOf(const QStringList &files, int result)
{
    // The mail interface's code for a missing program reads as if the user had cancelled.
    const QString reason =
        result == TMAPIMail::UserAbort &&
                QStandardPaths::findExecutable(TMAPIMail::Program).isEmpty()
            ? QStringLiteral("no mail program was found (%1 is missing)").arg(TMAPIMail::Program)
            : TMAPIMail::errorText(result);
    m_ctx.log.appendLine(QStringLiteral("The recordings could not be handed to a mail program: ") +
                         reason);
    QStringList folders;
    for (const QString &file : files) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!folders.contains(folder))
            folders << folder;
    }
    if (folders.isEmpty()) {
        m_ctx.messages.showMessage(
            QStringLiteral("The recordings could not be handed to a mail program: %1.").arg(reason),
            MessageService::Kind::Error);
        return;
    }
    const QString question =
        (files.size() == 1
             ? QStringLiteral("The recording could not be handed to a mail program: %1.\n"
                              "Open the folder that holds its file, so that you can attach it "
                              "by hand?")
             : QStringLiteral("The recordings could not be handed to a mail program: %1.\n"
                              "Open the folder that holds their files, so that you can attach "
                              "them by hand?"))
            .arg(reason);
    if (!m_ctx.messages.confirm(question) || !openLocation)
        return;
    for (const QString &folder : std::as_const(folders))
        openLocation(folder);
}

void SupportCommands::acDiagnosticsExecute()
{
    if (m_diagnostics->DiagnosticsClick() != Diagnostics::Outcome::Written)
        return;
    const QString report = m_diagnostics->filePath();
    m_ctx.log.appendLine(QStringLiteral("Diagnostics written to ") + report);
    if (m_ctx.messages.confirm(QStringLiteral("The diagnostics are finished. Their report is in "
                                              "%1.\nOpen it now?")
                                   .arg(QDir::toNativeSeparators(report))) &&
        openLocation)
        openLocation(report);
}

void SupportCommands::ReportProblem1Click()
{
    m_askSupport->setAttachmentFiles(m_report->attachmentFiles());
    m_askSupport->exec();
    // A description not sent is kept for the next try.
    if (m_askSupport->reportSent())
        m_askSupport->description()->clear();
}
