#include "textcodecs.h"

#include "ansicodec.h"

#include <string_view>

using namespace std::string_view_literals;

namespace {

bool contains(QByteArrayView haystack, std::string_view needle)
{
    return std::string_view(haystack.data(), size_t(haystack.size())).find(needle) !=
           std::string_view::npos;
}

} // namespace

namespace TextCodecs {

bool DeclaresUtf8(QByteArrayView response)
{
    if (contains(response, "Content-Type: application/octet-stream"sv))
        return false;
    return contains(response, "charset=UTF-8"sv) || contains(response, "charset=utf-8"sv);
}

QString DeUTF(const QByteArray &response)
{
    return DeclaresUtf8(response) ? QString::fromUtf8(response) : Ansi::toText(response);
}

QString DeUTF(QStringView byteText)
{
    return DeUTF(Ansi::toBytes(byteText));
}

QString ToUTF(QStringView text)
{
    return Ansi::toText(Ansi::toText(Ansi::toBytes(text)).toUtf8());
}

QString URLEncode(QStringView text)
{
    static constexpr std::string_view kept =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789=-()&_./:"sv;
    static constexpr char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = Ansi::toBytes(text);
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const uchar b = uchar(c);
        if (b != 0 && kept.find(c) != std::string_view::npos) {
            out += QLatin1Char(char(b));
        } else if (b == ' ') {
            out += u"%20";
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(hex[b >> 4]);
            out += QLatin1Char(hex[b & 15]);
        }
    }
    return out;
}

} // namespace TextCodecs
