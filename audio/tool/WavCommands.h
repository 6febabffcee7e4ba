// The commands of calvora-wav. Each returns the process exit code and writes its report to
// out and its errors to err.
#pragma once

#include <QString>
#include <QTextStream>

class EACMError;
class TdeWaveFormat;

int ListFormats(QTextStream &out);
int ShowInfo(const QString &path, QTextStream &out, QTextStream &err);
int ConvertFile(const QString &formatText, const QString &inPath, const QString &outPath,
                QTextStream &out, QTextStream &err);

// An audio error as the commands print it: the file and the fixed text, then, on a second line,
// why: the error's own reason, else the input's format (when known) that could not be
// converted.
void PrintAudioError(QTextStream &err, const QString &path, const EACMError &e,
                     const TdeWaveFormat *input = nullptr);
