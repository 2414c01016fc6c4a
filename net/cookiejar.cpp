#include "cookiejar.h"

#include "requesttext.h"

#include <QList>

using namespace Qt::StringLiterals;

QString CookieJar::GetCookies(QStringView response)
{
    const qsizetype headerEnd = response.indexOf(u"\r\n\r\n");
    if (headerEnd < 0)
        return {};
    QString cookies;
    for (qsizetype start = 0; start <= headerEnd;) {
        const qsizetype end = response.indexOf(u"\r\n", start);
        const QStringView line = response.sliced(start, end - start);
        start = end + 2;
        // Header names have no letter case; gateways send them in lower case.
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0 || line.first(colon).trimmed().compare(u"Set-Cookie", Qt::CaseInsensitive))
            continue;
        const QStringView value = line.sliced(colon + 1).trimmed();
        if (value.isEmpty())
            continue;
        const qsizetype semicolon = value.indexOf(u';');
        const QString pair =
            semicolon >= 0 ? value.first(semicolon + 1).toString() : value.toString() + u';';
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
