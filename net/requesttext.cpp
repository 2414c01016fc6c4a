#include "requesttext.h"

#include "ansicodec.h"
#include "textcodecs.h"

using namespace Qt::StringLiterals;

namespace {

QString withoutScheme(QStringView url)
{
    if (RequestText::isHttps(url))
        return url.sliced(8).toString();
    return url.toString().remove(u"http://"_s, Qt::CaseSensitive);
}

const QString crlf = u"\r\n"_s;

} // namespace

QString RequestText::host(QStringView url)
{
    const QString rest = withoutScheme(url);
    const qsizetype slash = rest.indexOf(u'/');
    return slash < 0 ? rest : rest.left(slash);
}

QString RequestText::path(QStringView url)
{
    const QString rest = withoutScheme(url);
    const qsizetype slash = rest.indexOf(u'/');
    return slash < 0 ? QString() : rest.mid(slash + 1);
}

bool RequestText::isHttps(QStringView url)
{
    return url.startsWith(u"https://");
}

bool RequestText::isSendable(QStringView url)
{
    // Only what ends or breaks the request line. C1 code points are ordinary here:
    // U+0098 stands for byte 0x98, which UTF-8 addresses hold («И» is D0 98).
    for (const QChar c : url) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

QString RequestText::sentReferer() const
{
    // An address from a secure page never travels in the clear.
    return isHttps(Referer) && !isHttps(Url) ? QString() : Referer;
}

QString RequestText::getText() const
{
    QString text;
    text += (Proxy ? u"GET "_s + Url : u"GET /"_s + path(Url)) + u" HTTP/1.0"_s + crlf;
    text += u"User-Agent: Opera/9.80 (Windows NT 5.1; U; ru) Presto/2.10.289 Version/12.02 "
            u"YB/3.5.1.0"_s +
            crlf;
    text += u"Accept: text/html, application/xml, application/xhtml+xml, image/jpeg, image/gif, "
            u"image/x-xbitmap"_s +
            crlf;
    text += u"Accept-Encoding: identity"_s + crlf;
    text += u"Accept-Language: ru-RU,ru"_s + crlf;
    text += u"Host: "_s + host(Url) + crlf;
    text += u"Referer: "_s + sentReferer() + crlf;
    text += u"Pragma: no-cache"_s + crlf;
    text += u"Cache-Control: no-cache"_s + crlf;
    if (!Cookies.isEmpty())
        text += u"Cookie: "_s + Cookies + crlf;
    if (RangeFrom > 0 && !IfRange.isEmpty()) {
        text += u"Range: bytes="_s + QString::number(RangeFrom) + u'-' + crlf;
        text += u"If-Range: "_s + Ansi::toText(IfRange) + crlf;
    }
    text += (Proxy ? u"Proxy-Connection: Close"_s : u"Connection: Close"_s) + crlf;
    text += crlf;
    return text;
}

QString RequestText::postText() const
{
    const QString body = PostUtf ? TextCodecs::ToUTF(Body) : Body;
    QString text;
    text += (Proxy ? u"POST "_s + Url : u"POST /"_s + path(Url)) + u" HTTP/1.0"_s + crlf;
    text += u"User-Agent: Opera/9.80 (Windows NT 5.1; U; ru) Presto/2.6.30 Version/10.63"_s + crlf;
    text += u"Accept: text/html, application/xml, application/xhtml+xml, image/jpeg, image/gif, "
            u"image/x-xbitmap"_s +
            crlf;
    text += u"Accept-Language: ru"_s + crlf;
    text += (PostUtf ? u"Accept-Charset: utf-8"_s : u"Accept-Charset: windows-1251"_s) + crlf;
    text += u"Accept-Encoding: identity"_s + crlf;
    text += u"Host: "_s + host(Url) + crlf;
    text += u"Referer: "_s + sentReferer() + crlf;
    if (!Cookies.isEmpty())
        text += u"Cookie: "_s + Cookies + crlf;
    text += u"Content-Length: "_s + QString::number(body.size()) + crlf;
    text +=
        u"Content-Type: multipart/form-data; boundary=----------THiVtHX7RDz4LGq6j34h6V"_s + crlf;
    text += (Proxy ? u"Proxy-Connection: Close"_s : u"Connection: Close"_s) + crlf;
    text += crlf;
    text += body;
    return text;
}

QByteArray RequestText::toBytes() const
{
    switch (Method) {
    case Get:
        return Ansi::toBytes(getText());
    case Post:
        return Ansi::toBytes(postText());
    default:
        return {};
    }
}

QByteArray RequestText::connectBytes(QStringView authority)
{
    const QString text = u"CONNECT "_s + authority.toString() + u" HTTP/1.0"_s + crlf +
                         u"Host: "_s + authority.toString() + crlf + crlf;
    return Ansi::toBytes(text);
}
