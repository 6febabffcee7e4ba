#include "StaticFiles.h"

#include <QFile>

namespace StaticFiles {

std::optional<File> find(const QString &dir, const QByteArray &requestPath)
{
    struct Entry
    {
        const char *path;
        const char *file;
        const char *type;
    };
    static const Entry entries[] = {
        {"/", "index.html", "text/html; charset=utf-8"},
        {"/index.html", "index.html", "text/html; charset=utf-8"},
        {"/app.js", "app.js", "text/javascript; charset=utf-8"},
        {"/style.css", "style.css", "text/css; charset=utf-8"},
    };
    for (const Entry &e : entries) {
        if (requestPath != e.path)
            continue;
        QFile file(dir + QLatin1Char('/') + QLatin1String(e.file));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return File{e.type, file.readAll()};
    }
    return std::nullopt;
}

} // namespace StaticFiles
