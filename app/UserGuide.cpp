#include "UserGuide.h"

#include "config/ProgramDir.h"
#include "support/MessageService.h"
#include "support/SharedFiles.h"

#include <QDesktopServices>
#include <QFile>

namespace UserGuide {

namespace {
const QString FileName = QStringLiteral("Help.html");
}

QString filePath()
{
    const QString shared = SharedFiles::path(FileName);
    if (QFile::exists(shared))
        return shared;
    const QString beside = ProgramDir::file(FileName);
    return QFile::exists(beside) ? beside : shared;
}

QUrl url(const QString &section)
{
    QUrl address = QUrl::fromLocalFile(filePath());
    if (!section.isEmpty())
        address.setFragment(section);
    return address;
}

void open(MessageService &messages, const QString &section)
{
    const QString file = filePath();
    if (!QFile::exists(file) || !QDesktopServices::openUrl(url(section)))
        messages.showMessage(
            QStringLiteral("Unable to open the user guide. It is the file %1; open it in a web "
                           "browser.")
                .arg(file),
            MessageService::Kind::Error);
}

QString settingsSection(const QString &pageTitle)
{
    return QStringLiteral("settings-") +
           pageTitle.trimmed().toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

} // namespace UserGuide
