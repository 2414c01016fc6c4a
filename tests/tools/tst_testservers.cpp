#include "apacheinstance.h"
#include "hostprocess.h"
#include "lighttpdinstance.h"
#include "nginxinstance.h"
#include "pythonhttpinstance.h"
#include "testcertificates.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TestCertificates::Kind)

// Every server fixture proved with curl as the reference client, the way the
// HTTP client will ask: HTTP/1.0 with "Connection: Close", loopback only.
class tst_TestServers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fileArrivesByteForByte_data();
    void fileArrivesByteForByte();
    void redirectNamesItsTarget_data();
    void redirectNamesItsTarget();
    void missingPathIsNotFound_data();
    void missingPathIsNotFound();
    void stopsWhenDestroyed_data();
    void stopsWhenDestroyed();
    void failureToStartIsExplained_data();
    void failureToStartIsExplained();
    void nginxOverTls_data();
    void nginxOverTls();

private:
    struct Curl
    {
        int exitCode = -1;
        QByteArray out;
        QString error;
    };
    Curl curl(const QStringList &arguments);
    void writeFile(const QString &name, const QByteArray &bytes);
    void serverRows();

    QTemporaryDir Root;
    TestCertificates Certificates;
    std::map<QString, std::unique_ptr<ServerInstance>> Servers;
    QByteArray AllBytes;
    QByteArray Random;
};

namespace {

const QString Target = u"/allbytes.bin"_s;

std::unique_ptr<ServerInstance> makeServer(const QString &name)
{
    if (name == u"nginx")
        return std::make_unique<NginxInstance>();
    if (name == u"apache")
        return std::make_unique<ApacheInstance>();
    if (name == u"lighttpd")
        return std::make_unique<LighttpdInstance>();
    if (name == u"python")
        return std::make_unique<PythonHttpInstance>();
    return {};
}

const QStringList ServerNames = {u"nginx"_s, u"apache"_s, u"lighttpd"_s, u"python"_s};

// A server whose program is nowhere.
class AbsentServer : public ServerInstance
{
public:
    AbsentServer() : ServerInstance(u"absent-httpd"_s, QString()) {}

protected:
    std::optional<QStringList> configure(quint16) override { return QStringList(); }
};

} // namespace

void tst_TestServers::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(Root.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_TestServers::initTestCase()
{
    QVERIFY2(!HostProcess::findProgram(u"curl"_s).isEmpty(),
             "curl is not installed (scripts/install-deps.sh installs it)");
    QVERIFY(Root.isValid());
    for (int b = 0; b < 256; ++b)
        AllBytes.append(char(b));
    AllBytes += "\r\n\r\n\0\r\n";
    writeFile(Target.mid(1), AllBytes);
    Random.resize(1 << 20);
    QRandomGenerator(20140616).fillRange(reinterpret_cast<quint32 *>(Random.data()),
                                         Random.size() / 4);
    writeFile(u"random.bin"_s, Random);
    QVERIFY(QDir(Root.path()).mkpath(u"folder"_s));
    writeFile(u"folder/index.html"_s, "<html>folder</html>\n");

    const QList<ServerRedirect> redirects = {{u"/permanent"_s, Target, 301},
                                             {u"/temporary"_s, Target, 302}};
    for (const QString &name : ServerNames) {
        std::unique_ptr<ServerInstance> server = makeServer(name);
        const bool started =
            server->start(Root.path(), server->canRedirect() ? redirects : QList<ServerRedirect>());
        QVERIFY2(started, qPrintable(server->errorText()));
        Servers[name] = std::move(server);
    }
    QVERIFY2(Certificates.create(), qPrintable(Certificates.errorText()));
}

tst_TestServers::Curl tst_TestServers::curl(const QStringList &arguments)
{
    // Its messages apart from what it fetched.
    QTemporaryDir messages;
    const QString errorFile = messages.filePath(u"stderr.txt"_s);
    HostProcess process;
    Curl result;
    if (!process.start(HostProcess::findProgram(u"curl"_s),
                       QStringList{u"--silent"_s, u"--show-error"_s, u"--noproxy"_s, u"*"_s,
                                   u"--max-time"_s, u"20"_s, u"--http1.0"_s, u"--header"_s,
                                   u"Connection: Close"_s, u"--stderr"_s,
                                   HostProcess::hostPath(errorFile)} +
                           arguments)) {
        result.error = process.errorString();
        return result;
    }
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        result.error = u"curl did not finish"_s;
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.output();
    QFile error(errorFile);
    if (error.open(QIODevice::ReadOnly))
        result.error = QString::fromLocal8Bit(error.readAll()).trimmed();
    return result;
}

void tst_TestServers::serverRows()
{
    QTest::addColumn<QString>("server");
    for (const QString &name : ServerNames)
        QTest::newRow(qPrintable(name)) << name;
}

void tst_TestServers::fileArrivesByteForByte_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("path");
    for (const QString &name : ServerNames) {
        QTest::addRow("%s every byte value", qPrintable(name)) << name << Target;
        QTest::addRow("%s 1 MiB random", qPrintable(name)) << name << u"/random.bin"_s;
    }
}

void tst_TestServers::fileArrivesByteForByte()
{
    QFETCH(QString, server);
    QFETCH(QString, path);
    const Curl got = curl({u"--fail"_s, Servers.at(server)->url(path)});
    QVERIFY2(got.exitCode == 0, qPrintable(got.error));
    QVERIFY(got.out == (path == Target ? AllBytes : Random));
}

void tst_TestServers::redirectNamesItsTarget_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("to");
    for (const QString &name : ServerNames) {
        if (makeServer(name)->canRedirect()) {
            QTest::addRow("%s 301", qPrintable(name)) << name << u"/permanent"_s << 301 << Target;
            QTest::addRow("%s 302", qPrintable(name)) << name << u"/temporary"_s << 302 << Target;
        }
        QTest::addRow("%s folder without slash", qPrintable(name))
            << name << u"/folder"_s << 301 << u"/folder/"_s;
    }
}

void tst_TestServers::redirectNamesItsTarget()
{
    QFETCH(QString, server);
    QFETCH(QString, from);
    QFETCH(int, status);
    QFETCH(QString, to);
    const ServerInstance &instance = *Servers.at(server);
    const Curl got = curl({u"--output"_s, u"/dev/null"_s, u"--write-out"_s,
                           u"%{http_code} %{redirect_url}"_s, instance.url(from)});
    QVERIFY2(got.exitCode == 0, qPrintable(got.error));
    // redirect_url is the Location header resolved against the request.
    QCOMPARE(QString::fromUtf8(got.out), QString::number(status) + u' ' + instance.url(to));
}

void tst_TestServers::missingPathIsNotFound_data()
{
    serverRows();
}

void tst_TestServers::missingPathIsNotFound()
{
    QFETCH(QString, server);
    const Curl got = curl({u"--output"_s, u"/dev/null"_s, u"--write-out"_s, u"%{http_code}"_s,
                           Servers.at(server)->url(u"/missing.html"_s)});
    QVERIFY2(got.exitCode == 0, qPrintable(got.error));
    QCOMPARE(got.out, "404");
}

void tst_TestServers::stopsWhenDestroyed_data()
{
    serverRows();
}

void tst_TestServers::stopsWhenDestroyed()
{
    QFETCH(QString, server);
    std::unique_ptr<ServerInstance> instance = makeServer(server);
    QVERIFY2(instance->start(Root.path()), qPrintable(instance->errorText()));
    const quint16 port = instance->port();
    QVERIFY(instance->isRunning());
    instance.reset();

    QTcpSocket probe;
    probe.connectToHost(u"127.0.0.1"_s, port);
    QVERIFY(!probe.waitForConnected(5000));
    QCOMPARE(probe.error(), QAbstractSocket::ConnectionRefusedError);
}

void tst_TestServers::failureToStartIsExplained_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("root");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("explanation");
    QTest::newRow("program not installed")
        << u"absent"_s << Root.path() << 0 << QString() << u"absent-httpd is not installed"_s;
    QTest::newRow("python asked for a redirect")
        << u"python"_s << Root.path() << 302 << QString()
        << u"cannot answer an arbitrary path with a redirect"_s;
    QTest::newRow("apache asked for a 307")
        << u"apache"_s << Root.path() << 307 << QString() << u"307 is neither 301 nor 302"_s;
    QTest::newRow("lighttpd on a missing folder")
        << u"lighttpd"_s << Root.filePath(u"absent"_s) << 0 << QString()
        << u"not an absolute path of a folder"_s;
    QTest::newRow("nginx with a missing certificate")
        << u"nginx"_s << Root.path() << 0 << Root.filePath(u"absent.pem"_s) << u"absent.pem"_s;
}

void tst_TestServers::failureToStartIsExplained()
{
    QFETCH(QString, server);
    QFETCH(QString, root);
    QFETCH(int, status);
    QFETCH(QString, certificate);
    QFETCH(QString, explanation);
    std::unique_ptr<ServerInstance> instance =
        server == u"absent" ? std::make_unique<AbsentServer>() : makeServer(server);
    if (!certificate.isEmpty()) {
        static_cast<NginxInstance &>(*instance).setCertificate(
            certificate, Certificates.keyFile(TestCertificates::Kind::Good));
    }
    QList<ServerRedirect> redirects;
    if (status != 0)
        redirects.append({u"/from"_s, Target, status});
    QVERIFY(!instance->start(root, redirects));
    QVERIFY(!instance->isRunning());
    QVERIFY2(instance->errorText().contains(explanation), qPrintable(instance->errorText()));
}

void tst_TestServers::nginxOverTls_data()
{
    using Kind = TestCertificates::Kind;
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("trusted");
    QTest::addColumn<QString>("refusal");
    const QString ca = Certificates.caCertificateFile();
    const QString untrusted = Certificates.certificateFile(Kind::Untrusted);
    QTest::newRow("good") << Kind::Good << u"127.0.0.1"_s << ca << QString();
    QTest::newRow("good named localhost") << Kind::Good << u"localhost"_s << ca << QString();
    QTest::newRow("good without our CA")
        << Kind::Good << u"127.0.0.1"_s << QString() << u"unable to get local issuer"_s;
    QTest::newRow("wrong host") << Kind::WrongHost << u"127.0.0.1"_s << ca
                                << u"no alternative certificate subject name matches"_s;
    QTest::newRow("wrong host named as its own")
        << Kind::WrongHost << u"wrong.example"_s << ca << QString();
    QTest::newRow("expired") << Kind::Expired << u"127.0.0.1"_s << ca
                             << u"certificate has expired"_s;
    QTest::newRow("untrusted") << Kind::Untrusted << u"127.0.0.1"_s << ca
                               << u"self-signed certificate"_s;
    QTest::newRow("untrusted trusted by itself")
        << Kind::Untrusted << u"127.0.0.1"_s << untrusted << QString();
}

void tst_TestServers::nginxOverTls()
{
    QFETCH(TestCertificates::Kind, kind);
    QFETCH(QString, host);
    QFETCH(QString, trusted);
    QFETCH(QString, refusal);
    NginxInstance nginx;
    nginx.setCertificate(Certificates.certificateFile(kind), Certificates.keyFile(kind));
    QVERIFY2(nginx.start(Root.path(), {{u"/permanent"_s, Target, 301}}),
             qPrintable(nginx.errorText()));
    const QString base = u"https://127.0.0.1:%1"_s.arg(nginx.port());
    QCOMPARE(nginx.url(Target), base + Target);

    QStringList arguments;
    // Other names reach the same loopback server, never another address.
    if (host != u"127.0.0.1")
        arguments << u"--resolve"_s << u"%1:%2:127.0.0.1"_s.arg(host).arg(nginx.port());
    if (!trusted.isEmpty())
        arguments << u"--cacert"_s << HostProcess::hostPath(trusted);
    const QString asked = u"https://%1:%2"_s.arg(host).arg(nginx.port());
    const Curl got = curl(arguments + QStringList{asked + Target});
    if (refusal.isEmpty()) {
        QVERIFY2(got.exitCode == 0, qPrintable(got.error));
        QVERIFY(got.out == AllBytes);
        const Curl moved = curl(
            arguments + QStringList{u"--output"_s, u"/dev/null"_s, u"--write-out"_s,
                                    u"%{http_code} %{redirect_url}"_s, asked + u"/permanent"_s});
        QCOMPARE(QString::fromUtf8(moved.out), u"301 "_s + asked + Target);
    } else {
        QCOMPARE(got.exitCode, 60); // the peer's certificate is not acceptable
        QVERIFY2(got.error.contains(refusal), qPrintable(got.error));
        QVERIFY(got.out.isEmpty());
    }
}

QTEST_GUILESS_MAIN(tst_TestServers)
#include "tst_testservers.moc"
