// The user guide: an HTML page among the shared files, opened in the desktop's browser or help
// viewer, at the top or at one of its sections.
#pragma once

#include <QString>
#include <QUrl>

class MessageService;

namespace UserGuide {

// Where the guide is: among the shared files, else (an unusual set-up) in the data directory.
QString filePath();

// The guide's address, at a section (an anchor of the page) or, without one, at its top.
QUrl url(const QString &section = {});

// Opens the guide; when nothing can open it, a message names the file.
void open(MessageService &messages, const QString &section = {});

// The section of a settings page, by the page's title ("Media player": "settings-media-player").
QString settingsSection(const QString &pageTitle);

} // namespace UserGuide
