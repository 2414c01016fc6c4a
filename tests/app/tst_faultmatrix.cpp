// The whole window and its client against a hostile server on loopback: whatever
// the server or the disk does, the program ends the work, keeps no false file and
// gives the inputs back.
#include "check.h"
#include "g.h"
#include "playlistmodel.h"
#include "scriptedserver.h"
#include "underwine.h"
#include "windowfixture.h"
#include "xpb.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using Reply = ScriptedServer::Reply;
using Ending = ScriptedServer::Ending;

namespace {

constexpr int Nashe = 5;

// A name's limit counts UTF-8 bytes on Linux and UTF-16 units on Windows, where a
// link to a file is no symbolic link but a shortcut file.
#ifdef Q_OS_WIN
constexpr int LongTitleKept = 242;
constexpr bool SymbolicLinks = false;
#else
constexpr int LongTitleKept = 121;
constexpr bool SymbolicLinks = true;
#endif

Reply Respond(const QByteArray &bytes, Ending end = Ending::Close)
{
    return Reply{{{bytes, 0}}, end};
}

QByteArray Song(const QByteArray &headers, const QByteArray &body)
{
    return "HTTP/1.0 200 OK\r\n" + headers + "\r\n" + body;
}

// A page of songs, each an address and a title by "Artist".
QByteArray Page(const QList<QPair<QString, QString>> &songs)
{
    QByteArray body = "<html><body>";
    for (const auto &[songUrl, title] : songs)
        body += "<div class=\"song_box\" data-url-encoded=\"" + songUrl.toUtf8().toBase64() +
                "\" data-artist-name=\"Artist\" data-song-name=\"" + title.toUtf8() + "\"></div>";
    body += "</body></html>";
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// The real window with its chart site at chartPort, short waits, and a station
// list whose sixth entry is «Наше Радио».
struct HostileFixture : WindowFixture
{
    explicit HostileFixture(quint16 chartPort)
    {
        timings = {{200, 300, 20, 0}, 10000, 1500};
        writeSettings(u"127.0.0.1:"_s + QString::number(chartPort));
        createWindow();
        window->Combo1->addItems({u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"Наше Радио"_s, u"6"_s});
    }
};

} // namespace

class tst_FaultMatrix : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageFaults_data();
    void pageFaults();
    void songFaults_data();
    void songFaults();
    void addressesWithByte0x98AreFetched();
    void updateCheckStamp_data();
    void updateCheckStamp();
};

void tst_FaultMatrix::pageFaults_data()
{
    QTest::addColumn<Reply>("page");

    QTest::newRow("refused") << Reply{}; // no server at all
    QTest::newRow("silent") << ScriptedServer::silent();
    QTest::newRow("reset in the body, no length")
        << Respond("HTTP/1.0 200 OK\r\n\r\n<div class=\"song_box\"", Ending::Reset);
    QTest::newRow("cut short of its length")
        << Respond("HTTP/1.0 200 OK\r\nContent-Length: 900\r\n\r\n<div class=\"song_box\"");
    QTest::newRow("stalls after its head")
        << Respond("HTTP/1.0 200 OK\r\n\r\n<div class=\"song_box\"", Ending::StayOpen);
    QTest::newRow("404") << Respond("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here.");
    QTest::newRow("over the size cap")
        << Respond("HTTP/1.0 200 OK\r\n\r\n" + QByteArray(5000, 'x'));
    QTest::newRow("endless redirects") << Respond("HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n");
}

void tst_FaultMatrix::pageFaults()
{
    QFETCH(Reply, page);
    if (page.End == Ending::Reset && UnderWine())
        QSKIP(WineCannotReset);
    const bool refused = page.Parts.isEmpty() && page.End == Ending::Close;
    ScriptedServer server({page});
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = refused ? closed.serverPort() : server.port();
    closed.close();

    HostileFixture fx(port);
    TestWindow &window = *fx.window;
    window.setMaxPageSize(4096);
    QVERIFY(fx.pick(Nashe));

    QCOMPARE(window.st->text(),
             u"Плейлист Наше Радио за "_s + window.Text1->text() + u" не получен"_s);
    QCOMPARE(window.SongCount(), 0);
    QVERIFY(window.Combo1->isEnabled());
    QVERIFY(window.Text1->isEnabled());
    QVERIFY(!window.G->isBizy());
}

void tst_FaultMatrix::songFaults_data()
{
    QTest::addColumn<Reply>("song");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");   // of its file
    QTest::addColumn<QString>("atPath"); // what the disk holds where the song goes
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("status");

    // Beside three good songs, all four in flight at once.
    const QString failed = u"Готово: скачано 3, не скачано 1 (отметки остались)"_s;
    const QString done = u"Готово: скачано 4 файла"_s;
    const QString present = u"Готово: скачано 3 файла"_s;
    const QByteArray none;
    const QString plain = u"Song"_s;
    const QString plainName = u"Artist - Song.mp3"_s;
    QTest::newRow("whole song") << Respond(Song("Content-Length: 4\r\n", "mp3!")) << plain
                                << plainName << u""_s << QByteArray("mp3!") << done;
    QTest::newRow("empty body, length 0") << Respond(Song("Content-Length: 0\r\n", "")) << plain
                                          << plainName << u""_s << none << failed;
    QTest::newRow("headers, then close")
        << Respond(Song("", "")) << plain << plainName << u""_s << none << failed;
    QTest::newRow("no length, reset mid-body") << Respond(Song("", "part of a so"), Ending::Reset)
                                               << plain << plainName << u""_s << none << failed;
    QTest::newRow("cut short of its length") << Respond(Song("Content-Length: 900\r\n", "mp3"))
                                             << plain << plainName << u""_s << none << failed;
    QTest::newRow("stalls after its head") << Respond(Song("", "mp3"), Ending::StayOpen) << plain
                                           << plainName << u""_s << none << failed;
    QTest::newRow("silent") << ScriptedServer::silent() << plain << plainName << u""_s << none
                            << failed;
    QTest::newRow("chunked: framing never stored")
        << Respond(Song("Transfer-Encoding: chunked\r\n", "2\r\nmp\r\n2\r\n3!\r\n0\r\n\r\n"))
        << plain << plainName << u""_s << QByteArray("mp3!") << done;
    QTest::newRow("chunked, cut") << Respond(Song("Transfer-Encoding: chunked\r\n", "2\r\nmp\r\n"))
                                  << plain << plainName << u""_s << none << failed;
    QTest::newRow("content coded")
        << Respond(Song("Content-Encoding: gzip\r\nContent-Length: 4\r\n", "\x1f\x8b\x08\x00"))
        << plain << plainName << u""_s << none << failed;
    QTest::newRow("two lengths that disagree")
        << Respond(Song("Content-Length: 4\r\nContent-Length: 5\r\n", "mp3!")) << plain << plainName
        << u""_s << none << failed;
    QTest::newRow("negative length") << Respond(Song("Content-Length: -4\r\n", "mp3!")) << plain
                                     << plainName << u""_s << none << failed;
    QTest::newRow("length beyond 64 bits")
        << Respond(Song("Content-Length: 99999999999999999999\r\n", "mp3!")) << plain << plainName
        << u""_s << none << failed;
    QTest::newRow("error page") << Respond("HTTP/1.0 404 Not Found\r\n\r\nnot here") << plain
                                << plainName << u""_s << none << failed;
    QTest::newRow("endless redirects") << Respond("HTTP/1.0 302 Found\r\nLocation: /song\r\n\r\n")
                                       << plain << plainName << u""_s << none << failed;
    if (SymbolicLinks) {
        QTest::newRow("dangling link at the path: present, not followed")
            << Respond(Song("", "mp3!")) << plain << plainName << u"dangling"_s << none << present;
    }
    QTest::newRow("folder at the path: no song")
        << Respond(Song("", "mp3!")) << plain << plainName << u"folder"_s << none << failed;
    QTest::newRow("control characters in the title")
        << Respond(Song("", "mp3!")) << u"A\tB\x1f"_s << u"Artist - A_B_.mp3"_s << u""_s
        << QByteArray("mp3!") << done;
    // 255 bytes: "Artist - " 9, 121 two-byte letters, ".mp3" 4.
    QTest::newRow("absurdly long title")
        << Respond(Song("", "mp3!")) << QString(200000, u'я')
        << u"Artist - "_s + QString(LongTitleKept, u'я') + u".mp3"_s << u""_s << QByteArray("mp3!")
        << done;
    QTest::newRow("lengths 3 then 4")
        << Respond(Song("Content-Length: 3\r\nContent-Length: 4\r\n", "mp3!")) << plain << plainName
        << u""_s << none << failed;
    QTest::newRow("a site's page with status 200")
        << Respond(Song("Content-Type: text/html\r\n", "\r\n <html>no such song</html>")) << plain
        << plainName << u""_s << none << failed;
    QTest::newRow("markup in a song that is no page")
        << Respond(Song("Content-Type: audio/mpeg\r\n", "<mp3")) << plain << plainName << u""_s
        << QByteArray("<mp3") << done;
    // The name is taken while the song arrives: it is there, not stored by us.
    QTest::newRow("a file appears at the name during the fetch")
        << Reply{{{"HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n", 0}, {"mp3!", 100}}} << plain
        << plainName << u"appears"_s << QByteArray("theirs") << present;
}

void tst_FaultMatrix::songFaults()
{
    QFETCH(Reply, song);
    if (song.End == Ending::Reset && UnderWine())
        QSKIP(WineCannotReset);
    QFETCH(QString, title);
    QFETCH(QString, name);
    QFETCH(QString, atPath);
    QFETCH(QByteArray, stored);
    QFETCH(QString, status);

    // The song's reply for every connection to its server; three good songs, slow
    // enough to be in flight with it, from another; the page from a third.
    ScriptedServer server({song});
    ScriptedServer good({Reply{{{Song("Content-Length: 4\r\n", "good"), 100}}}});
    ScriptedServer pageServer({Respond(Page({{server.url(u"/song"_s), title},
                                             {good.url(u"/2"_s), u"Good 2"_s},
                                             {good.url(u"/3"_s), u"Good 3"_s},
                                             {good.url(u"/4"_s), u"Good 4"_s}}))});
    HostileFixture fx(pageServer.port());
    TestWindow &window = *fx.window;
    const QTemporaryDir &dir = fx.dir;
    QVERIFY(fx.pick(Nashe));
    QCOMPARE(window.SongCount(), 4);

    const QString folder = dir.filePath(u"Наше Радио"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + u'/' + name;
    const QString elsewhere = dir.filePath(u"elsewhere.mp3"_s);
    if (atPath == u"dangling")
        QVERIFY(QFile::link(elsewhere, path));
    else if (atPath == u"folder")
        QVERIFY(QDir().mkdir(path));
    else if (atPath == u"appears")
        connect(&server, &ScriptedServer::requestReceived, &window, [&path] {
            QFile file(path);
            QVERIFY(file.open(QIODevice::NewOnly));
            file.write("theirs");
        });

    window.Check2->setValue(true);
    window.Check1->setValue(true);
    window.Text2->setText(dir.path() + u'/');
    QVERIFY(fx.startRun());

    // Four at once, unless the first is never fetched.
    QCOMPARE(fx.lastPeak, atPath == u"dangling" || atPath == u"folder" ? 3 : 4);
    QCOMPARE(window.st->text(), status);
    const bool present = atPath == u"dangling" || atPath == u"appears";
    QCOMPARE(window.IsMarked(0), stored.isEmpty() && !present);
    // What is at the name already is never fetched.
    QCOMPARE(server.connections() > 0, atPath.isEmpty() || atPath == u"appears");
    for (int row = 1; row < 4; ++row) {
        QFile file(folder + u"/Artist - Good %1.mp3"_s.arg(row + 1));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("good"));
        QVERIFY(!window.IsMarked(row));
    }
    if (!stored.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored);
    } else {
        QVERIFY(!QFileInfo(path).isFile() || QFileInfo(path).isSymLink());
    }
    QVERIFY(!QFileInfo::exists(elsewhere));
    // No part file: the good songs, and the hostile one's name when anything is there.
    QCOMPARE(Entries(folder).size(), atPath.isEmpty() && stored.isEmpty() ? 3 : 4);
    QVERIFY(window.Combo1->isEnabled());
    QVERIFY(window.Command1->EnabledCtrl());
    QCOMPARE(window.Command1->Caption(), u"Старт!"_s);
}

void tst_FaultMatrix::addressesWithByte0x98AreFetched()
{
    // «И» is D0 98 and «Ø» C3 98 in UTF-8; the bytes go out as they are.
    ScriptedServer server({Respond(Song("Content-Length: 4\r\n", "mp3!"))});
    const QStringList names = {u"Иван"_s, u"Петр"_s, u"Plain"_s, u"MØ"_s};
    QList<QPair<QString, QString>> songs;
    for (const QString &name : names)
        songs.append({server.url(u"/s/"_s + name + u".mp3"_s), name});
    ScriptedServer pageServer({Respond(Page(songs))});
    HostileFixture fx(pageServer.port());
    QVERIFY(fx.pick(Nashe));
    fx.window->Check1->setValue(true);
    fx.window->Text2->setText(fx.dir.path() + u'/');
    QVERIFY(fx.startRun());
    QCOMPARE(fx.window->st->text(), u"Готово: скачано 4 файла"_s);
    QStringList lines;
    for (const QByteArray &request : server.requests())
        lines.append(QString::fromLatin1(request.left(request.indexOf("\r\n")).toHex(' ')));
    lines.sort();
    QCOMPARE(lines.filter(QString::fromLatin1(QByteArray("/s/\xd0\x98").toHex(' '))).size(), 1);
    QCOMPARE(lines.filter(QString::fromLatin1(QByteArray("/s/M\xc3\x98").toHex(' '))).size(), 1);
}

void tst_FaultMatrix::updateCheckStamp_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<bool>("stamped");
    // The server answered, whatever it said.
    QTest::newRow("endless redirects")
        << Respond("HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n") << true;
    QTest::newRow("404") << Respond("HTTP/1.0 404 Not Found\r\n\r\n") << true;
    QTest::newRow("silent") << ScriptedServer::silent() << false;
}

void tst_FaultMatrix::updateCheckStamp()
{
    QFETCH(Reply, reply);
    QFETCH(bool, stamped);
    ScriptedServer server({reply});
    HostileFixture fx(server.port());
    fx.writeSettings(u"127.0.0.1:"_s + QString::number(server.port()),
                     {{u"LastUpdate"_s, u"01.01.2014"_s}});
    QVERIFY(fx.load());
    QCOMPARE(fx.stored(u"LastUpdate"_s), stamped ? WindowFixture::today() : u"01.01.2014"_s);
    QVERIFY(fx.shown.isEmpty());
}

QTEST_MAIN(tst_FaultMatrix)
#include "tst_faultmatrix.moc"
