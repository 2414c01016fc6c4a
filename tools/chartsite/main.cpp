#include "chartsite.h"
#include "testcertificates.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_UNIX
int signalPipe[2] = {-1, -1};

// A kill or Ctrl+C ends the event loop, so the certificate folder is removed on
// the way out; writing to a socket is all a signal handler may safely do here.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = [](int) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
    };
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
#else
void quitOnSignals(QCoreApplication &) {}
#endif

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"tunetrawl-chartsite"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Stand-in chart site for Tunetrawl: history pages, songs and the version "
        "script on 127.0.0.1."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"port"_s, u"Port to listen on (0: any free port)."_s);
    parser.addOption({u"version"_s, u"Version the version script names."_s, u"text"_s, u"1.1"_s});
    parser.addOption(
        {u"songs"_s, u"Songs on every history page (default: 12 to 20)."_s, u"count"_s, u"0"_s});
    parser.addOption({u"fault"_s,
                      u"Song at place n misbehaves: 404, truncate, redirect or silent. "
                      "Repeatable."_s,
                      u"kind=n"_s});
    parser.addOption({u"tls"_s,
                      u"Serve over TLS with a certificate made at start; the addresses the "
                      "site names then start with https://."_s});
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    bool ok = true;
    const uint port = args.value(0, u"0"_s).toUInt(&ok);
    if (!ok || port > 65535)
        parser.showHelp(2);

    ChartSite site;
    site.setVersion(parser.value(u"version"_s));
    site.setSongCount(parser.value(u"songs"_s).toInt());
    for (const QString &fault : parser.values(u"fault"_s)) {
        const ChartSite::Fault kind = ChartSite::faultFromName(fault.section(u'=', 0, 0));
        const int position = fault.section(u'=', 1).toInt();
        if (kind == ChartSite::Fault::None || position <= 0) {
            QTextStream(stderr) << "unknown fault: " << fault << '\n';
            return 2;
        }
        site.setSongFault(position, kind);
    }
    // Made at start and gone at exit: nothing to trust beyond this run.
    TestCertificates certificates;
    if (parser.isSet(u"tls"_s)) {
        if (!certificates.create()) {
            QTextStream(stderr) << "no certificate: " << certificates.errorText() << '\n';
            return 1;
        }
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(certificates.certificate(TestCertificates::Kind::Good));
        configuration.setPrivateKey(certificates.key(TestCertificates::Kind::Good));
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        site.useTls(configuration);
    }
    if (!site.listen(quint16(port))) {
        QTextStream(stderr) << "cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }
    // The run script reads the port from the first line.
    QTextStream out(stdout);
    out << site.port() << Qt::endl;
    if (site.usesTls()) {
        out << "CA certificate: " << certificates.caCertificateFile() << Qt::endl;
        out << "(a client that trusts it reaches https://" << site.hostAndPort() << "/)"
            << Qt::endl;
    }
    quitOnSignals(app);
    return app.exec();
}
