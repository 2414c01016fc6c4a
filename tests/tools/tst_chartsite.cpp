#include "chartsite.h"
#include "sitecontent.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ChartSite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void pagesAreDeterministicAndCarryTheHardCases();
    void pageNamesAddressesOnTheSite();
    void songsArePlayableMp3s();
    void faults_data();
    void faults();
    void silentSongSendsNothing();
    void versionReply();

private:
    QByteArray fetch(const QString &path, int timeoutMs = 5000);
    ChartSite site;
};

void tst_ChartSite::initTestCase()
{
    QVERIFY(site.listen());
}

QByteArray tst_ChartSite::fetch(const QString &path, int timeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, site.port());
    if (!socket.waitForConnected(timeoutMs))
        return "<no connection>";
    socket.write("GET " + path.toUtf8() + " HTTP/1.0\r\nHost: " + site.hostAndPort().toLatin1() +
                 "\r\nConnection: Close\r\n\r\n");
    QByteArray received;
    QDeadlineTimer deadline(timeoutMs);
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        QTest::qWait(5);
        received += socket.readAll();
    }
    received += socket.readAll();
    return received;
}

void tst_ChartSite::pagesAreDeterministicAndCarryTheHardCases()
{
    const QByteArray page = SiteContent::HistoryPage(u"nashe"_s, u"16.06.2014"_s, u"h"_s);
    QCOMPARE(SiteContent::HistoryPage(u"nashe"_s, u"16.06.2014"_s, u"h"_s), page);
    QVERIFY(SiteContent::HistoryPage(u"nashe"_s, u"17.06.2014"_s, u"h"_s) != page);

    const QString text = QString::fromUtf8(page);
    QVERIFY(!text.startsWith(u"song_box"_s));
    const qsizetype blocks = text.count(u"song_box"_s);
    QVERIFY(blocks >= 12 && blocks <= 20);
    QVERIFY(text.contains(u"data-artist-name=\"AC/DC\""_s));
    QVERIFY(text.contains(u"Каста &amp; Баста"_s));
    QVERIFY(text.contains(u"&quot;Полковнику никто не пишет&quot;"_s));
    QVERIFY(text.contains(u"DJ Smash: Live"_s));
    QVERIFY(text.contains(u"100% Волна"_s));
    QVERIFY(text.contains(u"Out There?"_s));
    QCOMPARE(text.count(u"data-url-encoded"_s), blocks - 1);

    const QList<SiteContent::Song> songs = SiteContent::Songs(u"nashe"_s, u"16.06.2014"_s);
    QCOMPARE(songs[9].artist, songs[1].artist);
    QCOMPARE(songs[9].name, songs[1].name);
    // A song's place fixes the song, whatever length of page is asked for.
    const QList<SiteContent::Song> longer = SiteContent::Songs(u"nashe"_s, u"16.06.2014"_s, 500);
    QCOMPARE(longer.size(), 500);
    for (int i = 0; i < songs.size(); ++i)
        QCOMPARE(longer[i].artist, songs[i].artist);
}

void tst_ChartSite::pageNamesAddressesOnTheSite()
{
    const QByteArray response = fetch(u"/europaplus/history/16.06.2014/"_s);
    QVERIFY(response.startsWith("HTTP/1.0 200 OK\r\n"));
    QVERIFY(response.contains("charset=utf-8"));
    const qsizetype at = response.indexOf("data-url-encoded=\"") + 18;
    const QByteArray address =
        QByteArray::fromBase64(response.mid(at, response.indexOf('"', at) - at));
    QCOMPARE(address,
             "http://" + site.hostAndPort().toLatin1() + "/songs/europaplus/16.06.2014/1.mp3");
    QVERIFY(fetch(u"/europaplus/history/16.06.2014/?songs=40"_s).count("song_box") == 40);
}

void tst_ChartSite::songsArePlayableMp3s()
{
    const QByteArray response = fetch(u"/songs/europaplus/16.06.2014/2.mp3"_s);
    const qsizetype end = response.indexOf("\r\n\r\n");
    const QByteArray body = response.mid(end + 4);
    QVERIFY(response.startsWith("HTTP/1.0 200 OK\r\n"));
    QVERIFY(response.left(end).contains("Content-Type: audio/mpeg"));
    QVERIFY(response.left(end).contains("Content-Length: " + QByteArray::number(body.size())));
    QCOMPARE(body, SiteContent::SongFile(u"europaplus"_s, u"16.06.2014"_s, 2));
    QVERIFY(body.startsWith("ID3"));
    for (int b = 0; b < 256; ++b)
        QVERIFY(body.contains(char(b)));

    const QString decoder = QStandardPaths::findExecutable(u"mpg123"_s);
    if (decoder.isEmpty())
        QSKIP("mpg123 is not installed");
    QTemporaryDir dir;
    QFile file(dir.filePath(u"song.mp3"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(body);
    file.close();
    QProcess mpg123;
    mpg123.start(decoder, {u"-w"_s, dir.filePath(u"song.wav"_s), file.fileName()});
    QVERIFY(mpg123.waitForFinished());
    QCOMPARE(mpg123.exitCode(), 0);
    // Three seconds of 16-bit mono at 32 kHz, give or take a frame.
    QVERIFY(QFileInfo(dir.filePath(u"song.wav"_s)).size() > 150000);
}

void tst_ChartSite::faults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("statusLine");
    QTest::addColumn<bool>("bodyComplete");
    QTest::newRow("404") << int(ChartSite::Fault::NotFound) << QByteArray("HTTP/1.0 404 Not Found")
                         << true;
    QTest::newRow("truncate") << int(ChartSite::Fault::Truncated) << QByteArray("HTTP/1.0 200 OK")
                              << false;
    QTest::newRow("redirect") << int(ChartSite::Fault::Redirect) << QByteArray("HTTP/1.0 302 Found")
                              << true;
}

void tst_ChartSite::faults()
{
    QFETCH(int, fault);
    QFETCH(QByteArray, statusLine);
    QFETCH(bool, bodyComplete);
    site.setSongFault(4, ChartSite::Fault(fault));
    const QByteArray response = fetch(u"/songs/nashe/16.06.2014/4.mp3"_s);
    site.clearFaults();
    QVERIFY(response.startsWith(statusLine + "\r\n"));
    const qsizetype end = response.indexOf("\r\n\r\n");
    const QByteArray head = response.left(end);
    const qsizetype at = head.indexOf("Content-Length: ") + 16;
    const qint64 announced = head.mid(at, head.indexOf("\r\n", at) - at).toLongLong();
    QCOMPARE(response.size() - end - 4 == announced, bodyComplete);
    if (fault == int(ChartSite::Fault::Redirect)) {
        const qsizetype l = head.indexOf("Location: http://") + 17;
        const QByteArray target = head.mid(l);
        const QByteArray path = target.mid(target.indexOf('/'));
        const QByteArray moved = fetch(QString::fromLatin1(path));
        QCOMPARE(moved.mid(moved.indexOf("\r\n\r\n") + 4),
                 SiteContent::SongFile(u"nashe"_s, u"16.06.2014"_s, 4));
    }
}

void tst_ChartSite::silentSongSendsNothing()
{
    site.setSongFault(2, ChartSite::Fault::Silent);
    const QByteArray response = fetch(u"/songs/nashe/16.06.2014/2.mp3"_s, 300);
    site.clearFaults();
    QVERIFY(response.isEmpty());
}

void tst_ChartSite::versionReply()
{
    site.setVersion(u"2.0"_s);
    const QByteArray response = fetch(u"/version/tunetrawl.php"_s);
    QVERIFY(response.endsWith("\r\n\r\n#version info\r\n2.0\r\nhttp://" +
                              site.hostAndPort().toLatin1() + "/download/\r\n"));
}

QTEST_GUILESS_MAIN(tst_ChartSite)
#include "tst_chartsite.moc"
