#include "redirecttarget.h"

#include "ansicodec.h"
#include "requesttext.h"
#include "textcodecs.h"

#include <string_view>

using namespace Qt::StringLiterals;

namespace RedirectTarget {

std::optional<QString> location(const QByteArray &response)
{
    const std::string_view text(response.constData(), size_t(response.size()));
    constexpr std::string_view marker = "Location: ";
    const size_t start = text.find(marker);
    if (start == std::string_view::npos)
        return std::nullopt;
    const size_t valueStart = start + marker.size();
    const size_t end = text.find("\r\n", valueStart);
    if (end == std::string_view::npos)
        return std::nullopt;
    const QByteArray value = response.mid(qsizetype(valueStart), qsizetype(end - valueStart));
    // The value is cut at ASCII bytes, so decoding it alone reads it exactly as
    // decoding the whole response would.
    return TextCodecs::DeclaresUtf8(response) ? QString::fromUtf8(value) : Ansi::toText(value);
}

QString resolve(QStringView currentUrl, QString location)
{
    location.replace(u"rstart"_s, u"c_start"_s);
    if (location.contains(u"http://"))
        return location;
    if (location.contains(u"://"))
        return {};

    // A URL naming a host alone stands for that host's root directory.
    QString base = currentUrl.toString();
    if (!QString(base).remove(u"http://"_s).contains(u'/'))
        base += u'/';
    else
        base.truncate(base.lastIndexOf(u'/') + 1);

    if (location.startsWith(u'/') && base.endsWith(u'/'))
        return u"http://"_s + RequestText::host(QStringView(base).chopped(1)) + location;
    return base + location;
}

} // namespace RedirectTarget
