#include "redirecttarget.h"

#include "ansicodec.h"
#include "headerfields.h"
#include "requesttext.h"

using namespace Qt::StringLiterals;

namespace {

// "name://" at the start, name being letters, digits, "+", "-" or "." after a letter.
bool startsWithScheme(QStringView text)
{
    const qsizetype at = text.indexOf(u"://");
    if (at <= 0 || !text.front().isLetter())
        return false;
    for (const QChar c : text.first(at)) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                        (u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

namespace RedirectTarget {

std::optional<QString> location(const HeaderFields &fields)
{
    const std::optional<QByteArrayView> value = fields.value("Location");
    if (!value)
        return std::nullopt;
    return fields.declaresUtf8() ? QString::fromUtf8(*value) : Ansi::toText(value->toByteArray());
}

QString resolve(QStringView currentUrl, QString location)
{
    location.replace(u"rstart"_s, u"c_start"_s);
    location.replace(u"&amp;"_s, u"&"_s);
    if (location.startsWith(u"http://") || location.startsWith(u"https://"))
        return location;
    if (startsWithScheme(location))
        return {};

    const QString scheme = RequestText::isHttps(currentUrl) ? u"https://"_s : u"http://"_s;
    if (location.startsWith(u"//")) {
        // A network path: same scheme, the authority it names. None named, no target.
        const QString target = scheme + location.sliced(2);
        return RequestText::host(target).isEmpty() ? QString() : target;
    }
    const QString host = RequestText::host(currentUrl);
    if (location.startsWith(u'/'))
        return scheme + host + location;
    // The current directory: the path up to its last "/"; a URL naming a host
    // alone stands for that host's root.
    const QString path = RequestText::path(currentUrl);
    const qsizetype slash = path.lastIndexOf(u'/');
    return scheme + host + u'/' + path.left(slash + 1) + location;
}

} // namespace RedirectTarget
