#include "sitecontent.h"

#include "silentmp3.h"

#include <random>

using namespace Qt::StringLiterals;

namespace SiteContent {

namespace {

struct Pair
{
    const char16_t *artist;
    const char16_t *name;
};

constexpr Pair pool[] = {
    {u"Земфира", u"Хочешь?"},
    {u"Сплин", u"Выхода нет"},
    {u"Ленинград", u"Экспонат"},
    {u"Adele", u"Rolling in the Deep"},
    {u"Daft Punk", u"Get Lucky"},
    {u"Мумий Тролль", u"Владивосток 2000"},
    {u"Сектор Газа", u"Лирика"},
    {u"Coldplay", u"Viva la Vida"},
    {u"Ёлка", u"Прованс"},
    {u"Queen", u"Bohemian Rhapsody"},
    {u"Кино", u"Группа крови"},
    {u"Linkin Park", u"Numb"},
    {u"Би-2", u"Серебро"},
    {u"Михаил Круг", u"Владимирский централ"},
    {u"Pharrell Williams", u"Happy"},
    {u"ДДТ", u"Что такое осень"},
};

quint32 seedFor(const QString &slug, const QString &date)
{
    quint32 h = 2166136261u; // FNV-1a: stable across runs and platforms
    for (const QChar c : slug + u'|' + date) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return h;
}

QString escaped(const QString &text)
{
    QString out = text;
    out.replace(u'&', u"&amp;"_s).replace(u'"', u"&quot;"_s);
    return out;
}

QByteArray base64(const QString &address)
{
    return address.toUtf8().toBase64();
}

} // namespace

QList<Song> Songs(const QString &slug, const QString &date, int count)
{
    std::mt19937 random(seedFor(slug, date));
    // Drawn whatever count is asked for, so a song's place fixes the song.
    const int usualCount = 12 + int(random() % 9);
    if (count <= 0)
        count = usualCount;
    QList<Song> songs;
    songs.reserve(count);
    for (int position = 1; position <= count; ++position) {
        const Pair &p = pool[random() % std::size(pool)];
        Song song{QString::fromUtf16(p.artist), QString::fromUtf16(p.name)};
        switch (position) {
        case 3:
            song = {u"AC/DC"_s, u"Back In Black"_s};
            break;
        case 5:
            song = {u"Каста & Баста"_s, u"Вокруг шум"_s};
            break;
        case 6:
            song = {u"Би-2"_s, u"\"Полковнику никто не пишет\""_s};
            break;
        case 7:
            song = {u"DJ Smash: Live"_s, u"100% Волна"_s};
            break;
        case 8:
            song = {u"Pink Floyd"_s, u"Is There Anybody Out There?"_s};
            break;
        case 9:
            song.hasAddress = false;
            break;
        case 10:
            song = songs[1];
            break;
        default:
            break;
        }
        songs.append(song);
    }
    return songs;
}

QByteArray HistoryPage(const QString &slug, const QString &date, const QString &origin, int count)
{
    const QList<Song> songs = Songs(slug, date, count);
    QString page;
    page.reserve(200 * songs.size() + 1000);
    page += u"<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
            "<title>Эфир %1 за %2</title>\n</head>\n<body>\n"
            "<div class=\"chart-header\">Что играло на %1 %2: плейлист</div>\n"
            "<div class=\"songs\">\n"_s.arg(slug, date);
    for (int i = 0; i < songs.size(); ++i) {
        const Song &song = songs[i];
        page += u"<div class=\"song_box\""_s;
        if (song.hasAddress) {
            const QString address = origin + SongPath(slug, date, i + 1);
            page += u" data-url-encoded=\""_s + QString::fromLatin1(base64(address)) + u'"';
        }
        page += u" data-artist-name=\""_s + escaped(song.artist) + u"\" data-song-name=\""_s +
                escaped(song.name) + u"\">\n  <span class=\"time\">"_s +
                u"%1:%2"_s.arg(6 + i / 12, 2, 10, QLatin1Char('0'))
                    .arg(i * 5 % 60, 2, 10, QLatin1Char('0')) +
                u"</span> "_s + escaped(song.artist) + u" — "_s + escaped(song.name) +
                u"\n</div>\n"_s;
    }
    page += u"</div>\n</body>\n</html>\n"_s;
    return page.toUtf8();
}

QString SongPath(const QString &slug, const QString &date, int position)
{
    return u"/songs/%1/%2/%3.mp3"_s.arg(slug, date).arg(position);
}

QByteArray SongFile(const QString &slug, const QString &date, int position, qint64 bytes)
{
    const QList<Song> songs = Songs(slug, date, qMax(position, 20));
    const Song &song = songs.value(position - 1);
    if (bytes > 0)
        return SilentMp3OfSize(song.artist, song.name, bytes);
    // Lengths differ from song to song, so no two files are alike.
    return SilentMp3(song.artist, song.name, 2 + position % 3);
}

QByteArray VersionReply(const QString &version, const QString &origin)
{
    return (u"#version info\r\n"_s + version + u"\r\n"_s + origin + u"/download/\r\n"_s).toUtf8();
}

} // namespace SiteContent
