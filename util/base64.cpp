#include "base64.h"

#include <array>

namespace {

constexpr quint8 Padding = 64;
constexpr quint8 Outside = 0xFF;

constexpr std::array<quint8, 128> buildDecodeTable()
{
    std::array<quint8, 128> table{};
    for (auto &v : table)
        v = Outside;
    for (int i = 0; i < 26; ++i) {
        table['A' + i] = quint8(i);
        table['a' + i] = quint8(26 + i);
    }
    for (int i = 0; i < 10; ++i)
        table['0' + i] = quint8(52 + i);
    table['+'] = 62;
    table['/'] = 63;
    table['='] = Padding;
    return table;
}

constexpr std::array<quint8, 128> DecodeTable = buildDecodeTable();

void DecodeQuad(const quint8 (&q)[4], char (&out)[3])
{
    out[0] = char(((q[0] & 63) << 2) | ((q[1] >> 4) & 15));
    out[1] = char(((q[1] & 15) << 4) | ((q[2] >> 2) & 15));
    out[2] = char(((q[2] & 3) << 6) | q[3]);
}

// One pass for characters and bytes alike: both are looked up by their code.
template<typename Unit, typename Code>
QByteArray Decode(qsizetype size, const Unit *units, Code code)
{
    QByteArray out;
    out.reserve(size / 4 * 3);
    quint8 group[4];
    int filled = 0;
    for (const Unit *u = units, *end = units + size; u != end; ++u) {
        const unsigned c = code(*u);
        if (c >= DecodeTable.size() || DecodeTable[c] == Outside)
            continue;
        group[filled++] = DecodeTable[c];
        if (filled < 4)
            continue;
        char bytes[3];
        DecodeQuad(group, bytes);
        out.append(bytes, 3);
        if (group[3] == Padding)
            out.chop(1);
        if (group[2] == Padding)
            out.chop(1);
        filled = 0;
    }
    return out;
}

} // namespace

QByteArray Base64Decode(QStringView text)
{
    return Decode(text.size(), text.data(), [](QChar c) { return unsigned(c.unicode()); });
}

QByteArray Base64Decode(QByteArrayView bytes)
{
    return Decode(bytes.size(), bytes.data(), [](char c) { return unsigned(uchar(c)); });
}
