// The codecs on any input, read both as bytes and as UTF-16 units:
// Windows-1251 bytes -> text -> bytes is the identity; Base64 of a standard
// encoding decodes back, whatever junk sits between its characters; UTF-8 is
// decoded exactly when a response declares it, both entry points alike; the UTF-8
// form of a text reads back as that text; URL encoding writes only the kept
// characters and "%XX", and undoing it gives the text's bytes.

#include "ansicodec.h"
#include "base64.h"
#include "fuzzcheck.h"
#include "textcodecs.h"

#include <cstdint>
#include <string_view>

using namespace Qt::StringLiterals;
using namespace std::string_view_literals;

namespace {

constexpr std::string_view Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"sv;

// Text as the code page has it: what it lacks is '?'.
QString Narrowed(QStringView text)
{
    return Ansi::toText(Ansi::toBytes(text));
}

void CheckAnsi(const QByteArray &bytes, QStringView units)
{
    const QString text = Ansi::toText(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_SAME(Ansi::toBytes(text), bytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        FUZZ_CHECK(text[i] == QChar(Ansi::charForByte(uchar(bytes[i]))));
        FUZZ_CHECK(!text[i].isSurrogate());
    }
    // The other way, a character the code page has comes back, any other is '?'.
    const QByteArray narrowed = Ansi::toBytes(units);
    FUZZ_CHECK(narrowed.size() == units.size());
    const QString back = Ansi::toText(narrowed);
    for (qsizetype i = 0; i < units.size(); ++i)
        FUZZ_CHECK(back[i] == units[i] || narrowed[i] == '?');
    FUZZ_SAME(Narrowed(back), back);
}

void CheckBase64(const QByteArray &bytes)
{
    const QByteArray encoded = bytes.toBase64();
    FUZZ_SAME(Base64Decode(QString::fromLatin1(encoded)), bytes);
    FUZZ_SAME(Base64Decode(QByteArrayView(encoded)), bytes);

    // Characters outside the alphabet between the groups' characters are skipped.
    QByteArray spread;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        spread += encoded[i];
        const char junk = bytes.isEmpty() ? '\n' : bytes[i % bytes.size()];
        if (junk != '=' && Alphabet.find(junk) == std::string_view::npos)
            spread += junk;
    }
    FUZZ_SAME(Base64Decode(QByteArrayView(spread)), bytes);
    FUZZ_SAME(Base64Decode(QStringView(Ansi::toText(spread))), bytes);

    // Any input: both entry points agree, and the alphabet alone in whole groups
    // decodes as Qt decodes it.
    const QByteArray raw = Base64Decode(QByteArrayView(bytes));
    FUZZ_SAME(Base64Decode(QString::fromLatin1(bytes)), raw);
    FUZZ_SAME(Base64Decode(QStringView(Ansi::toText(bytes))), raw);
    QByteArray letters;
    for (const char c : bytes) {
        if (Alphabet.find(c) != std::string_view::npos)
            letters += c;
    }
    letters.truncate(letters.size() / 4 * 4);
    FUZZ_SAME(Base64Decode(QByteArrayView(letters)), QByteArray::fromBase64(letters));
    FUZZ_CHECK(raw.size() <= bytes.size() / 4 * 3);
}

void CheckUtf8(const QByteArray &bytes, QStringView units)
{
    const bool utf8 = TextCodecs::DeclaresUtf8(bytes);
    const QByteArrayView view(bytes);
    if (utf8) {
        FUZZ_CHECK(view.contains("charset=UTF-8") || view.contains("charset=utf-8"));
        FUZZ_CHECK(!view.contains("Content-Type: application/octet-stream"));
    }
    const QString decoded = TextCodecs::DeUTF(bytes);
    FUZZ_SAME(decoded, utf8 ? QString::fromUtf8(bytes) : Ansi::toText(bytes));
    FUZZ_SAME(TextCodecs::DeUTF(QStringView(Ansi::toText(bytes))), decoded);

    // The UTF-8 form, as byte text: its bytes are the UTF-8 of what the code page
    // keeps of the text, and a response declaring UTF-8 reads it back.
    const QString narrowed = Narrowed(units);
    const QString byteText = TextCodecs::ToUTF(units);
    FUZZ_SAME(Ansi::toBytes(byteText), narrowed.toUtf8());
    FUZZ_SAME(Narrowed(byteText), byteText);
    if (!narrowed.contains(u"application/octet-stream")) {
        const QString head = u"HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"_s;
        FUZZ_SAME(TextCodecs::DeUTF(QStringView(head + byteText)), head + narrowed);
    }
}

void CheckUrlEncode(QStringView units)
{
    static constexpr std::string_view kept =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789=-()&_./:"sv;
    const QString encoded = TextCodecs::URLEncode(units);
    QByteArray decoded;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char16_t c = encoded[i].unicode();
        if (c == u'%') {
            FUZZ_CHECK(i + 2 < encoded.size());
            const QString hex = encoded.sliced(i + 1, 2);
            for (const QChar digit : hex)
                FUZZ_CHECK((digit >= u'0' && digit <= u'9') || (digit >= u'A' && digit <= u'F'));
            decoded += char(hex.toInt(nullptr, 16));
            i += 2;
            continue;
        }
        FUZZ_CHECK(c < 0x80 && kept.find(char(c)) != std::string_view::npos);
        decoded += char(c);
    }
    FUZZ_SAME(decoded, Ansi::toBytes(units));
    FUZZ_CHECK(!encoded.contains(u'+') && !encoded.contains(u' '));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString units(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
    CheckAnsi(bytes, units);
    CheckBase64(bytes);
    CheckUtf8(bytes, units);
    CheckUrlEncode(units);
    return 0;
}
