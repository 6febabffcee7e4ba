// A failure part-way (a full disk, a codec error, an interrupted run) must never leave a
// half-written file under the output's name, nor lose the file the output replaces, which
// may be the input itself.
#include "OutputBeside.h"

#include <QFileInfo>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The finished file gets the permissions of the file it replaces, or those a newly created
// file would get (the temporary file is private to its owner).
bool givePermissions(QTemporaryFile &temp, const QString &outPath)
{
    struct stat existing
    {};
    mode_t mode;
    if (::stat(QFile::encodeName(outPath).constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    return ::fchmod(temp.handle(), mode) == 0;
}

} // namespace

OutputBeside::OutputBeside(const QString &finalPath)
    : m_finalPath(finalPath),
      m_temp(QFileInfo(finalPath).absoluteFilePath() + QStringLiteral(".XXXXXX.part"))
{}

bool OutputBeside::open(QString &error)
{
    if (m_temp.open())
        return true;
    error =
        QStringLiteral("cannot create a file beside %1: %2").arg(m_finalPath, m_temp.errorString());
    return false;
}

bool OutputBeside::commit(QString &error)
{
    if (!m_temp.flush() || ::fsync(m_temp.handle()) != 0 || !givePermissions(m_temp, m_finalPath)) {
        error = QStringLiteral("cannot write %1: %2").arg(m_finalPath, m_temp.errorString());
        return false;
    }
    m_temp.close();
    if (std::rename(QFile::encodeName(m_temp.fileName()).constData(),
                    QFile::encodeName(m_finalPath).constData()) != 0) {
        error = QStringLiteral("cannot rename the finished file to %1").arg(m_finalPath);
        return false;
    }
    m_temp.setAutoRemove(false);
    return true;
}
