#include "chartsite.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

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
    if (!site.listen(quint16(port))) {
        QTextStream(stderr) << "cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }
    // The run script reads the port from here.
    QTextStream(stdout) << site.port() << Qt::endl;
    return app.exec();
}
