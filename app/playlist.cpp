#include "playlist.h"

#include "ansicodec.h"
#include "base64.h"
#include "textutil.h"

using namespace Qt::StringLiterals;

namespace {

const QString BlockMarker = u"song_box"_s;
const QString Quote = u"\""_s;

QString Attribute(const QString &block, const QString &name)
{
    return ExtractBetween(block, name + u"=\""_s, Quote);
}

} // namespace

QList<SongEntry> ParsePlaylist(const QString &pageText)
{
    QList<SongEntry> songs;
    qsizetype at = pageText.indexOf(BlockMarker);
    while (at >= 0 && songs.size() < MaxSongs) {
        const qsizetype start = at + BlockMarker.size();
        at = pageText.indexOf(BlockMarker, start);
        const QString block = pageText.mid(start, at < 0 ? -1 : at - start);

        SongEntry song;
        song.position = int(songs.size()) + 1;
        song.url = Ansi::toText(Base64Decode(Attribute(block, u"data-url-encoded"_s)));
        song.title = CleanTitle(Attribute(block, u"data-artist-name"_s) + u" - "_s +
                                Attribute(block, u"data-song-name"_s));
        songs.append(song);
    }
    return songs;
}

QString CleanTitle(QString title)
{
    title.replace(u"&amp;"_s, u"&"_s);
    for (const QChar c : {u'/', u'\\', u':', u'*', u'%'})
        title.remove(c);
    return title;
}

QString PositionText(int position)
{
    return u"%1"_s.arg(position, 4, 10, QLatin1Char('0'));
}

QString ListItemText(const SongEntry &song)
{
    return PositionText(song.position) + u' ' + song.title;
}
