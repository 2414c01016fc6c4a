// The client over TLS against a real nginx and a throw-away CA made here.
#include "connectahead.h"
#include "g.h"
#include "nginxinstance.h"
#include "partfile.h"
#include "receivebuffer.h"
#include "scriptedserver.h"
#include "testcertificates.h"
#include "underwine.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using Kind = TestCertificates::Kind;

class tst_G_Tls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void filesArriveIntact_data();
    void filesArriveIntact();
    void redirectsCrossSchemes_data();
    void redirectsCrossSchemes();
    void badCertificatesAreRefused_data();
    void badCertificatesAreRefused();
    void stalledHandshakeEndsByIdleTime();
    void tunnelThroughAProxy();
    void bodyReachesItsSinkInLargePieces();
    void sessionsResumeAcrossRequests();
    void connectionOpenedAheadCarriesTheRequest();

private:
    QTemporaryDir Root;
    TestCertificates Certificates;
    NginxInstance Tls;
    QByteArray Song;
    QByteArray Page;
    QByteArray Version;
};

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Turns a hanging call into a failing one.
struct Watchdog
{
    QTimer Timer;
    explicit Watchdog(G &g)
    {
        QObject::connect(&Timer, &QTimer::timeout, &g, &G::Abort);
        Timer.start(60000);
    }
};

ResponseSummary Stream(G &g, const QString &url, ByteSink &sink)
{
    Watchdog watchdog(g);
    QString variable = url;
    return g.RetStream(variable, sink);
}

// A proxy that answers CONNECT and then relays bytes both ways.
class TunnelProxy : public QObject
{
public:
    QList<QByteArray> requests;

    TunnelProxy()
    {
        connect(&Server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = Server.nextPendingConnection())
                connect(client, &QTcpSocket::readyRead, this, [this, client] { read(client); });
        });
        Server.listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return Server.serverPort(); }

private:
    void read(QTcpSocket *client)
    {
        QByteArray &head = Heads[client];
        head += client->readAll();
        const qsizetype end = head.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        disconnect(client, &QTcpSocket::readyRead, this, nullptr);
        requests.append(head);
        const QByteArray authority = head.split(' ').value(1);
        auto *origin = new QTcpSocket(client);
        connect(origin, &QTcpSocket::connected, client,
                [client] { client->write("HTTP/1.0 200 Connection established\r\n\r\n"); });
        connect(origin, &QTcpSocket::readyRead, client,
                [client, origin] { client->write(origin->readAll()); });
        connect(client, &QTcpSocket::readyRead, origin,
                [client, origin] { origin->write(client->readAll()); });
        connect(origin, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        origin->connectToHost(QHostAddress::LocalHost, authority.split(':').value(1).toUShort());
    }

    QTcpServer Server;
    QHash<QTcpSocket *, QByteArray> Heads;
};

// Keeps what it is given and counts the pieces.
class CountingSink : public ByteSink
{
public:
    QByteArray Bytes;
    int Writes = 0;

    bool restart() override
    {
        Bytes.clear();
        Writes = 0;
        return true;
    }
    bool write(QByteArrayView bytes) override
    {
        Bytes += bytes;
        ++Writes;
        return true;
    }
};

} // namespace

void tst_G_Tls::initTestCase()
{
    if (UnderWine())
        QSKIP(WineCannotHandshake);
    QVERIFY(Root.isValid());
    QVERIFY2(Certificates.create(), qPrintable(Certificates.errorText()));
    Song.resize(3 << 20);
    QRandomGenerator(16062014).fillRange(reinterpret_cast<quint32 *>(Song.data()), Song.size() / 4);
    Page = "<div class=\"song_box\" data-artist-name=\"Кино\"></div>\n";
    Version = "#version info\r\n1.2\r\nhttps://127.0.0.1/download/\r\n";
    for (const auto &[name, bytes] :
         {std::pair{u"song.mp3"_s, Song}, std::pair{u"page.html"_s, Page},
          std::pair{u"tunetrawl.php"_s, Version}}) {
        QFile file(Root.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    Tls.setCertificate(Certificates.certificateFile(Kind::Good), Certificates.keyFile(Kind::Good));
    QVERIFY2(Tls.start(Root.path(), QString()), qPrintable(Tls.errorText()));
    QVERIFY(Tls.url(u"/"_s).startsWith(u"https://"_s));
}

void tst_G_Tls::filesArriveIntact_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("song") << u"song.mp3"_s;
    QTest::newRow("page") << u"page.html"_s;
    QTest::newRow("version script") << u"tunetrawl.php"_s;
}

void tst_G_Tls::filesArriveIntact()
{
    QFETCH(QString, name);
    G g;
    g.addTrustedCertificates({Certificates.caCertificate()});
    ReceiveBuffer body;
    const ResponseSummary summary = Stream(g, Tls.url(u"/"_s + name), body);
    QVERIFY(summary.success() && summary.whole());
    QVERIFY(body.bytes() == ReadAll(Root.filePath(name)));

    // The whole response as text, too.
    Watchdog watchdog(g);
    QString url = Tls.url(u"/"_s + name);
    const QByteArray response = g.RetBytes(url);
    QVERIFY(response.startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(response.endsWith(ReadAll(Root.filePath(name))));
}

void tst_G_Tls::redirectsCrossSchemes_data()
{
    QTest::addColumn<bool>("fromPlain");
    QTest::newRow("http:// to https://") << true;
    QTest::newRow("https:// to http://") << false;
}

void tst_G_Tls::redirectsCrossSchemes()
{
    QFETCH(bool, fromPlain);
    // A plain server redirecting to the TLS one, and a plain server serving what the
    // TLS one redirects to.
    ScriptedServer plain({ScriptedServer::respond(
        fromPlain
            ? "HTTP/1.0 302 Found\r\nLocation: " + Tls.url(u"/song.mp3"_s).toLatin1() + "\r\n\r\n"
            : "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(Page.size()) + "\r\n\r\n" +
                  Page)});
    NginxInstance redirecting;
    redirecting.setCertificate(Certificates.certificateFile(Kind::Good),
                               Certificates.keyFile(Kind::Good));
    QVERIFY2(redirecting.start(Root.path(), u"location = /away { return 301 "_s +
                                                plain.url(u"/page.html"_s) + u"; }"_s),
             qPrintable(redirecting.errorText()));
    G g;
    g.addTrustedCertificates({Certificates.caCertificate()});
    ReceiveBuffer body;
    const ResponseSummary summary =
        Stream(g, fromPlain ? plain.url(u"/start"_s) : redirecting.url(u"/away"_s), body);
    QVERIFY(summary.success() && summary.whole());
    QVERIFY(body.bytes() == (fromPlain ? Song : Page));
    QCOMPARE(plain.connections(), 1);
}

void tst_G_Tls::badCertificatesAreRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("trustCa");
    QTest::newRow("untrusted: our CA unknown") << int(Kind::Good) << false;
    QTest::newRow("untrusted: self-signed") << int(Kind::Untrusted) << true;
    QTest::newRow("wrong host name") << int(Kind::WrongHost) << true;
    QTest::newRow("expired") << int(Kind::Expired) << true;
}

void tst_G_Tls::badCertificatesAreRefused()
{
    QFETCH(int, kind);
    QFETCH(bool, trustCa);
    NginxInstance server;
    server.setCertificate(Certificates.certificateFile(Kind(kind)),
                          Certificates.keyFile(Kind(kind)));
    QVERIFY2(server.start(Root.path(), QString()), qPrintable(server.errorText()));
    G g;
    if (trustCa)
        g.addTrustedCertificates({Certificates.caCertificate()});
    QSignalSpy logSpy(&g, &G::log);
    QTemporaryDir folder;
    {
        PartFile part(folder.path());
        QVERIFY(part.open());
        const ResponseSummary summary = Stream(g, server.url(u"/song.mp3"_s), part);
        QVERIFY(!summary.Delivered);
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    // One attempt, no retries, and the reason in the log.
    int attempts = 0;
    bool reasonTold = false;
    for (const QList<QVariant> &arguments : logSpy) {
        const QString info = arguments.at(0).toString();
        attempts += info.startsWith(u"Соединение с "_s) ? 1 : 0;
        reasonTold = reasonTold || info.startsWith(u"Защищённое соединение не установлено: "_s);
    }
    QCOMPARE(attempts, 1);
    QVERIFY(reasonTold);
    QVERIFY(!g.isBizy());
}

void tst_G_Tls::stalledHandshakeEndsByIdleTime()
{
    QTcpServer mute; // accepts, never says a word of TLS
    QVERIFY(mute.listen(QHostAddress::LocalHost));
    G g;
    g.setTimings({600000, 300, 500, 0});
    ReceiveBuffer body;
    const ResponseSummary summary =
        Stream(g, u"https://127.0.0.1:"_s + QString::number(mute.serverPort()) + u"/x"_s, body);
    QVERIFY(!summary.Delivered);
    QVERIFY(!g.isBizy());
}

void tst_G_Tls::tunnelThroughAProxy()
{
    TunnelProxy proxy;
    G g;
    g.addTrustedCertificates({Certificates.caCertificate()});
    g.setHost(u"127.0.0.1"_s);
    g.setProxy(true);
    g.setPort(qint16(proxy.port()));
    ReceiveBuffer body;
    const ResponseSummary summary = Stream(g, Tls.url(u"/song.mp3"_s), body);
    QVERIFY(summary.success() && summary.whole());
    QVERIFY(body.bytes() == Song);
    QCOMPARE(proxy.requests.size(), 1);
    const QByteArray authority = "127.0.0.1:" + QByteArray::number(Tls.port());
    QCOMPARE(proxy.requests[0],
             "CONNECT " + authority + " HTTP/1.0\r\nHost: " + authority + "\r\n\r\n");
}

void tst_G_Tls::bodyReachesItsSinkInLargePieces()
{
    G g;
    g.addTrustedCertificates({Certificates.caCertificate()});
    CountingSink sink;
    const ResponseSummary summary = Stream(g, Tls.url(u"/song.mp3"_s), sink);
    QVERIFY(summary.success() && summary.whole());
    QVERIFY(sink.Bytes == Song);
    // The socket decrypts 4 KiB at a time; the sink gets what each arrival brought.
    QVERIFY2(sink.Writes < Song.size() / 8192,
             qPrintable(u"%1 pieces for %2 bytes"_s.arg(sink.Writes).arg(Song.size())));
}

void tst_G_Tls::sessionsResumeAcrossRequests()
{
    // nginx tells in each response whether the handshake resumed a session.
    NginxInstance nginx;
    nginx.setCertificate(Certificates.certificateFile(Kind::Good),
                         Certificates.keyFile(Kind::Good));
    QVERIFY2(nginx.start(Root.path(), u"ssl_session_cache shared:tls:1m; "
                                      u"add_header X-Reused $ssl_session_reused always;"_s),
             qPrintable(nginx.errorText()));
    G g;
    g.addTrustedCertificates({Certificates.caCertificate()});
    QStringList reused;
    for (int i = 0; i < 2; ++i) {
        Watchdog watchdog(g);
        QString url = nginx.url(u"/page.html"_s);
        reused.append(QString::fromLatin1(
            HeaderFields::parse(g.RetBytes(url)).value("X-Reused").value_or("?").toByteArray()));
    }
    // An exchange of the same session, as the songs of a run are.
    Exchange song(g.session());
    ReceiveBuffer body;
    QSignalSpy finished(&song, &Exchange::finished);
    song.start({nginx.url(u"/page.html"_s), 1, {}, false}, &body,
               ResponseReader::Keep::WholeResponse);
    QVERIFY(finished.wait(20000));
    reused.append(QString::fromLatin1(
        HeaderFields::parse(body.bytes()).value("X-Reused").value_or("?").toByteArray()));
    QCOMPARE(reused, (QStringList{u"."_s, u"r"_s, u"r"_s}));
}

void tst_G_Tls::connectionOpenedAheadCarriesTheRequest()
{
    G g;
    g.addTrustedCertificates({Certificates.caCertificate()});
    ConnectAhead ahead(g.session());
    const QString url = Tls.url(u"/page.html"_s);
    QVERIFY(ahead.prepare(url));
    QTRY_COMPARE(ahead.ready(url), 1); // handshake done
    Exchange song(g.session());
    song.useConnectAhead(&ahead);
    ReceiveBuffer body;
    QSignalSpy finished(&song, &Exchange::finished);
    song.start({url, 1, {}, false}, &body, ResponseReader::Keep::BodyOnly);
    QVERIFY(finished.wait(20000));
    QVERIFY(song.summary().whole());
    QVERIFY(body.bytes() == Page);
    QCOMPARE(ahead.held(url), 0); // taken, not left to expire
}

QTEST_MAIN(tst_G_Tls)
#include "tst_g_tls.moc"
