// The sectioned key/value file (orv.ini, Tree.ini): every read goes to the file and every
// write reaches it at once, so any component sees what another has just written.
#pragma once

#include "support/AtomicFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A write the system refused. The file on disk is left as it was before the write.
class IniWriteError : public FileSaveError
{
public:
    // osError: the errno of the refusal, 0 when unknown.
    explicit IniWriteError(const QString &path, int osError = 0);
};

class TIniFile final
{
public:
    // Values longer than this are cut when read, as the platform's profile files do.
    static constexpr int MaxValueLength = 2047;

    explicit TIniFile(QString fileName);

    const QString &FileName() const { return m_fileName; }

    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    void WriteString(const QString &section, const QString &key, const QString &value);

    // Signed 32-bit; "0x"/"0X" followed by digits is hexadecimal. Non-numbers give the default.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    void WriteInteger(const QString &section, const QString &key, int value);

    bool ReadBool(const QString &section, const QString &key, bool def) const;
    void WriteBool(const QString &section, const QString &key, bool value);

    // Appends the decoded bytes of a hex value to stream; returns how many were decoded.
    qsizetype ReadBinaryStream(const QString &section, const QString &key,
                               QByteArray &stream) const;
    void WriteBinaryStream(const QString &section, const QString &key, const QByteArray &bytes);

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    QStringList readSection(const QString &section) const;
    void EraseSection(const QString &section);
    void UpdateFile() {} // writes are never held back

    // Integer parsing shared with other readers of text settings.
    static bool parseInteger(const QString &text, int &value);

private:
    QList<QByteArray> readLines() const;
    void writeLines(const QList<QByteArray> &lines);

    QString m_fileName;
};
