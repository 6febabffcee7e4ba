// The commands of calvora-wav. Each returns the process exit code and writes its report to
// out and its errors to err.
#pragma once

#include <QString>
#include <QTextStream>

int ListFormats(QTextStream &out);
int ShowInfo(const QString &path, QTextStream &out, QTextStream &err);
int ConvertFile(const QString &formatText, const QString &inPath, const QString &outPath,
                QTextStream &out, QTextStream &err);
