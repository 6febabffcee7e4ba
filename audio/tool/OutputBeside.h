// An output file written beside its final name and put in its place only when complete.
#pragma once

#include <QString>
#include <QTemporaryFile>

class OutputBeside final
{
public:
    explicit OutputBeside(const QString &finalPath);

    // Creates the file beside the final name; on failure returns false and sets error.
    bool open(QString &error);
    QIODevice &device() { return m_temp; }
    // Brings the written bytes to the disk, gives them the permissions of the file they
    // replace and renames them to the final name. Until then the final name keeps what it
    // held; a file not committed is removed.
    bool commit(QString &error);

private:
    QString m_finalPath;
    QTemporaryFile m_temp;
};
