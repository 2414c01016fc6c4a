#include "ansicodec.h"
#include "apacheinstance.h"
#include "g.h"
#include "lighttpdinstance.h"
#include "nginxinstance.h"
#include "pythonhttpinstance.h"
#include "receivebuffer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;

// The client against servers nobody here wrote, and a gateway that speaks in
// lower-case headers.
class tst_G_Servers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyByteValueArrivesIntact();
    void largeRandomFileArrivesIntact();
    void returnedRedirectIsFollowed();
    void notFoundPageComesBackAsText();
    void sameFilesFromEveryServer_data();
    void sameFilesFromEveryServer();

private:
    QString fetchText(const QString &url);
    QByteArray fetchBytes(const QString &url);
    void writeFile(const QString &name, const QByteArray &bytes);

    QTemporaryDir Root;
    NginxInstance Nginx;
    G Client;
    std::map<QString, std::unique_ptr<ServerInstance>> Others;
    QByteArray AllBytes;
    QByteArray Random;
};

namespace {

// Answers like the gateways in front of many song hosts: HTTP/1.1 status lines and
// every header name in lower case.
class Gateway : public QObject
{
public:
    explicit Gateway(QByteArray file) : File(std::move(file))
    {
        connect(&Server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = Server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        });
        Server.listen(QHostAddress::LocalHost);
    }
    QString url(const QString &path) const
    {
        return u"http://127.0.0.1:"_s + QString::number(Server.serverPort()) + path;
    }

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &request = Requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        QByteArray reply;
        if (path == "/allbytes.bin")
            reply = "HTTP/1.1 200 OK\r\ncontent-type:application/octet-stream\r\n"
                    "content-length: " +
                    QByteArray::number(File.size()) + "\r\nset-cookie: g=1\r\n\r\n" + File;
        else if (path == "/permanent" || path == "/temporary")
            reply =
                (path == "/permanent" ? "HTTP/1.1 301 Moved Permanently" : "HTTP/1.1 302 Found") +
                QByteArray("\r\nlocation:  /allbytes.bin\r\ncontent-length: 0\r\n\r\n");
        else
            reply = "HTTP/1.1 404 Not Found\r\ncontent-length: 9\r\n\r\nnot here.";
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer Server;
    QByteArray File;
    QHash<QTcpSocket *, QByteArray> Requests;
};

QByteArray bodyOf(const QByteArray &response)
{
    const qsizetype end = response.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : response.mid(end + 4);
}

} // namespace

void tst_G_Servers::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(Root.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_G_Servers::initTestCase()
{
    QVERIFY2(!NginxInstance::program().isEmpty(),
             "nginx is not installed (scripts/install-deps.sh installs it)");
    QVERIFY(Root.isValid());
    for (int round = 0; round < 4; ++round) {
        for (int b = 0; b < 256; ++b)
            AllBytes.append(char(round % 2 ? 255 - b : b));
    }
    AllBytes += "\r\n\r\n\0\r\n"; // line ends inside a body are just bytes
    writeFile(u"allbytes.bin"_s, AllBytes);

    Random.resize(20 << 20);
    QRandomGenerator generator(20140616);
    generator.fillRange(reinterpret_cast<quint32 *>(Random.data()), Random.size() / 4);
    writeFile(u"random.bin"_s, Random);

    QVERIFY2(Nginx.start(Root.path(), u"location = /moved { return 301 /allbytes.bin; }"_s),
             qPrintable(Nginx.errorText()));

    // A folder asked without its "/" is the one redirect Python's server makes.
    QVERIFY(QDir(Root.path()).mkdir(u"sub"_s));
    writeFile(u"sub/index.html"_s, AllBytes);
    const QList<ServerRedirect> redirects{{u"/permanent"_s, u"/allbytes.bin"_s, 301},
                                          {u"/temporary"_s, u"/allbytes.bin"_s, 302}};
    Others[u"apache"_s] = std::make_unique<ApacheInstance>();
    Others[u"lighttpd"_s] = std::make_unique<LighttpdInstance>();
    Others[u"python"_s] = std::make_unique<PythonHttpInstance>();
    for (auto &[name, server] : Others) {
        const bool started =
            server->start(Root.path(), server->canRedirect() ? redirects : QList<ServerRedirect>{});
        QVERIFY2(started, qPrintable(name + u": "_s + server->errorText()));
    }
}

QString tst_G_Servers::fetchText(const QString &url)
{
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, &Client, &G::Abort);
    watchdog.start(60000);
    QString variable = url;
    return Client.RetUrl(variable, 1, true);
}

QByteArray tst_G_Servers::fetchBytes(const QString &url)
{
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, &Client, &G::Abort);
    watchdog.start(60000);
    QString variable = url;
    return Client.RetBytes(variable);
}

void tst_G_Servers::everyByteValueArrivesIntact()
{
    const QByteArray response = fetchBytes(Nginx.url(u"/allbytes.bin"_s));
    QVERIFY(response.startsWith("HTTP/1.1 200 OK\r\n"));
    QCOMPARE(bodyOf(response), AllBytes);

    // The text form maps each byte to one character and back without loss.
    const QString text = fetchText(Nginx.url(u"/allbytes.bin"_s));
    QCOMPARE(bodyOf(Ansi::toBytes(text)), AllBytes);
}

void tst_G_Servers::largeRandomFileArrivesIntact()
{
    QSignalSpy percent(&Client, &G::PercentOfLoad);
    const QByteArray response = fetchBytes(Nginx.url(u"/random.bin"_s));
    QVERIFY(response.contains("\r\nContent-Length: 20971520\r\n"));
    QVERIFY(bodyOf(response) == Random);
    QVERIFY(!percent.isEmpty());
    QVERIFY(percent.last().at(0).value<qint16>() >= 100);
}

void tst_G_Servers::returnedRedirectIsFollowed()
{
    const QByteArray response = fetchBytes(Nginx.url(u"/moved"_s));
    QVERIFY2(response.startsWith("HTTP/1.1 200 OK\r\n"), response.left(200).constData());
    QCOMPARE(bodyOf(response), AllBytes);
}

void tst_G_Servers::notFoundPageComesBackAsText()
{
    const QString text = fetchText(Nginx.url(u"/missing.html"_s));
    QVERIFY(text.startsWith(u"HTTP/1.1 404 Not Found\r\n"_s));
    QVERIFY(text.contains(u"\r\nContent-Type: text/html\r\n"_s));
    QVERIFY(text.contains(u"\r\n\r\n<html>"_s));
    QVERIFY(text.contains(u"<h1>404 Not Found</h1>"_s));
    QVERIFY(!Client.isBizy());
}

void tst_G_Servers::sameFilesFromEveryServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("found");

    for (const QString &server : {u"apache"_s, u"lighttpd"_s, u"python"_s, u"gateway"_s}) {
        const QByteArray name = server.toLatin1();
        QTest::addRow("%s, plain", name.constData()) << server << u"/allbytes.bin"_s << true;
        if (server == u"python") {
            QTest::addRow("%s, folder redirect", name.constData()) << server << u"/sub"_s << true;
        } else {
            QTest::addRow("%s, 301", name.constData()) << server << u"/permanent"_s << true;
            QTest::addRow("%s, 302", name.constData()) << server << u"/temporary"_s << true;
        }
        QTest::addRow("%s, missing", name.constData()) << server << u"/missing.bin"_s << false;
    }
}

void tst_G_Servers::sameFilesFromEveryServer()
{
    QFETCH(QString, server);
    QFETCH(QString, path);
    QFETCH(bool, found);
    Gateway gateway(AllBytes);
    const QString url = server == u"gateway" ? gateway.url(path) : Others.at(server)->url(path);
    G client;
    client.setAcceptCookies(true);
    QSignalSpy percent(&client, &G::PercentOfLoad);
    ReceiveBuffer body;
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, &client, &G::Abort);
    watchdog.start(60000);
    QString variable = url;
    const ResponseSummary summary = client.RetStream(variable, body);

    QCOMPARE(summary.success(), found);
    if (!found)
        return;
    QVERIFY(summary.whole());
    QVERIFY(body.bytes() == AllBytes);
    // Progress follows the length, however the header is written.
    QVERIFY(!percent.isEmpty());
    QVERIFY(percent.last().at(0).value<qint16>() >= 100);
    if (server == u"gateway")
        QCOMPARE(client.MyCookies(), u"g=1;"_s);
}

QTEST_MAIN(tst_G_Servers)
#include "tst_g_servers.moc"
