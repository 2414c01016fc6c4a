#pragma once

#include <QByteArray>
#include <QString>

// The answer to a GET of a song file: the whole file (200), or, when the request
// asks "Range: bytes=N-" and its If-Range (if any) names this file by its ETag or
// Last-Modified, the rest from byte N (206, with Content-Range); 416 for an N
// past the end. Any other range is ignored and the whole file sent, as a server
// may. Every answer names the file's ETag and Last-Modified.
struct SongReply
{
    QByteArray Status;  // "200 OK"
    QByteArray Headers; // lines beyond the usual ones, each ending CR LF
    QByteArray Body;

    // date: the history page's day ("16.06.2014"), the file's Last-Modified.
    static SongReply build(const QByteArray &file, const QString &date, const QByteArray &range,
                           const QByteArray &ifRange);
    static QByteArray etag(const QByteArray &file);
    static QByteArray lastModified(const QString &date);
};
