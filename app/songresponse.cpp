#include "songresponse.h"

#include <QByteArray>
#include <QList>

#include <cctype>

namespace {

constexpr QByteArrayView HeaderEnd("\r\n\r\n");

bool SuccessStatus(QByteArrayView statusLine)
{
    // "HTTP/1.x 2xx reason"
    if (!statusLine.startsWith("HTTP/"))
        return false;
    const qsizetype blank = statusLine.indexOf(' ');
    if (blank < 0 || statusLine.size() < blank + 4)
        return false;
    const QByteArrayView code = statusLine.sliced(blank + 1, 3);
    if (code[0] != '2' || !std::isdigit(uchar(code[1])) || !std::isdigit(uchar(code[2])))
        return false;
    return statusLine.size() == blank + 4 || statusLine[blank + 4] == ' ' ||
           statusLine[blank + 4] == '\r';
}

// The Content-Length value, -1 when the header is absent, -2 when it is not a number.
qint64 ContentLength(QByteArrayView headers)
{
    qint64 length = -1;
    qsizetype start = 0;
    while (start < headers.size()) {
        qsizetype end = headers.indexOf("\r\n", start);
        if (end < 0)
            end = headers.size();
        const QByteArrayView line = headers.sliced(start, end - start);
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).toByteArray().trimmed().compare(
                             "content-length", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 value = line.sliced(colon + 1).toByteArray().trimmed().toLongLong(&ok);
            if (!ok || value < 0)
                return -2;
            length = value;
        }
        start = end + 2;
    }
    return length;
}

} // namespace

std::optional<QByteArrayView> SongBody(QByteArrayView response)
{
    const qsizetype headerEnd = response.indexOf(HeaderEnd);
    if (headerEnd < 0)
        return std::nullopt;
    const QByteArrayView head = response.first(headerEnd);
    const qsizetype lineEnd = head.indexOf("\r\n");
    const QByteArrayView statusLine = lineEnd < 0 ? head : head.first(lineEnd);
    if (!SuccessStatus(statusLine))
        return std::nullopt;
    const QByteArrayView body = response.sliced(headerEnd + HeaderEnd.size());
    const qint64 length = lineEnd < 0 ? -1 : ContentLength(head.sliced(lineEnd + 2));
    if (length == -2 || (length >= 0 && body.size() != length))
        return std::nullopt;
    return body;
}
