#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the stand-in chart site serves, computed from the request alone so that
// every run and every test sees the same pages and songs.
namespace SiteContent {

struct Song
{
    QString artist; // as shown, before escaping into the page
    QString name;
    bool hasAddress = true;
};

// The songs of a station's history page for a date; count 0 picks the usual
// 12 to 20 songs. The same arguments always give the same list; some songs
// carry the characters that the program must clean or keep, one has no address
// and one repeats an earlier song.
QList<Song> Songs(const QString &slug, const QString &date, int count = 0);

// The page for those songs, addresses pointing back at origin: the scheme and
// the host as the client named it in its request ("http://127.0.0.1:8080").
QByteArray HistoryPage(const QString &slug, const QString &date, const QString &origin,
                       int count = 0);

// Path of the song at 1-based position on the site.
QString SongPath(const QString &slug, const QString &date, int position);

// The MP3 of the song at position (a short silent file tagged with its names),
// or, given bytes, one of exactly that size.
QByteArray SongFile(const QString &slug, const QString &date, int position, qint64 bytes = 0);

// The version script's reply body, naming the download page at origin.
QByteArray VersionReply(const QString &version, const QString &origin);

} // namespace SiteContent
