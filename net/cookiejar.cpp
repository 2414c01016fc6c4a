#include "cookiejar.h"

#include "requesttext.h"

#include <QList>

using namespace Qt::StringLiterals;

QString CookieJar::GetCookies(QStringView response)
{
    const qsizetype headerEnd = response.indexOf(u"\r\n\r\n");
    if (headerEnd < 0)
        return {};
    const QStringView headers = response.left(headerEnd + 2);
    const QString marker = u"Set-Cookie: "_s;
    const qsizetype first = headers.indexOf(marker);
    if (first < 0)
        return {};

    QString cookies;
    for (QStringView piece : headers.mid(first).split(marker)) {
        if (piece.isEmpty())
            continue;
        const qsizetype lineEnd = piece.indexOf(u"\r\n");
        if (lineEnd >= 0)
            piece = piece.left(lineEnd + 2);
        QString pair;
        const qsizetype semicolon = piece.indexOf(u';');
        if (semicolon >= 0)
            pair = piece.left(semicolon + 1).toString();
        else
            pair = piece.left(lineEnd >= 0 ? lineEnd : piece.size()).toString() + u';';
        if (!pair.contains(u"=deleted;"))
            cookies += pair;
    }
    return cookies;
}

void CookieJar::AddCookies(QStringView value)
{
    QList<QStringView> pairs = value.split(u';');
    pairs.removeLast(); // the text after the last ";" is no pair
    for (const QStringView pair : pairs) {
        const QList<QStringView> parts = pair.split(u'=');
        if (parts.size() < 2 || parts[0].isEmpty() || parts[1].isEmpty())
            continue;
        // A cookie is sent inside a header line; a line break in it would start a new one.
        if (!RequestText::isSendable(pair))
            continue;
        const QStringView name = parts[0];
        if (Jar.contains(name)) {
            QString rebuilt;
            QList<QStringView> pieces = QStringView(Jar).split(u';');
            pieces.removeLast();
            for (const QStringView piece : pieces) {
                rebuilt += piece.contains(name) ? pair : piece;
                rebuilt += u';';
            }
            Jar = rebuilt;
        }
        if (!Jar.contains(name)) {
            Jar += pair;
            Jar += u';';
        }
    }
}
