#include "ansicodec.h"
#include "playlist.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Utf8Head = "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n";
const QByteArray Cp1251Head =
    "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=windows-1251\r\n\r\n";

QString Block(const QString &artist, const QString &song, const QString &encodedUrl = QString())
{
    QString block = u"<div class=\"song_box\""_s;
    if (!encodedUrl.isNull())
        block += u" data-url-encoded=\""_s + encodedUrl + u'"';
    return block + u" data-artist-name=\""_s + artist + u"\" data-song-name=\""_s + song +
           u"\"></div>\n"_s;
}

QByteArray ArtistBlock(const QByteArray &artist)
{
    return "song_box data-artist-name=\"" + artist + "\" data-song-name=\"S\"";
}

} // namespace

class tst_Playlist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanTitle_data();
    void cleanTitle();
    void fieldsFromBytes_data();
    void fieldsFromBytes();
    void pageTextBeforeFirstBlockIsNoSong();
    void decodesAddresses();
    void blockWithoutAttributes();
    void positionsAndListText_data();
    void positionsAndListText();
    void pageWithoutBlocks();
    void onlyFirstAttributeOfABlockCounts();
    void cappedAtMaxSongs();
    void sameLoadTwiceSameList();
};

void tst_Playlist::cleanTitle_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("clean");

    QTest::newRow("slash joins letters") << u"AC/DC - Thunder"_s << u"ACDC - Thunder"_s;
    QTest::newRow("colon after artist") << u"DJ Smash: Live - Song"_s << u"DJ Smash Live - Song"_s;
    QTest::newRow("percent after number") << u"X - 100% Волна"_s << u"X - 100 Волна"_s;
    QTest::newRow("amp entity") << u"Каста &amp; Баста - Шум"_s << u"Каста & Баста - Шум"_s;
    QTest::newRow("other entities stay")
        << u"Би-2 - &quot;Серебро&quot;"_s << u"Би-2 - &quot;Серебро&quot;"_s;
    QTest::newRow("amp entity decoded before removal")
        << u"A &amp;amp; B - C"_s << u"A &amp; B - C"_s;
    QTest::newRow("removal forms no entity") << u"A &a/mp; B - C"_s << u"A &amp; B - C"_s;
    QTest::newRow("backslash and star") << u"A\\B*C - D"_s << u"ABC - D"_s;
    QTest::newRow("question mark, quotes, angle brackets, bar stay")
        << u"Who? - \"x\" <y> |z|"_s << u"Who? - \"x\" <y> |z|"_s;
}

void tst_Playlist::cleanTitle()
{
    QFETCH(QString, raw);
    QFETCH(QString, clean);
    QCOMPARE(CleanTitle(raw), clean);
}

void tst_Playlist::fieldsFromBytes_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QStringList>("titles");

    const QString kino = Block(u"Кино"_s, u"Группа крови"_s);
    QTest::newRow("utf-8 page with cyrillic")
        << Utf8Head + kino.toUtf8() << QStringList{u"Кино - Группа крови"_s};
    QTest::newRow("windows-1251 page with cyrillic")
        << Cp1251Head + Ansi::toBytes(kino) << QStringList{u"Кино - Группа крови"_s};
    QTest::newRow("undeclared utf-8 read as windows-1251")
        << "HTTP/1.0 200 OK\r\n\r\n" + kino.toUtf8()
        << QStringList{Ansi::toText(u"Кино - Группа крови"_s.toUtf8())};
    QTest::newRow("invalid utf-8 inside a field")
        << Utf8Head + "song_box data-artist-name=\"A\xD0\" data-song-name=\"\xFF"
                      "B\""
        << QStringList{u"A\uFFFD - \uFFFDB"_s};
    const QByteArray byteOrderMark = "\xEF\xBB\xBF";
    QTest::newRow("byte-order mark opening a field stays")
        << Utf8Head + ArtistBlock(byteOrderMark + "A") << QStringList{u"\uFEFFA - S"_s};
    QTest::newRow("block marker cut at the very end")
        << Utf8Head + ArtistBlock("A") + "song_bo" << QStringList{u"A - S"_s};
    QTest::newRow("attribute cut at the very end")
        << Utf8Head + "song_box data-artist-name=\"A\" data-song-name=\"Unfinish"
        << QStringList{u"A - "_s};
    QTest::newRow("block marker at the very end")
        << ArtistBlock("A") + "song_box" << QStringList{u"A - S"_s, u" - "_s};

    QTest::newRow("field over the cap") << ArtistBlock(QByteArray(5000, 'a'))
                                        << QStringList{QString(MaxFieldLength, u'a') + u" - S"_s};
    QTest::newRow("field exactly at the cap kept whole")
        << Utf8Head + ArtistBlock(QString(MaxFieldLength, u'ж').toUtf8())
        << QStringList{QString(MaxFieldLength, u'ж') + u" - S"_s};
    QTest::newRow("utf-8 field capped by characters, not bytes")
        << Utf8Head + ArtistBlock(QString(5000, u'€').toUtf8())
        << QStringList{QString(MaxFieldLength, u'€') + u" - S"_s};
    QTest::newRow("surrogate pair at the cap not split")
        << Utf8Head + ArtistBlock(QByteArray(MaxFieldLength - 1, 'x') +
                                  QString::fromUcs4(U"\U0001F3B5").toUtf8().repeated(10))
        << QStringList{QString(MaxFieldLength - 1, u'x') + u" - S"_s};
    const QByteArray brokenAtCap =
        QByteArray(MaxFieldLength - 2, 'x') + "\xF0\x9F" + QByteArray(20000, 'x');
    QTest::newRow("invalid utf-8 at the cap")
        << Utf8Head + ArtistBlock(brokenAtCap)
        << QStringList{QString::fromUtf8(brokenAtCap).left(MaxFieldLength) + u" - S"_s};
}

void tst_Playlist::fieldsFromBytes()
{
    QFETCH(QByteArray, response);
    QFETCH(QStringList, titles);
    QStringList parsed;
    for (const SongEntry &song : ParsePlaylist(response))
        parsed.append(song.title);
    QCOMPARE(parsed, titles);
}

void tst_Playlist::pageTextBeforeFirstBlockIsNoSong()
{
    const QByteArray page =
        (u"<html><title>data-artist-name=\"Header\" data-song-name=\"Nope\"</title>"_s +
         Block(u"Adele"_s, u"Hello"_s) + u"</html>"_s)
            .toUtf8();
    const QList<SongEntry> songs = ParsePlaylist(page);
    QCOMPARE(songs.size(), 1);
    QCOMPARE(songs[0].title, u"Adele - Hello"_s);
    QCOMPARE(songs[0].position, 1);
}

void tst_Playlist::decodesAddresses()
{
    const QString address = u"http://127.0.0.1:8765/songs/a/1.mp3"_s;
    const QByteArray page =
        (Block(u"A"_s, u"B"_s, QString::fromLatin1(address.toLatin1().toBase64())) +
         Block(u"C"_s, u"D"_s))
            .toUtf8();
    const QList<SongEntry> songs = ParsePlaylist(page);
    QCOMPARE(songs.size(), 2);
    QCOMPARE(songs[0].url, address);
    QVERIFY(songs[1].url.isEmpty());
    QCOMPARE(songs[1].title, u"C - D"_s);
}

void tst_Playlist::blockWithoutAttributes()
{
    const QList<SongEntry> songs = ParsePlaylist("a song_box b song_box");
    QCOMPARE(songs.size(), 2);
    QCOMPARE(songs[0].title, u" - "_s);
    QVERIFY(songs[0].url.isEmpty());
    QCOMPARE(ListItemText(songs[1]), u"0002  - "_s);
}

void tst_Playlist::positionsAndListText_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::newRow("7") << 7 << u"0007 T"_s;
    QTest::newRow("10") << 10 << u"0010 T"_s;
    QTest::newRow("five digits kept") << 12345 << u"12345 T"_s;
}

void tst_Playlist::positionsAndListText()
{
    QFETCH(int, position);
    QFETCH(QString, text);
    QCOMPARE(ListItemText({position, u"T"_s, QString()}), text);
}

void tst_Playlist::pageWithoutBlocks()
{
    QVERIFY(ParsePlaylist("HTTP/1.0 404 Not Found\r\n\r\nnothing").isEmpty());
    QVERIFY(ParsePlaylist(QByteArray()).isEmpty());
}

void tst_Playlist::onlyFirstAttributeOfABlockCounts()
{
    const QByteArray page =
        "song_box data-artist-name=\"One\" data-artist-name=\"Two\" data-song-name=\"S\"";
    QCOMPARE(ParsePlaylist(page).value(0).title, u"One - S"_s);
}

void tst_Playlist::cappedAtMaxSongs()
{
    const QByteArray page =
        QByteArray("song_box data-artist-name=\"A\" data-song-name=\"B\"\n").repeated(MaxSongs + 3);
    const QList<SongEntry> songs = ParsePlaylist(page);
    QCOMPARE(songs.size(), MaxSongs);
    QCOMPARE(songs.last().position, MaxSongs);
}

void tst_Playlist::sameLoadTwiceSameList()
{
    QByteArray page = "head";
    for (int i = 0; i < 12; ++i)
        page += Block(u"A%1"_s.arg(i), u"S"_s, u"aHR0cDovL3gvMS5tcDM="_s).toUtf8();
    const QList<SongEntry> first = ParsePlaylist(page);
    const QList<SongEntry> second = ParsePlaylist(page);
    QCOMPARE(first.size(), 12);
    for (int i = 0; i < first.size(); ++i) {
        QCOMPARE(ListItemText(first[i]), ListItemText(second[i]));
        QCOMPARE(first[i].url, u"http://x/1.mp3"_s);
    }
    QCOMPARE(ListItemText(first[9]), u"0010 A9 - S"_s);
}

QTEST_GUILESS_MAIN(tst_Playlist)
#include "tst_playlist.moc"
