#include "textcodecs.h"

#include "ansicodec.h"
#include "headerfields.h"

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
    if (!contains(response, "charset=UTF-8"sv) && !contains(response, "charset=utf-8"sv))
        return false;
    // The header's name in any letter case, as gateways send it.
    const qsizetype headEnd = response.indexOf("\r\n\r\n");
    if (headEnd >= 0) {
        const HeaderFields fields = HeaderFields::parse(response.first(headEnd));
        for (const QByteArrayView type : fields.values("Content-Type")) {
            if (type.startsWith("application/octet-stream"))
                return false;
        }
    }
    return true;
}

QString DeUTF(const QByteArray &response)
{
    return DeclaresUtf8(response) ? QString::fromUtf8(response) : Ansi::toText(response);
}

QString DeUTF(QStringView byteText)
{
    // Only a byte text that declares UTF-8 is mapped back to bytes; narrowing any
    // other text through the code page would lose what the code page lacks.
    const bool maybeUtf8 =
        byteText.contains(u"charset=UTF-8") || byteText.contains(u"charset=utf-8");
    if (!maybeUtf8)
        return byteText.toString();
    const QByteArray bytes = Ansi::toBytes(byteText);
    return DeclaresUtf8(bytes) ? QString::fromUtf8(bytes) : byteText.toString();
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
