// The whole window and its client against a hostile server on loopback: whatever
// the server or the disk does, the program ends the work, keeps no false file and
// gives the inputs back.
#include "check.h"
#include "fakeprompts.h"
#include "g.h"
#include "mainwindow.h"
#include "playlistmodel.h"
#include "scriptedserver.h"
#include "songfiles.h"
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

Reply Respond(const QByteArray &bytes, Ending end = Ending::Close)
{
    return Reply{{{bytes, 0}}, end};
}

QByteArray Song(const QByteArray &headers, const QByteArray &body)
{
    return "HTTP/1.0 200 OK\r\n" + headers + "\r\n" + body;
}

QByteArray Page(const QString &songUrl, const QString &title)
{
    const QByteArray body = "<html><body><div class=\"song_box\" data-url-encoded=\"" +
                            songUrl.toUtf8().toBase64() + "\" data-artist-name=\"Artist\" " +
                            "data-song-name=\"" + title.toUtf8() + "\"></div></body></html>";
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// The real window with scripted dialogs, short waits and its chart site at
// chartPort; pick() loads «Наше Радио».
struct HostileFixture
{
    QTemporaryDir dir;
    QList<FakePrompts::Shown> shown;
    QStringList opened;
    Main window;

    explicit HostileFixture(quint16 chartPort)
    {
        const QString store = dir.filePath(u"store.conf"_s);
        QSettings(store, QSettings::IniFormat)
            .setValue(u"Main/ChartHost"_s, u"127.0.0.1:"_s + QString::number(chartPort));
        window.setPrompts(std::make_unique<FakePrompts>(&shown, &opened));
        window.setSettingsStore(std::make_unique<QSettings>(store, QSettings::IniFormat));
        window.G->findChild<QTimer *>(u"Timeout"_s)->setInterval(200);
        window.G->findChild<QTimer *>(u"Idle"_s)->setInterval(300);
        window.Combo1->addItems({u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"Наше Радио"_s, u"6"_s});
    }

    void pick()
    {
        window.Combo1->setCurrentIndex(Nashe);
        Q_EMIT window.Combo1->activated(Nashe);
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
    const bool refused = page.Parts.isEmpty() && page.End == Ending::Close;
    ScriptedServer server({page});
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = refused ? closed.serverPort() : server.port();
    closed.close();

    HostileFixture fx(port);
    Main &window = fx.window;
    window.G->setMaxResponseSize(4096);
    fx.pick();

    QCOMPARE(window.st->text(),
             u"Не удалось получить плейлист Наше Радио за "_s + window.Text1->text());
    QCOMPARE(window.SongCount(), 0);
    QVERIFY(window.Combo1->isEnabled());
    QVERIFY(window.Text1->isEnabled());
    QVERIFY(!window.G->isBizy());
}

void tst_FaultMatrix::songFaults_data()
{
    QTest::addColumn<Reply>("song");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("atPath"); // what the disk holds where the song goes
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("status");

    const QString failed = u"Не скачано 1 файл"_s;
    const QString done = u"Готово: скачано 1 файл"_s;
    const QByteArray none;
    const QString plain = u"Song"_s;
    QTest::newRow("whole song") << Respond(Song("Content-Length: 4\r\n", "mp3!")) << plain << u""_s
                                << QByteArray("mp3!") << done;
    QTest::newRow("empty body, length 0")
        << Respond(Song("Content-Length: 0\r\n", "")) << plain << u""_s << none << failed;
    QTest::newRow("headers, then close")
        << Respond(Song("", "")) << plain << u""_s << none << failed;
    QTest::newRow("no length, reset mid-body")
        << Respond(Song("", "part of a so"), Ending::Reset) << plain << u""_s << none << failed;
    QTest::newRow("cut short of its length")
        << Respond(Song("Content-Length: 900\r\n", "mp3")) << plain << u""_s << none << failed;
    QTest::newRow("stalls after its head")
        << Respond(Song("", "mp3"), Ending::StayOpen) << plain << u""_s << none << failed;
    QTest::newRow("silent") << ScriptedServer::silent() << plain << u""_s << none << failed;
    QTest::newRow("chunked: framing never stored")
        << Respond(Song("Transfer-Encoding: chunked\r\n", "2\r\nmp\r\n2\r\n3!\r\n0\r\n\r\n"))
        << plain << u""_s << QByteArray("mp3!") << done;
    QTest::newRow("chunked, cut") << Respond(Song("Transfer-Encoding: chunked\r\n", "2\r\nmp\r\n"))
                                  << plain << u""_s << none << failed;
    QTest::newRow("content coded")
        << Respond(Song("Content-Encoding: gzip\r\nContent-Length: 4\r\n", "\x1f\x8b\x08\x00"))
        << plain << u""_s << none << failed;
    QTest::newRow("two lengths that disagree")
        << Respond(Song("Content-Length: 4\r\nContent-Length: 5\r\n", "mp3!")) << plain << u""_s
        << none << failed;
    QTest::newRow("negative length")
        << Respond(Song("Content-Length: -4\r\n", "mp3!")) << plain << u""_s << none << failed;
    QTest::newRow("length beyond 64 bits")
        << Respond(Song("Content-Length: 99999999999999999999\r\n", "mp3!")) << plain << u""_s
        << none << failed;
    QTest::newRow("error page") << Respond("HTTP/1.0 404 Not Found\r\n\r\nnot here") << plain
                                << u""_s << none << failed;
    QTest::newRow("endless redirects") << Respond("HTTP/1.0 302 Found\r\nLocation: /song\r\n\r\n")
                                       << plain << u""_s << none << failed;
    QTest::newRow("dangling link at the path: present, not followed")
        << Respond(Song("", "mp3!")) << plain << u"dangling"_s << none
        << u"Готово: скачано 0 файлов"_s;
    QTest::newRow("folder at the path: no song")
        << Respond(Song("", "mp3!")) << plain << u"folder"_s << none << failed;
    QTest::newRow("control characters in the title")
        << Respond(Song("", "mp3!")) << u"A\tB\x1f"_s << u""_s << QByteArray("mp3!") << done;
    QTest::newRow("absurdly long title") << Respond(Song("", "mp3!")) << QString(200000, u'я')
                                         << u""_s << QByteArray("mp3!") << done;
}

void tst_FaultMatrix::songFaults()
{
    QFETCH(Reply, song);
    QFETCH(QString, title);
    QFETCH(QString, atPath);
    QFETCH(QByteArray, stored);
    QFETCH(QString, status);

    // The song's reply for every connection to its server; the page comes from another.
    ScriptedServer server({song});
    ScriptedServer pageServer({Respond(Page(server.url(u"/song"_s), title))});
    HostileFixture fx(pageServer.port());
    Main &window = fx.window;
    const QTemporaryDir &dir = fx.dir;
    fx.pick();
    QCOMPARE(window.SongCount(), 1);

    const QString folder = dir.filePath(u"Наше Радио"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString name = SongFileName(window.Songs().at(0), true);
    QVERIFY(!name.contains(u'\t') && name.toUtf8().size() <= 255);
    const QString path = folder + u'/' + name;
    const QString elsewhere = dir.filePath(u"elsewhere.mp3"_s);
    if (atPath == u"dangling")
        QVERIFY(QFile::link(elsewhere, path));
    else if (atPath == u"folder")
        QVERIFY(QDir().mkdir(path));

    window.Check2->setValue(true);
    window.Check1->setValue(true);
    window.Text2->setText(dir.path() + u'/');
    window.Command1_Click();

    QCOMPARE(window.st->text(), status);
    QCOMPARE(window.IsMarked(0), stored.isEmpty() && atPath != u"dangling");
    if (!stored.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored);
    } else {
        QVERIFY(!QFileInfo(path).isFile() || QFileInfo(path).isSymLink());
    }
    QVERIFY(!QFileInfo::exists(elsewhere));
    QCOMPARE(Entries(folder).size(), atPath.isEmpty() && stored.isEmpty() ? 0 : 1); // no part file
    QVERIFY(window.Combo1->isEnabled());
    QVERIFY(window.Command1->EnabledCtrl());
    QCOMPARE(window.Command1->Caption(), u"Старт!"_s);
}

QTEST_MAIN(tst_FaultMatrix)
#include "tst_faultmatrix.moc"
