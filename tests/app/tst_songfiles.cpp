#include "songfiles.h"
#include "songresponse.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_SongFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileName_data();
    void fileName();
    void longTitlesAreCappedKeepingExtension_data();
    void longTitlesAreCappedKeepingExtension();
    void folders();
    void songBody_data();
    void songBody();
};

void tst_SongFiles::fileName_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("noNumbers");
    QTest::addColumn<QString>("expected");

    QTest::newRow("numbered") << 3 << u"Adele - Hello"_s << false << u"0003 Adele - Hello.mp3"_s;
    QTest::newRow("not numbered") << 3 << u"Adele - Hello"_s << true << u"Adele - Hello.mp3"_s;
    QTest::newRow("NUL replaced") << 1 << u"A\u0000B - C"_s << true << u"A_B - C.mp3"_s;
    QTest::newRow("control characters replaced")
        << 1 << u"A\tB\nC\u001F\u007F - D"_s << true << u"A_B_C__ - D.mp3"_s;
    // "0001 " and ".mp3" take 9 of the 255.
    QTest::newRow("numbered name of exactly 255 bytes keeps its last character")
        << 1 << QString(246, u'a') << false << u"0001 "_s + QString(246, u'a') + u".mp3"_s;
    QTest::newRow("one byte over loses one character")
        << 1 << QString(246, u'a') + u'b' << false << u"0001 "_s + QString(246, u'a') + u".mp3"_s;
#ifdef Q_OS_WIN
    QTest::newRow("refused characters replaced")
        << 1 << u"Who? - \"x\" <y> |z|\t"_s << true << u"Who_ - _x_ _y_ _z__.mp3"_s;
#else
    QTest::newRow("characters Linux accepts stay")
        << 1 << u"Who? - \"x\" <y> |z|"_s << true << u"Who? - \"x\" <y> |z|.mp3"_s;
#endif
}

void tst_SongFiles::fileName()
{
    QFETCH(int, position);
    QFETCH(QString, title);
    QFETCH(bool, noNumbers);
    QFETCH(QString, expected);
    QCOMPARE(SongFileName({position, title, u"http://x/"_s}, noNumbers), expected);
}

void tst_SongFiles::longTitlesAreCappedKeepingExtension_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("latin") << QString(400, u'a');
    QTest::newRow("cyrillic, two bytes each") << QString(300, u'ж');
    QTest::newRow("very long title") << QString(400000, u'ж');
    QTest::newRow("surrogate pairs are not split") << QString(240, u'x').append(
        QString::fromUcs4(U"\U0001F3B5\U0001F3B5\U0001F3B5\U0001F3B5\U0001F3B5"));
}

void tst_SongFiles::longTitlesAreCappedKeepingExtension()
{
    QFETCH(QString, title);
    const QString name = SongFileName({12, title, QString()}, false);
    QVERIFY(name.endsWith(u".mp3"_s));
    QVERIFY(name.startsWith(u"0012 "_s));
#ifdef Q_OS_WIN
    QVERIFY(name.size() <= MaxFileNameLength);
#else
    QVERIFY(name.toUtf8().size() <= MaxFileNameLength);
    QVERIFY(name.toUtf8().size() > MaxFileNameLength - 4); // no more cut than needed
#endif
    QVERIFY(!name.chopped(4).back().isHighSurrogate());
    QCOMPARE(QString::fromUtf8(name.toUtf8()), name);
}

void tst_SongFiles::folders()
{
    const QString sep = QDir::separator();
    QCOMPARE(StationFolder(u"/music"_s + sep, u"Наше Радио"_s),
             u"/music"_s + sep + u"Наше Радио"_s + sep);
    // A folder without its trailing separator still gets a sub-folder, not a sibling.
    QCOMPARE(StationFolder(u"/music"_s, u"Наше Радио"_s),
             u"/music"_s + sep + u"Наше Радио"_s + sep);
    QCOMPARE(DateFolder(u"/m/S"_s + sep, u"16.06.2014"_s), u"/m/S"_s + sep + u"16.06.2014"_s + sep);
}

void tst_SongFiles::songBody_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("body");

    const QByteArray binary("\x00\xff\r\n\r\n\x98", 7);
    QTest::newRow("200 with length")
        << "HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\n" + binary << true << binary;
    QTest::newRow("200 without length")
        << QByteArray("HTTP/1.1 200 OK\r\nServer: x\r\n\r\nabc") << true << QByteArray("abc");
    QTest::newRow("204 empty") << QByteArray("HTTP/1.0 204 No Content\r\n\r\n") << true
                               << QByteArray();
    QTest::newRow("length header in other case")
        << QByteArray("HTTP/1.0 200 OK\r\ncontent-length: 3\r\n\r\nabc") << true
        << QByteArray("abc");
    QTest::newRow("truncated") << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc")
                               << false << QByteArray();
    QTest::newRow("longer than announced")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabc") << false << QByteArray();
    QTest::newRow("404 page") << QByteArray("HTTP/1.0 404 Not Found\r\n\r\n<h1>404</h1>") << false
                              << QByteArray();
    QTest::newRow("302 left over")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: x\r\n\r\n") << false << QByteArray();
    QTest::newRow("no header end")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n") << false << QByteArray();
    QTest::newRow("nothing") << QByteArray() << false << QByteArray();
    QTest::newRow("unlimited redirect")
        << QByteArray("error (unlimited redirect)") << false << QByteArray();
    QTest::newRow("not http") << QByteArray("ICY 200 OK\r\n\r\nabc") << false << QByteArray();
    QTest::newRow("2000 is no status")
        << QByteArray("HTTP/1.0 2000 OK\r\n\r\nabc") << false << QByteArray();
    QTest::newRow("length not a number")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: x\r\n\r\nabc") << false << QByteArray();
}

void tst_SongFiles::songBody()
{
    QFETCH(QByteArray, response);
    QFETCH(bool, ok);
    QFETCH(QByteArray, body);
    const std::optional<QByteArrayView> result = SongBody(response);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(result->toByteArray(), body);
}

QTEST_GUILESS_MAIN(tst_SongFiles)
#include "tst_songfiles.moc"
