// The callers' own text files (the directory, the rules): UTF-8, one record a line, fields
// separated by tabs, read whole with a bound on their size.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace LineFile {

// The file's lines. False with why set ("too large for a rules file") when it cannot be read
// or is larger than maxBytes; a missing file is not read here (the caller decides).
bool read(const QString &path, qint64 maxBytes, const QString &kind, QList<QByteArray> &lines,
          QString &why);

// Text as one field of a line: tabs, line ends and other controls become blanks, runs of
// blanks one, at most maxLength characters.
QString field(const QString &text, qsizetype maxLength);

} // namespace LineFile
