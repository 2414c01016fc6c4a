#include "base64.h"

#include <array>
#include <cstring>

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
    QByteArray out(size / 4 * 3, Qt::Uninitialized);
    char *end = out.data();
    quint8 group[4];
    int filled = 0;
    for (const Unit *u = units, *last = units + size; u != last; ++u) {
        const unsigned c = code(*u);
        if (c >= DecodeTable.size() || DecodeTable[c] == Outside)
            continue;
        group[filled++] = DecodeTable[c];
        if (filled < 4)
            continue;
        char bytes[3];
        DecodeQuad(group, bytes);
        // All three always fit (the output has room for three per group); padding
        // drops bytes from the end, and the next group writes over them.
        std::memcpy(end, bytes, 3);
        end += 3 - (group[3] == Padding) - (group[2] == Padding);
        filled = 0;
    }
    out.truncate(end - out.constData());
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
