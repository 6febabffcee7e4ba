// Choosing the compression to record with, and the codec format that describes its samples.
#pragma once

#include "CompressionRow.h"

#include <QList>
#include <optional>

// The row recording uses when the user has not chosen: 8-bit linear or G.711 first, then
// 16-bit linear, else the first row. No value for an empty table.
std::optional<int> chooseDefaultRow(const QList<CompressionRow> &rows);

// What the matching needs of one codec format, in the catalogue's order.
struct CodecFormatKey
{
    int tag = 0; // 1 PCM, 6 A-law, 7 mu-law
    int channels = 0;
    int samplesPerSec = 0;
    int bitsPerSample = 0;
};

struct CompressionMatch
{
    enum class Kind
    {
        None,
        CatalogueFormat,
        Pcm7200x16
    } kind = Kind::None;
    int formatIndex = -1; // with CatalogueFormat: index into the formats passed
};

// Finds the format describing the row's samples. A row whose bits or rate is not a number
// matches nothing. The fixed 16-bit 7200 Hz PCM format is used for such a linear row
// unless the first format tested already matches it.
CompressionMatch matchCompression(const CompressionRow &row, const QList<CodecFormatKey> &formats);
