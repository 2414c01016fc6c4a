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
                      u"Song at place n (* for every song) misbehaves: 404, truncate, redirect "
                      "or silent; or once, then it is served: break (half of it, then the "
                      "connection is reset), 503 or 429 (with Retry-After). Repeatable."_s,
                      u"kind=n"_s});
    parser.addOption({u"rate"_s,
                      u"Each song is sent at most this fast on its connection (0: no limit)."_s,
                      u"KiB/s"_s, u"0"_s});
    parser.addOption({u"size"_s,
                      u"Songs of this many KiB, or each of its own size from MIN to MAX KiB "
                      "(default: 10 to 16 KB)."_s,
                      u"KiB or MIN-MAX"_s});
    parser.addOption({u"busy"_s,
                      u"Serve K connections at a time; the rest are accepted and wait, "
                      "unanswered, until one of those closes."_s,
                      u"K"_s});
    parser.addOption({u"limit"_s,
                      u"Serve K connections at a time; the rest are answered 503 at once."_s,
                      u"K"_s});
    parser.addOption({u"retry-after"_s,
                      u"Seconds the 503 and 429 answers ask to wait (default 1)."_s, u"s"_s,
                      u"1"_s});
    parser.addOption({u"address"_s,
                      u"Listen on this address instead of 127.0.0.1 (a benchmark's network "
                      "namespace)."_s,
                      u"IP"_s});
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
        const QString place = fault.section(u'=', 1);
        const int position = place == u"*" ? ChartSite::EverySong : place.toInt();
        if (kind == ChartSite::Fault::None || (position <= 0 && place != u"*")) {
            QTextStream(stderr) << "unknown fault: " << fault << '\n';
            return 2;
        }
        site.setSongFault(position, kind);
    }
    bool numbers = true, ok2 = true;
    site.setRate(parser.value(u"rate"_s).toLongLong(&ok2) * 1024);
    numbers = numbers && ok2;
    site.setRetryAfter(parser.value(u"retry-after"_s).toInt(&ok2));
    numbers = numbers && ok2;
    for (const auto &[option, beyond] : {std::pair{u"busy"_s, ChartSite::Busy::Queue},
                                         std::pair{u"limit"_s, ChartSite::Busy::Refuse}}) {
        if (parser.isSet(option)) {
            const int limit = parser.value(option).toInt(&ok2);
            numbers = numbers && ok2 && limit > 0;
            site.setBusyLimit(limit, beyond);
        }
    }
    if (parser.isSet(u"size"_s)) {
        const auto sizes = ChartSite::sizeRange(parser.value(u"size"_s));
        numbers = numbers && sizes;
        if (sizes)
            site.setSongSize(sizes->first, sizes->second);
    }
    if (!numbers) {
        QTextStream(stderr) << "--rate, --size, --busy, --limit and --retry-after take numbers\n";
        return 2;
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
    const QString address = parser.value(u"address"_s);
    if (!site.listen(quint16(port), address)) {
        QTextStream(stderr) << "cannot listen on " << (address.isEmpty() ? u"127.0.0.1"_s : address)
                            << ':' << port << '\n';
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
