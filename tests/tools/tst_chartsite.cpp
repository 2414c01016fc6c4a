#include "chartsite.h"
#include "hostprocess.h"
#include "sitecontent.h"
#include "songreply.h"
#include "testcertificates.h"
#include "underwine.h"

#include <QProcess>
#include <QSslSocket>
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
    void pageNamesAddressesOnTheSite_data();
    void pageNamesAddressesOnTheSite();
    void songsArePlayableMp3s();
    void faults_data();
    void faults();
    void silentSongSendsNothing();
    void songReply_data();
    void songReply();
    void songSizes();
    void onceFaults_data();
    void onceFaults();
    void busyLimit_data();
    void busyLimit();
    void versionReply();
    void commandLineSiteOverTlsNamesItsCertificate();

private:
    QByteArray fetch(const QString &path, int timeoutMs = 5000, bool overTls = false);
    ChartSite site;
    TestCertificates certificates;
    ChartSite tlsSite;
};

void tst_ChartSite::initTestCase()
{
    QVERIFY(site.listen());
    QVERIFY2(certificates.create(), qPrintable(certificates.errorText()));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificates.certificate(TestCertificates::Kind::Good));
    tls.setPrivateKey(certificates.key(TestCertificates::Kind::Good));
    tlsSite.useTls(tls);
    QVERIFY(tlsSite.listen());
}

namespace {

// Trusts only the given certificate authority, so a page that arrives proves
// the site presented a certificate it signed for 127.0.0.1.
bool connectTrusting(QSslSocket &socket, quint16 port, const QSslCertificate &ca, int timeoutMs)
{
    QSslConfiguration configuration = socket.sslConfiguration();
    configuration.setCaCertificates({ca});
    socket.setSslConfiguration(configuration);
    socket.connectToHostEncrypted(u"127.0.0.1"_s, port);
    // With the event loop running: the site's side of the handshake may be in this thread.
    return QTest::qWaitFor(
               [&] {
                   return socket.isEncrypted() ||
                          socket.state() == QAbstractSocket::UnconnectedState;
               },
               timeoutMs) &&
           socket.isEncrypted();
}

QByteArray exchange(QTcpSocket &socket, const QString &path, const QString &host, int timeoutMs)
{
    socket.write("GET " + path.toUtf8() + " HTTP/1.0\r\nHost: " + host.toLatin1() +
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

} // namespace

QByteArray tst_ChartSite::fetch(const QString &path, int timeoutMs, bool overTls)
{
    if (overTls) {
        QSslSocket socket;
        if (!connectTrusting(socket, tlsSite.port(), certificates.caCertificate(), timeoutMs))
            return "<no TLS connection: " + socket.errorString().toUtf8() + ">";
        return exchange(socket, path, tlsSite.hostAndPort(), timeoutMs);
    }
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, site.port());
    if (!socket.waitForConnected(timeoutMs))
        return "<no connection>";
    return exchange(socket, path, site.hostAndPort(), timeoutMs);
}

void tst_ChartSite::pagesAreDeterministicAndCarryTheHardCases()
{
    const QString origin = u"http://h"_s;
    const QByteArray page = SiteContent::HistoryPage(u"nashe"_s, u"16.06.2014"_s, origin);
    QCOMPARE(SiteContent::HistoryPage(u"nashe"_s, u"16.06.2014"_s, origin), page);
    QVERIFY(SiteContent::HistoryPage(u"nashe"_s, u"17.06.2014"_s, origin) != page);

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

void tst_ChartSite::pageNamesAddressesOnTheSite_data()
{
    QTest::addColumn<bool>("overTls");
    QTest::addColumn<QByteArray>("scheme");
    QTest::newRow("http") << false << QByteArray("http://");
    QTest::newRow("https") << true << QByteArray("https://");
}

void tst_ChartSite::pageNamesAddressesOnTheSite()
{
    QFETCH(bool, overTls);
    QFETCH(QByteArray, scheme);
    if (overTls && UnderWine())
        QSKIP(WineCannotServeTls);
    const ChartSite &named = overTls ? tlsSite : site;
    const QByteArray response = fetch(u"/europaplus/history/16.06.2014/"_s, 5000, overTls);
    QVERIFY2(response.startsWith("HTTP/1.0 200 OK\r\n"), response.left(200).constData());
    QVERIFY(response.contains("charset=utf-8"));
    const qsizetype at = response.indexOf("data-url-encoded=\"") + 18;
    const QByteArray address =
        QByteArray::fromBase64(response.mid(at, response.indexOf('"', at) - at));
    QCOMPARE(address,
             scheme + named.hostAndPort().toLatin1() + "/songs/europaplus/16.06.2014/1.mp3");
    QCOMPARE(fetch(u"/europaplus/history/16.06.2014/?songs=40"_s, 5000, overTls).count("song_box"),
             40);
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

    const QString decoder = HostProcess::findProgram(u"mpg123"_s);
    if (decoder.isEmpty())
        QSKIP("mpg123 is not installed");
    QTemporaryDir dir;
    QFile file(dir.filePath(u"song.mp3"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(body);
    file.close();
    HostProcess mpg123;
    QVERIFY2(mpg123.start(decoder, {u"-w"_s, HostProcess::hostPath(dir.filePath(u"song.wav"_s)),
                                    HostProcess::hostPath(file.fileName())}),
             qPrintable(mpg123.errorString()));
    QVERIFY(mpg123.waitForFinished(30000));
    QCOMPARE(mpg123.exitCode(), 0);
    // Three seconds of 16-bit mono at 32 kHz, give or take a frame.
    QVERIFY(QFileInfo(dir.filePath(u"song.wav"_s)).size() > 150000);
}

void tst_ChartSite::faults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("statusLine");
    QTest::addColumn<bool>("bodyComplete");
    QTest::addColumn<bool>("overTls");
    QTest::newRow("404") << int(ChartSite::Fault::NotFound) << QByteArray("HTTP/1.0 404 Not Found")
                         << true << false;
    QTest::newRow("truncate") << int(ChartSite::Fault::Truncated) << QByteArray("HTTP/1.0 200 OK")
                              << false << false;
    QTest::newRow("redirect") << int(ChartSite::Fault::Redirect) << QByteArray("HTTP/1.0 302 Found")
                              << true << false;
    QTest::newRow("redirect over TLS")
        << int(ChartSite::Fault::Redirect) << QByteArray("HTTP/1.0 302 Found") << true << true;
}

void tst_ChartSite::faults()
{
    QFETCH(int, fault);
    QFETCH(QByteArray, statusLine);
    QFETCH(bool, bodyComplete);
    QFETCH(bool, overTls);
    if (overTls && UnderWine())
        QSKIP(WineCannotServeTls);
    ChartSite &faulty = overTls ? tlsSite : site;
    faulty.setSongFault(4, ChartSite::Fault(fault));
    const QByteArray response = fetch(u"/songs/nashe/16.06.2014/4.mp3"_s, 5000, overTls);
    faulty.clearFaults();
    QVERIFY(response.startsWith(statusLine + "\r\n"));
    const qsizetype end = response.indexOf("\r\n\r\n");
    const QByteArray head = response.left(end);
    const qsizetype at = head.indexOf("Content-Length: ") + 16;
    const qint64 announced = head.mid(at, head.indexOf("\r\n", at) - at).toLongLong();
    QCOMPARE(response.size() - end - 4 == announced, bodyComplete);
    if (fault == int(ChartSite::Fault::Redirect)) {
        const QByteArray origin =
            (overTls ? "https://" : "http://") + faulty.hostAndPort().toLatin1();
        const qsizetype l = head.indexOf("Location: " + origin + '/');
        QVERIFY2(l >= 0, head.constData());
        const QByteArray path = head.mid(l + 10 + origin.size());
        const QByteArray moved = fetch(QString::fromLatin1(path), 5000, overTls);
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

void tst_ChartSite::songReply_data()
{
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<QByteArray>("ifRange"); // "tag" and "date" stand for the file's own
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<int>("from"); // of the body sent
    QTest::newRow("no range: whole") << QByteArray() << QByteArray() << QByteArray("200 OK") << 0;
    QTest::newRow("the rest") << QByteArray("bytes=10-") << QByteArray()
                              << QByteArray("206 Partial Content") << 10;
    QTest::newRow("the rest if the same ETag")
        << QByteArray("bytes=99-") << QByteArray("tag") << QByteArray("206 Partial Content") << 99;
    QTest::newRow("the rest if the same date")
        << QByteArray("bytes=10-") << QByteArray("date") << QByteArray("206 Partial Content") << 10;
    QTest::newRow("another ETag: whole")
        << QByteArray("bytes=10-") << QByteArray("\"old\"") << QByteArray("200 OK") << 0;
    QTest::newRow("past the end") << QByteArray("bytes=100-") << QByteArray()
                                  << QByteArray("416 Range Not Satisfiable") << 100;
    QTest::newRow("other ranges ignored")
        << QByteArray("bytes=0-9") << QByteArray() << QByteArray("200 OK") << 0;
}

void tst_ChartSite::songReply()
{
    QFETCH(QByteArray, range);
    QFETCH(QByteArray, ifRange);
    QFETCH(QByteArray, status);
    QFETCH(int, from);
    const QByteArray file = SiteContent::SongFile(u"nashe"_s, u"16.06.2014"_s, 1, 100);
    const QByteArray tag = SongReply::etag(file);
    const QByteArray date = "Mon, 16 Jun 2014 00:00:00 GMT";
    const SongReply reply = SongReply::build(file, u"16.06.2014"_s, range,
                                             ifRange == "tag"    ? tag
                                             : ifRange == "date" ? date
                                                                 : ifRange);
    QCOMPARE(reply.Status, status);
    QCOMPARE(reply.Body, file.mid(from));
    QVERIFY(reply.Headers.startsWith("ETag: " + tag + "\r\nLast-Modified: " + date + "\r\n"));
    const QByteArray contentRange =
        from == 0     ? QByteArray()
        : from == 100 ? QByteArray("Content-Range: bytes */100\r\n")
                      : "Content-Range: bytes " + QByteArray::number(from) + "-99/100\r\n";
    QVERIFY(reply.Headers.endsWith(contentRange.isEmpty() ? date + "\r\n" : contentRange));
}

void tst_ChartSite::songSizes()
{
    QCOMPARE(ChartSite::sizeRange(u"64"_s), (std::pair<qint64, qint64>{65536, 65536}));
    QCOMPARE(ChartSite::sizeRange(u"10-20"_s), (std::pair<qint64, qint64>{10240, 20480}));
    for (const QString &wrong : {u"20-10"_s, u"0"_s, u"x"_s, u"1-2-3"_s, u"-5"_s, u""_s})
        QVERIFY2(!ChartSite::sizeRange(wrong), qPrintable(wrong));

    ChartSite sized;
    sized.setSongSize(10240, 20480);
    QSet<qint64> seen;
    for (int position = 1; position <= 20; ++position) {
        const QByteArray file = sized.songFile(u"nashe"_s, u"16.06.2014"_s, position);
        QVERIFY(file.size() >= 10240 && file.size() <= 20480);
        QVERIFY(file.startsWith("ID3"));
        QCOMPARE(file, sized.songFile(u"nashe"_s, u"16.06.2014"_s, position)); // fixed
        seen.insert(file.size());
    }
    QVERIFY(seen.size() > 10);
    sized.setSongSize(65536, 65536);
    QCOMPARE(sized.songFile(u"nashe"_s, u"16.06.2014"_s, 3).size(), 65536);
}

void tst_ChartSite::onceFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("first"); // its status line
    QTest::newRow("break") << int(ChartSite::Fault::Break) << QByteArray("HTTP/1.0 200 OK");
    QTest::newRow("503") << int(ChartSite::Fault::Unavailable)
                         << QByteArray("HTTP/1.0 503 Service Unavailable");
    QTest::newRow("429") << int(ChartSite::Fault::TooMany)
                         << QByteArray("HTTP/1.0 429 Too Many Requests");
}

void tst_ChartSite::onceFaults()
{
    QFETCH(int, fault);
    QFETCH(QByteArray, first);
    if (ChartSite::Fault(fault) == ChartSite::Fault::Break && UnderWine())
        QSKIP("under Wine the reset drops what the site wrote before it");
    site.setSongFault(ChartSite::EverySong, ChartSite::Fault(fault));
    site.setRetryAfter(7);
    const QByteArray song = SiteContent::SongFile(u"nashe"_s, u"16.06.2014"_s, 4);
    const QByteArray broken = fetch(u"/songs/nashe/16.06.2014/4.mp3"_s);
    const QByteArray whole = fetch(u"/songs/nashe/16.06.2014/4.mp3"_s);
    const QByteArray other = fetch(u"/songs/nashe/16.06.2014/5.mp3"_s);
    site.clearFaults();
    site.setRetryAfter(1);
    QVERIFY(broken.startsWith(first + "\r\n"));
    if (fault == int(ChartSite::Fault::Break))
        QCOMPARE(broken.mid(broken.indexOf("\r\n\r\n") + 4), song.left(song.size() / 2));
    else
        QVERIFY(broken.contains("\r\nRetry-After: 7\r\n"));
    QCOMPARE(whole.mid(whole.indexOf("\r\n\r\n") + 4), song);
    QVERIFY(other.startsWith(first + "\r\n")); // every song, once each
}

void tst_ChartSite::busyLimit_data()
{
    QTest::addColumn<int>("beyond");
    QTest::newRow("the second waits unanswered") << int(ChartSite::Busy::Queue);
    QTest::newRow("the second is refused at once") << int(ChartSite::Busy::Refuse);
}

void tst_ChartSite::busyLimit()
{
    QFETCH(int, beyond);
    ChartSite busy;
    busy.setBusyLimit(1, ChartSite::Busy(beyond));
    busy.setRate(64 * 1024);
    busy.setSongSize(16384, 16384); // a quarter of a second each
    QVERIFY(busy.listen());
    QTcpSocket a, b;
    QByteArray gotA, gotB;
    QElapsedTimer clock; // from the first request on
    qint64 endA = -1, firstB = -1;
    const QByteArray request = "GET /songs/nashe/16.06.2014/1.mp3 HTTP/1.0\r\n\r\n";
    a.connectToHost(u"127.0.0.1"_s, busy.port());
    QVERIFY(a.waitForConnected(5000));
    a.write(request);
    clock.start();
    QTRY_COMPARE(busy.requests().size(), 1); // a holds the one slot
    b.connectToHost(u"127.0.0.1"_s, busy.port());
    QVERIFY(b.waitForConnected(5000));
    b.write(request);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            gotA += a.readAll();
            gotB += b.readAll();
            if (endA < 0 && a.state() != QAbstractSocket::ConnectedState)
                endA = clock.elapsed();
            if (firstB < 0 && !gotB.isEmpty())
                firstB = clock.elapsed();
            return endA >= 0 && b.state() != QAbstractSocket::ConnectedState;
        }(),
        10000);
    QVERIFY2(endA >= 200, qPrintable(QString::number(endA))); // sent at the rate
    QVERIFY(gotA.endsWith(busy.songFile(u"nashe"_s, u"16.06.2014"_s, 1)));
    if (beyond == int(ChartSite::Busy::Queue)) {
        QVERIFY2(firstB >= endA, qPrintable(u"%1 %2"_s.arg(firstB).arg(endA)));
        QVERIFY(gotB.endsWith(busy.songFile(u"nashe"_s, u"16.06.2014"_s, 1)));
    } else {
        QVERIFY2(firstB < endA, qPrintable(u"%1 %2"_s.arg(firstB).arg(endA)));
        QVERIFY(gotB.startsWith("HTTP/1.0 503 Service Unavailable\r\n"));
        QVERIFY(gotB.contains("\r\nRetry-After: 1\r\n"));
    }
}

void tst_ChartSite::versionReply()
{
    site.setVersion(u"2.0"_s);
    const QByteArray response = fetch(u"/version/tunetrawl.php"_s);
    QVERIFY(response.endsWith("\r\n\r\n#version info\r\n2.0\r\nhttp://" +
                              site.hostAndPort().toLatin1() + "/download/\r\n"));
}

void tst_ChartSite::commandLineSiteOverTlsNamesItsCertificate()
{
    if (UnderWine())
        QSKIP(WineCannotServeTls);
    QProcess program;
    program.start(QString::fromUtf8(CHARTSITE_PROGRAM), {u"0"_s, u"--tls"_s});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    QByteArray printed;
    const QDeadlineTimer deadline(20000);
    while (printed.count('\n') < 2 && !deadline.hasExpired() &&
           program.state() == QProcess::Running) {
        program.waitForReadyRead(100);
        printed += program.readAllStandardOutput();
    }
    const QList<QByteArray> lines = printed.split('\n');
    QVERIFY2(lines.size() > 2, printed.constData());
    const quint16 port = lines[0].toUShort();
    QVERIFY(lines[1].startsWith("CA certificate: "));
    QFile caFile(QString::fromLocal8Bit(lines[1].mid(16)));
    QVERIFY2(caFile.open(QIODevice::ReadOnly), qPrintable(caFile.fileName()));
    const QSslCertificate ca(caFile.readAll(), QSsl::Pem);

    QSslSocket socket;
    QVERIFY2(connectTrusting(socket, port, ca, 5000), qPrintable(socket.errorString()));
    const QByteArray response = exchange(socket, u"/nashe/history/16.06.2014/"_s,
                                         u"127.0.0.1:"_s + QString::number(port), 5000);
    program.terminate();
    QVERIFY(program.waitForFinished());
    QVERIFY2(response.startsWith("HTTP/1.0 200 OK\r\n"), response.left(200).constData());
    QVERIFY(response.contains("song_box"));
    // Its certificate folder goes with it.
    QVERIFY(!caFile.exists());
}

QTEST_GUILESS_MAIN(tst_ChartSite)
#include "tst_chartsite.moc"
