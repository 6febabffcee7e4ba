// The page's own files (HTML, CSS, JavaScript) from the program's shared files: a fixed list
// of names, so that no path from a request ever reaches the file system.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace StaticFiles {

struct File
{
    QByteArray contentType;
    QByteArray body;
};

// The file served at the request path ("/", "/app.js", "/style.css") from dir; nothing for any
// other path or when the file cannot be read.
std::optional<File> find(const QString &dir, const QByteArray &requestPath);

} // namespace StaticFiles
