// Default choice and codec matching. Comparisons of class and bits are exact.
#include "CompressionChoice.h"

std::optional<int> chooseDefaultRow(const QList<CompressionRow> &rows)
{
    if (rows.isEmpty())
        return std::nullopt;
    const std::pair<const char *, const char *> rules[] = {
        {"UNSIGNED PCM", "8"}, {"SIGNED PCM", "8"},  {"ULAW", "8"},
        {"ALAW", "8"},         {"SIGNED PCM", "16"}, {"UNSIGNED PCM", "16"}};
    for (const auto &[description, bits] : rules) {
        for (int i = 0; i < rows.size(); ++i) {
            if (rows[i].Description == QLatin1String(description) &&
                rows[i].bps == QLatin1String(bits))
                return i;
        }
    }
    return 0;
}

CompressionMatch matchCompression(const CompressionRow &row, const QList<CodecFormatKey> &formats)
{
    bool bitsOk = false;
    bool rateOk = false;
    const int bits = row.bps.trimmed().toInt(&bitsOk);
    const int rate = row.vsr.trimmed().toInt(&rateOk);
    if (!bitsOk || !rateOk)
        return {};
    const bool linear = row.Description == QLatin1String("UNSIGNED PCM") ||
                        row.Description == QLatin1String("SIGNED PCM");
    for (int i = 0; i < formats.size(); ++i) {
        const CodecFormatKey &f = formats[i];
        const bool sameShape =
            f.bitsPerSample == bits && f.channels == 1 && f.samplesPerSec == rate;
        if (linear && f.tag == 1 && sameShape)
            return {CompressionMatch::Kind::CatalogueFormat, i};
        if (linear && bits == 16 && rate == 7200)
            return {CompressionMatch::Kind::Pcm7200x16, -1};
        if (row.Description == QLatin1String("ULAW") && f.tag == 7 && sameShape)
            return {CompressionMatch::Kind::CatalogueFormat, i};
        if (row.Description == QLatin1String("ALAW") && f.tag == 6 && sameShape)
            return {CompressionMatch::Kind::CatalogueFormat, i};
    }
    return {};
}
