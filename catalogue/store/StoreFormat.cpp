// Reader and writer of the table file format.
#include "StoreFormat.h"

#include "StoreError.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace StoreFormat {

namespace {

std::uint32_t readU32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}

void putU32(std::string &out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void appendU32(std::string &out, std::uint32_t v)
{
    out.append(4, '\0');
    putU32(out, out.size() - 4, v);
}

// A field name from a file as it may appear in a message: bounded and printable.
std::string shownName(std::string_view name)
{
    std::string out;
    for (char c : name.substr(0, 64))
        out.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c);
    return out;
}

[[noreturn]] void fail(const char *message)
{
    throw StoreError(message);
}

[[noreturn]] void failField(const char *format, std::string_view name, long long length,
                            long long record)
{
    char text[256];
    std::snprintf(text, sizeof text, format, shownName(name).c_str(), length, record);
    throw StoreError(text);
}

[[noreturn]] void fieldBlockBroken()
{
    fail("Error in buffer structure (field description section)");
}

} // namespace

std::string buildFieldBlock(const std::vector<FieldSpec> &specs)
{
    if (specs.empty())
        fail("Error creating table (no field descriptions)");
    std::string block;
    for (const FieldSpec &field : specs) {
        std::string name = field.name;
        for (char &c : name)
            if (c == ' ')
                c = '_';
        FieldKind kind = field.kind;
        if (isTextKind(kind))
            kind = field.size <= SmallStrMaxSize ? FieldKind::SmallStr : FieldKind::String;
        block += "XXX." + name + " " + typeCodeOf(kind, field.size);
        block.push_back(DescriptorEnd);
    }
    block.push_back(BlockEnd);
    return block;
}

FieldList parseFieldBlock(std::string_view block, std::int32_t count)
{
    // A table has at least one field; a count of none could make every record zero bytes long.
    if (count < 1)
        fieldBlockBroken();
    FieldList fields;
    std::size_t pos = 0;
    std::uint32_t offset = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::size_t end = block.find(DescriptorEnd, pos);
        if (end == std::string_view::npos)
            fieldBlockBroken();
        std::string_view text = block.substr(pos, end - pos);
        pos = end + 1;

        FieldDesc f;
        const std::size_t dot = text.find('.');
        if (dot != std::string_view::npos) {
            f.alias = std::string(text.substr(0, dot));
            text.remove_prefix(dot + 1);
        }
        const std::size_t space = text.find(' ');
        if (space == std::string_view::npos || space == 0)
            fieldBlockBroken();
        f.name = std::string(text.substr(0, space));
        int size = 0;
        if (!parseTypeCode(text.substr(space + 1), f.kind, size))
            fieldBlockBroken();
        f.size = static_cast<std::uint16_t>(size);
        f.recordBytes = recordBytesOf(f.kind, size);
        f.offset = static_cast<std::uint16_t>(offset);
        offset += f.recordBytes;
        if (offset > 0xFFFF)
            fieldBlockBroken();
        fields.push_back(std::move(f));
    }
    return fields;
}

TableImage parse(std::string_view file)
{
    if (file.size() < 5)
        fail("Buffer structure corruption!");
    if (file[4] == ErrorSignature) {
        // The file carries an error report instead of a table; bound what is shown of it.
        std::string text = shownName(file.substr(5, 200));
        throw StoreError(text);
    }
    if (file.size() < HeaderSize)
        fail("Buffer structure corruption!");
    const auto declared = static_cast<std::int32_t>(readU32(file.data() + 5));
    const auto n = static_cast<std::int32_t>(readU32(file.data() + 9));
    const auto blockLength = static_cast<std::int32_t>(readU32(file.data() + 13));
    if (blockLength < 0 || static_cast<std::size_t>(blockLength) > file.size() - HeaderSize)
        fail("Buffer structure corruption!");

    TableImage image;
    image.fieldBlock = std::string(file.substr(HeaderSize, static_cast<std::size_t>(blockLength)));
    image.fields = parseFieldBlock(image.fieldBlock, n);
    const FieldList &fields = image.fields;
    const std::size_t count = fields.size();

    std::size_t pos = HeaderSize + static_cast<std::size_t>(blockLength);
    auto remaining = [&] { return file.size() - pos; };
    auto need = [&](std::size_t bytes) {
        if (remaining() < bytes)
            fail("Unexpected end of buffer");
    };

    if (remaining() >= count && remaining() > 0 && file[pos] == NoteMark) {
        ++pos;
        need(2);
        const std::size_t m = static_cast<unsigned char>(file[pos]) |
                              static_cast<std::size_t>(static_cast<unsigned char>(file[pos + 1]))
                                  << 8;
        pos += 2;
        need(m);
        image.hasNote = true;
        image.note = std::string(file.substr(pos, m));
        pos += m;
    }

    if (declared > 0)
        image.records.reserve(
            std::min<std::size_t>(static_cast<std::size_t>(declared), remaining() / count + 1));
    std::int64_t read = 0;
    while (remaining() >= count && read < declared) {
        const std::size_t start = pos;
        const long long recordNo = read + 1;
        pos += count;
        for (std::size_t j = 0; j < count; ++j) {
            const FieldDesc &f = fields[j];
            const auto len = static_cast<unsigned char>(file[start + j]);
            if (len == 0)
                continue;
            if (!isReferencedKind(f.kind)) {
                if (len > f.recordBytes)
                    failField("Field '%s' has wrong length %lld in record %lld", f.name, len,
                              recordNo);
                need(len);
                pos += len;
                continue;
            }
            if (len != 4)
                failField("Field '%s' has wrong length %lld in record %lld", f.name, len, recordNo);
            need(4);
            const auto value = static_cast<std::int32_t>(readU32(file.data() + pos));
            pos += 4;
            if (f.kind == FieldKind::String && (value < 0 || value > StringMaxLength))
                failField("String field '%s' has wrong length %lld in record %lld", f.name, value,
                          recordNo);
            if (f.kind != FieldKind::String && (value < 0 || value > BlobMaxLength))
                failField("BLOB field '%s' has wrong length %lld in record %lld", f.name, value,
                          recordNo);
            need(static_cast<std::size_t>(value));
            pos += static_cast<std::size_t>(value);
        }
        image.records.emplace_back(file.substr(start, pos - start));
        ++read;
    }
    if (read != declared) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "Number of records read (%lld) does not match declared record count (%d)",
                      static_cast<long long>(read), declared);
        throw StoreError(text);
    }
    return image;
}

Writer::Writer(std::string_view fieldBlock, std::int32_t fieldCount, const std::string *note,
               std::size_t expectedBytes)
{
    m_out.reserve(HeaderSize + fieldBlock.size() + (note ? note->size() + 3 : 0) + expectedBytes);
    m_out.append(4, '\0');
    m_out.push_back(TableSignature);
    appendU32(m_out, 0);
    appendU32(m_out, static_cast<std::uint32_t>(fieldCount));
    appendU32(m_out, static_cast<std::uint32_t>(fieldBlock.size()));
    m_out += fieldBlock;
    if (note) {
        const std::size_t m = std::min<std::size_t>(note->size(), 0xFFFF);
        m_out.push_back(NoteMark);
        m_out.push_back(static_cast<char>(m & 0xFF));
        m_out.push_back(static_cast<char>(m >> 8));
        m_out.append(*note, 0, m);
    }
}

void Writer::addRecord(std::string_view encoded)
{
    m_out += encoded;
    ++m_count;
}

std::string Writer::finish()
{
    putU32(m_out, 5, static_cast<std::uint32_t>(m_count));
    putU32(m_out, 0, static_cast<std::uint32_t>(m_out.size()));
    return std::move(m_out);
}

} // namespace StoreFormat
