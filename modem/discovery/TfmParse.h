// The modem's voice capabilities turned into what the program uses: the compressions table
// Compressions.d with [Modem compressions], the default compression, the codec format of
// the chosen compression ([Modem compression]), the gain ranges and the line selection.
// Never shown; replies go through the query window's text.
#pragma once

#include "modem/capabilities/CompressionRow.h"
#include "modem/capabilities/GainRange.h"

#include <QObject>
#include <QString>

class EventLog;
class MessageService;
class QueryBuffer;
class TIniFile;
class TfmModem;
struct TModemParams;

class TfmParse final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmParse)

public:
    static inline const QString NoCompressionMessage =
        QStringLiteral("None modem compression can be recognized");
    static inline const QString NoCodecMessage =
        QStringLiteral("None Codec Format found to match modem compression\n"
                       "Choose a different modem compression");

    // compressionsPath is the Compressions.d of the data directory. The collaborators must
    // outlive this object.
    TfmParse(TIniFile &ini, TModemParams &profile, TfmModem &modem, QueryBuffer &query,
             EventLog &log, MessageService &messages, QString compressionsPath,
             QObject *parent = nullptr);

    // Rebuilds Compressions.d and [Modem compressions] from the modem's "at+vsm=?" reply
    // (automatic) or from the query window's text as it stands (interactive, which also
    // shows each row). True when at least one row was written. Throws FileAccessError when the
    // table cannot be written.
    bool ParseCompressionList(bool interactive);
    // Asks "at+vls=?" into the query window and stores the line selection; always true.
    bool RecordLineSelection();
    // Picks the row to record with and writes [Modem] VoiceCompression and [Params]
    // Compression. False when the table has no rows.
    bool ChooseDefaultCompression();
    // Finds the codec format of row [Params] Compression and writes [Modem compression].
    // False (after a message) when no format matches; the section is then left alone.
    bool MatchModemCompression();

    // The gain ranges asked at discovery; pair is the one pair both replies go through.
    void learnRecGain(GainPair &pair);
    void learnSpeakerVolume(GainPair &pair);

    // Reads row index of Compressions.d into CurrentCompression; false (and an empty row)
    // when the file has no such row.
    bool readCurrentCompression(int index);

    // The developer query: parse the query window's text, then choose the default.
    bool queryCompressionsInteractive();

    const QString &compressionsPath() const { return m_compressionsPath; }

    // The row recording uses: row [Params] Compression of the table.
    CompressionRow CurrentCompression;

private:
    void writeRows(const QList<CompressionRow> &rows, bool interactive);

    TIniFile &m_ini;
    TModemParams &m_profile;
    TfmModem &m_modem;
    QueryBuffer &m_query;
    EventLog &m_log;
    MessageService &m_messages;
    QString m_compressionsPath;
};
