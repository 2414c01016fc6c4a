#include "songreply.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

QByteArray SongReply::etag(const QByteArray &file)
{
    return '"' + QCryptographicHash::hash(file, QCryptographicHash::Md5).toHex().left(16) + '"';
}

QByteArray SongReply::lastModified(const QString &date)
{
    QDate day = QDate::fromString(date, u"dd.MM.yyyy"_s);
    if (!day.isValid())
        day = QDate(2014, 6, 16);
    const QDateTime midnight(day, QTime(0, 0), Qt::UTC);
    return QLocale::c().toString(midnight, u"ddd, dd MMM yyyy hh:mm:ss 'GMT'"_s).toLatin1();
}

SongReply SongReply::build(const QByteArray &file, const QString &date, const QByteArray &range,
                           const QByteArray &ifRange)
{
    const QByteArray tag = etag(file);
    const QByteArray modified = lastModified(date);
    SongReply reply{"200 OK", "ETag: " + tag + "\r\nLast-Modified: " + modified + "\r\n", file};

    const QByteArray spec = range.trimmed();
    if (!spec.startsWith("bytes=") || !spec.endsWith('-'))
        return reply;
    const QByteArray digits = spec.mid(6, spec.size() - 7);
    if (digits.isEmpty() || digits.size() > 18 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return reply;
    if (!ifRange.isEmpty() && ifRange != tag && ifRange != modified)
        return reply; // the file changed since: all of it
    const qint64 from = digits.toLongLong();
    if (from >= file.size()) {
        reply.Status = "416 Range Not Satisfiable";
        reply.Headers += "Content-Range: bytes */" + QByteArray::number(file.size()) + "\r\n";
        reply.Body.clear();
        return reply;
    }
    reply.Status = "206 Partial Content";
    reply.Headers += "Content-Range: bytes " + QByteArray::number(from) + '-' +
                     QByteArray::number(file.size() - 1) + '/' + QByteArray::number(file.size()) +
                     "\r\n";
    reply.Body = file.mid(from);
    return reply;
}
