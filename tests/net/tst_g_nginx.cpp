#include "ansicodec.h"
#include "g.h"
#include "nginxinstance.h"
#include "testcertificates.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The client against a server nobody here wrote.
class tst_G_Nginx : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyByteValueArrivesIntact();
    void largeRandomFileArrivesIntact();
    void tlsBodyReachesItsSinkInLargePieces();
    void returnedRedirectIsFollowed();
    void notFoundPageComesBackAsText();

private:
    QString fetchText(const QString &url);
    QByteArray fetchBytes(const QString &url);
    void writeFile(const QString &name, const QByteArray &bytes);

    QTemporaryDir Root;
    NginxInstance Nginx;
    G Client;
    QByteArray AllBytes;
    QByteArray Random;
};

namespace {

QByteArray bodyOf(const QByteArray &response)
{
    const qsizetype end = response.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : response.mid(end + 4);
}

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

void tst_G_Nginx::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(Root.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_G_Nginx::initTestCase()
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
}

QString tst_G_Nginx::fetchText(const QString &url)
{
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, &Client, &G::Abort);
    watchdog.start(60000);
    QString variable = url;
    return Client.RetUrl(variable, 1, true);
}

QByteArray tst_G_Nginx::fetchBytes(const QString &url)
{
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, &Client, &G::Abort);
    watchdog.start(60000);
    QString variable = url;
    return Client.RetBytes(variable);
}

void tst_G_Nginx::everyByteValueArrivesIntact()
{
    const QByteArray response = fetchBytes(Nginx.url(u"/allbytes.bin"_s));
    QVERIFY(response.startsWith("HTTP/1.1 200 OK\r\n"));
    QCOMPARE(bodyOf(response), AllBytes);

    // The text form maps each byte to one character and back without loss.
    const QString text = fetchText(Nginx.url(u"/allbytes.bin"_s));
    QCOMPARE(bodyOf(Ansi::toBytes(text)), AllBytes);
}

void tst_G_Nginx::largeRandomFileArrivesIntact()
{
    QSignalSpy percent(&Client, &G::PercentOfLoad);
    const QByteArray response = fetchBytes(Nginx.url(u"/random.bin"_s));
    QVERIFY(response.contains("\r\nContent-Length: 20971520\r\n"));
    QVERIFY(bodyOf(response) == Random);
    QVERIFY(!percent.isEmpty());
    QVERIFY(percent.last().at(0).value<qint16>() >= 100);
}

void tst_G_Nginx::tlsBodyReachesItsSinkInLargePieces()
{
    TestCertificates certificates;
    QVERIFY2(certificates.create(), qPrintable(certificates.errorText()));
    NginxInstance tls;
    tls.setCertificate(certificates.certificateFile(TestCertificates::Kind::Good),
                       certificates.keyFile(TestCertificates::Kind::Good));
    QVERIFY2(tls.start(Root.path()), qPrintable(tls.errorText()));
    G client;
    client.addTrustedCertificates({certificates.caCertificate()});
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, &client, &G::Abort);
    watchdog.start(60000);

    CountingSink sink;
    QString url = tls.url(u"/random.bin"_s);
    const ResponseSummary response = client.RetStream(url, sink);
    QVERIFY(response.success() && response.whole());
    QVERIFY(sink.Bytes == Random);
    // The socket decrypts 4 KiB at a time; the sink gets what each arrival brought.
    QVERIFY2(sink.Writes < Random.size() / 8192,
             qPrintable(u"%1 pieces for %2 bytes"_s.arg(sink.Writes).arg(Random.size())));
}

void tst_G_Nginx::returnedRedirectIsFollowed()
{
    const QByteArray response = fetchBytes(Nginx.url(u"/moved"_s));
    QVERIFY2(response.startsWith("HTTP/1.1 200 OK\r\n"), response.left(200).constData());
    QCOMPARE(bodyOf(response), AllBytes);
}

void tst_G_Nginx::notFoundPageComesBackAsText()
{
    const QString text = fetchText(Nginx.url(u"/missing.html"_s));
    QVERIFY(text.startsWith(u"HTTP/1.1 404 Not Found\r\n"_s));
    QVERIFY(text.contains(u"\r\nContent-Type: text/html\r\n"_s));
    QVERIFY(text.contains(u"\r\n\r\n<html>"_s));
    QVERIFY(text.contains(u"<h1>404 Not Found</h1>"_s));
    QVERIFY(!Client.isBizy());
}

QTEST_MAIN(tst_G_Nginx)
#include "tst_g_nginx.moc"
