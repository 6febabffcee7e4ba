// One voice compression of the modem, read from a line of its "at+vsm=?" reply.
#pragma once

#include <QChar>
#include <QString>
#include <optional>

struct CompressionRow
{
    static constexpr int FieldLength = 30;

    QString Description; // "UNSIGNED PCM", "SIGNED PCM", "ULAW" or "ALAW"
    QString cml;         // the modem's number for the method
    QString cmid;        // the method's name as reported, quotes included
    QString bps;         // bits per sample
    QString tm;          // timing marker
    QString vsr;         // the sampling rate chosen from the reported ones; may be empty
    QString scs;         // first value of the silence sensitivity
    QString sel;         // first value of the silence expansion
    QString VSMCommand;  // "at+vsm=..." selecting this method
    QChar separator = QLatin1Char(','); // of the reply line; not stored

    bool operator==(const CompressionRow &other) const;
};

// Reads one reply line; no value when the line is not a compression the program knows.
// A "(" without a ")" after it makes the line unrecognised.
std::optional<CompressionRow> ParseVsmLine(const QString &line);

// "at+vsm=" + cml, vsr, scs and sel (those not empty), joined by the line's separator.
QString BuildVsmCommand(const CompressionRow &row);
