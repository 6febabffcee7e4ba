// The post-processing commands of calvora-wav: the volume level's gain and the voice
// equaliser, on the program's own processing. Each returns the process exit code and writes
// its report to out and its errors to err.
#pragma once

#include <QString>
#include <QTextStream>

// formatText: the output's format as TAG[:RATE[:BITS[:CHANNELS]]], empty for the input's.
int GainFile(const QString &percentText, const QString &inPath, const QString &outPath,
             const QString &formatText, QTextStream &out, QTextStream &err);
int EqualizeFile(const QString &inPath, const QString &outPath, const QString &formatText,
                 QTextStream &out, QTextStream &err);
