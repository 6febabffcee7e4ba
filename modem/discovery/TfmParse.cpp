// Reply lines are untrusted: each is parsed on its own, a line that is not understood is
// skipped, and the table never grows beyond its 101 rows.
#include "TfmParse.h"

#include "QueryBuffer.h"

#include "audio/TdeCodec.h"
#include "config/ModemSetupStore.h"
#include "config/ModemState.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "modem/TfmModem.h"
#include "modem/capabilities/CompressionChoice.h"
#include "modem/capabilities/CompressionsFile.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QFile>

namespace {

QString rowMessage(const CompressionRow &r)
{
    // One line per field, as the developer reads them off the message.
    return QStringLiteral("cml : ") + r.cml + QLatin1Char('\n') + QStringLiteral("cmid : ") +
           r.cmid + QLatin1Char('\n') + QStringLiteral("bps : ") + r.bps + QLatin1Char('\n') +
           QStringLiteral("tm : ") + r.tm + QLatin1Char('\n') + QStringLiteral("vsr : ") + r.vsr +
           QLatin1Char('\n') + QStringLiteral("scs : ") + r.scs + QLatin1Char('\n') +
           QStringLiteral("sel : ") + r.sel + QLatin1Char('\n') + QStringLiteral("Description : ") +
           r.Description + QLatin1Char('\n') + QStringLiteral("VSM command : ") + r.VSMCommand +
           QLatin1Char('\n');
}

QString mirrorValue(const CompressionRow &r)
{
    return QStringList{r.Description, r.cml, r.bps, r.tm, r.vsr, r.scs, r.sel}.join(
        QLatin1Char(','));
}

// 16-bit linear samples at 7200 Hz: no codec lists this rate, but the samples are plain PCM.
TdeWaveFormat pcm7200x16()
{
    TdeWaveFormat f;
    f.Buffer().fill(0);
    f.setFormatTag(1);
    f.setChannels(1);
    f.setSamplesPerSec(7200);
    f.setAvgBytesPerSec(14400);
    f.setBlockAlign(2);
    f.setBitsPerSample(16);
    f.setCbSize(0);
    return f;
}
} // namespace

TfmParse::TfmParse(TIniFile &ini, TModemParams &profile, TfmModem &modem, QueryBuffer &query,
                   EventLog &log, MessageService &messages, QString compressionsPath,
                   QObject *parent)
    : QObject(parent), m_ini(ini), m_profile(profile), m_modem(modem), m_query(query), m_log(log),
      m_messages(messages), m_compressionsPath(std::move(compressionsPath))
{
    setObjectName(QStringLiteral("fmParse"));
}

bool TfmParse::ParseCompressionList(bool interactive)
{
    if (!interactive) {
        m_query.clear();
        QString reply;
        m_modem.SendCommand(QStringLiteral("at+vsm=?"), reply);
        m_query.addText(reply);
    }
    m_log.appendLine(QStringLiteral("at+vsm=?"));

    QList<CompressionRow> rows;
    for (const QString &text : m_query.lines()) {
        if (rows.size() >= CompressionsFile::MaxRows)
            break; // the table is full; further lines could not be chosen anyway
        const QString line = text.trimmed();
        if (line.isEmpty())
            continue;
        std::optional<CompressionRow> row = ParseVsmLine(line);
        if (!row)
            continue;
        row->VSMCommand = BuildVsmCommand(*row).left(CompressionRow::FieldLength);
        rows.append(*row);
    }
    writeRows(rows, interactive);

    if (!rows.isEmpty())
        return true;
    m_messages.showMessage(NoCompressionMessage, MessageService::Kind::Warning);
    if (!interactive) {
        m_profile.VoiceCompression = QStringLiteral("at+vsm=none");
        ModemSetupStore::storeNoCompression(m_ini);
    }
    return false;
}

void TfmParse::writeRows(const QList<CompressionRow> &rows, bool interactive)
{
    if (!CompressionsFile::write(m_compressionsPath, rows))
        throw FileAccessError(QStringLiteral("Cannot create file \"%1\".").arg(m_compressionsPath));
    QStringList mirror;
    for (const CompressionRow &row : rows)
        mirror.append(mirrorValue(row));
    ModemSetupStore::storeCompressionList(m_ini, mirror);
    if (interactive) {
        for (const CompressionRow &row : rows)
            m_messages.showMessage(rowMessage(row), MessageService::Kind::Information);
    }
}

bool TfmParse::RecordLineSelection()
{
    QString reply;
    m_modem.SendCommand(QStringLiteral("at+vls=?"), reply);
    m_query.setText(reply);
    ModemSetupStore::storeTelephoneLine(m_ini, m_profile.LineSel_T);
    return true;
}

bool TfmParse::ChooseDefaultCompression()
{
    const QList<CompressionRow> rows = CompressionsFile::readAll(m_compressionsPath);
    const std::optional<int> chosen = chooseDefaultRow(rows);
    if (!chosen)
        return false;
    ModemSetupStore::storeCommand(m_ini, &TModemParams::VoiceCompression, rows[*chosen].VSMCommand);
    ModemSetupStore::storeCompressionRow(m_ini, *chosen);
    return true;
}

bool TfmParse::readCurrentCompression(int index)
{
    const std::optional<CompressionRow> row = CompressionsFile::readRow(m_compressionsPath, index);
    CurrentCompression = row.value_or(CompressionRow{});
    return row.has_value();
}

bool TfmParse::MatchModemCompression()
{
    // A row that cannot be read stays empty, and an empty row matches no format.
    readCurrentCompression(ModemState::compressionRow(m_ini));

    CodecCatalogue::Refresh();
    QList<CodecFormatKey> keys;
    QList<TdeWaveFormat> formats;
    for (int c = 0; c < CodecCatalogue::count(); ++c) {
        const TdeCodec &codec = CodecCatalogue::Codec(c);
        for (int f = 0; f < codec.formatCount(); ++f) {
            const TdeWaveFormat format = codec.Format(f).Format();
            keys.append({format.FormatTag(), format.Channels(), int(format.SamplesPerSec()),
                         format.BitsPerSample()});
            formats.append(format);
        }
    }

    const CompressionMatch match = matchCompression(CurrentCompression, keys);
    if (match.kind == CompressionMatch::Kind::None) {
        m_messages.showMessage(NoCodecMessage, MessageService::Kind::Warning);
        return false;
    }
    const TdeWaveFormat found = match.kind == CompressionMatch::Kind::Pcm7200x16
                                    ? pcm7200x16()
                                    : formats[match.formatIndex];
    ModemSetupStore::storeModemFormat(m_ini, found);
    return true;
}

void TfmParse::learnRecGain(GainPair &pair)
{
    QString reply;
    if (m_modem.SendCommand(QStringLiteral("at+VGR=?"), reply) != AtResult::Ok) {
        ModemSetupStore::storeNoGain(m_ini, ModemSetupStore::Gain::Receive);
        return;
    }
    pair = ParseGainRange(reply, QStringLiteral("+VGR:"), pair);
    ModemSetupStore::storeGain(m_ini, ModemSetupStore::Gain::Receive, pair.first, pair.second,
                               middleGainCommand("at+vgr=", pair));
}

void TfmParse::learnSpeakerVolume(GainPair &pair)
{
    QString reply;
    if (m_modem.SendCommand(QStringLiteral("at+VGT=?"), reply) != AtResult::Ok) {
        ModemSetupStore::storeNoGain(m_ini, ModemSetupStore::Gain::Speaker);
        return;
    }
    pair = ParseGainRange(reply, QStringLiteral("+VGT:"), pair);
    ModemSetupStore::storeGain(m_ini, ModemSetupStore::Gain::Speaker, pair.first, pair.second,
                               middleGainCommand("at+vgt=", pair));
}

bool TfmParse::queryCompressionsInteractive()
{
    try {
        if (!ParseCompressionList(true))
            return false;
    } catch (const FileAccessError &e) {
        m_messages.showMessage(QString::fromStdString(e.what()), MessageService::Kind::Error);
        return false;
    }
    return ChooseDefaultCompression();
}
