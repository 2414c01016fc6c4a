// What a user waits for when the program starts: from starting the process to its
// window's first frame, for the real program (on a settings store that has checked
// for updates today, so no update check runs, and names no station, so nothing is
// loaded) against a minimal Qt Widgets window of the same size. Both are started
// the same way, with the firstpaint plugin loaded into them, which reports when the
// application object was made and when the first frame was out, and ends the
// process there. Runs alternate between the two; medians are compared. A third,
// the minimal window with one line of text, shows what loading fonts costs.
// Options: --runs N (31), --warmup N (3), --compare PATH (another build of the
// program, started in the same runs).

#include "benchkit.h"
#include "formdesign.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;
using namespace Bench;

namespace {

struct Startup
{
    double created = 0; // spawn to the application object
    double painted = 0; // spawn to the first frame
};

std::optional<Startup> startOnce(const QString &program, const QStringList &arguments,
                                 const QStringList &environment)
{
    const qint64 spawn = nowNs();
    const ChildRun run = runChild(program, arguments, true, environment);
    std::optional<qint64> created, painted;
    for (const QByteArray &line : run.out.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 2 && words[0] == "created")
            created = words[1].toLongLong();
        else if (words.size() == 2 && words[0] == "painted")
            painted = words[1].toLongLong();
    }
    if (run.exitCode != 0 || !created || !painted) {
        std::fprintf(stderr, "%s did not report its first frame (exit %d)\n", qPrintable(program),
                     run.exitCode);
        return std::nullopt;
    }
    return Startup{double(*created - spawn) / 1e6, double(*painted - spawn) / 1e6};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 31, warmup = 3;
    QString otherBuild; // another build of the program, timed in the same runs
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--runs"_s)
            runs = args[++i].toInt();
        else if (args[i] == u"--compare"_s)
            otherBuild = args[++i];
        else if (args[i] == u"--warmup"_s)
            warmup = args[++i].toInt();
    }
    choosePlatform();
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");

    // The program's own store, as it finds it under XDG_CONFIG_HOME.
    QTemporaryDir config;
    {
        QSettings store(config.filePath(u"tunetrawl/tunetrawl.conf"_s), QSettings::IniFormat);
        store.setValue(u"Main/LastUpdate"_s, QDate::currentDate().toString(u"dd.MM.yyyy"_s));
        store.setValue(u"Main/ChartHost"_s, u"127.0.0.1:9"_s);
        store.setValue(u"Main/UpdateHost"_s, u"127.0.0.1:9"_s);
    }
    const QStringList environment{
        u"QT_PLUGIN_PATH="_s + QStringLiteral(FIRSTPAINT_PLUGIN_PATH),
        u"QT_QPA_GENERIC_PLUGINS=firstpaint"_s,
        u"QT_QPA_PLATFORM="_s + platform,
        u"XDG_CONFIG_HOME="_s + config.path(),
    };
    const QString program = QStringLiteral(TUNETRAWL_BINARY);
    const QString minimal = QStringLiteral(MINIMAL_WINDOW_BINARY);
    const QStringList minimalSize{QString::number(FormDesign::ClientSize.width()),
                                  QString::number(FormDesign::ClientSize.height())};

    // The program, the minimal window, the minimal window with a line of text;
    // the order turns every run.
    QList<std::pair<QString, QStringList>> starts{
        {program, {}}, {minimal, minimalSize}, {minimal, minimalSize + QStringList{u"--label"_s}}};
    if (!otherBuild.isEmpty())
        starts.append({otherBuild, {}});
    QList<QList<double>> created(starts.size()), painted(starts.size());
    for (int i = 0; i < warmup + runs; ++i) {
        for (qsizetype step = 0; step < starts.size(); ++step) {
            const qsizetype which = (i + step) % starts.size();
            const std::optional<Startup> s =
                startOnce(starts[which].first, starts[which].second, environment);
            if (!s)
                return 2;
            if (i < warmup)
                continue;
            created[which].append(s->created);
            painted[which].append(s->painted);
        }
    }
    const QList<double> &programCreated = created[0], &programPainted = painted[0];
    const QList<double> &minimalCreated = created[1], &minimalPainted = painted[1];

    std::printf("start-up to the first frame, %d runs each after %d warm-up runs, platform %s%s\n",
                runs, warmup, qPrintable(platform),
                platform == u"xcb"
                    ? qPrintable(u" (DISPLAY="_s + qEnvironmentVariable("DISPLAY") + u')')
                    : "");
    std::printf("(e) the program against a minimal window\n");
    printSeries("tunetrawl: spawn to frame", programPainted, "ms", 1);
    printSeries("minimal window: spawn to frame", minimalPainted, "ms", 1);
    printSeries("the same with a label: to frame", painted[2], "ms", 1);
    std::printf("  parts (medians): spawn to application object %.1f ms against %.1f ms;\n"
                "  application object to first frame %.1f ms against %.1f ms\n",
                median(programCreated), median(minimalCreated),
                median(programPainted) - median(programCreated),
                median(minimalPainted) - median(minimalCreated));
    const double ratio = median(programPainted) / median(minimalPainted);
    std::printf("  ratio tunetrawl / minimal window  %.2f\n", ratio);
    std::printf("  ratio tunetrawl / minimal window with a label  %.2f (the label's fonts: "
                "%+.1f ms)\n",
                median(programPainted) / median(painted[2]),
                median(painted[2]) - median(minimalPainted));
    if (!otherBuild.isEmpty()) {
        printSeries("--compare build: spawn to frame", painted[3], "ms", 1);
        std::printf("  ratio --compare build / minimal window  %.2f\n",
                    median(painted[3]) / median(minimalPainted));
    }
    std::printf("targets:\n");
    return verdict(u"within 1.3 x the minimal window (%1)"_s.arg(ratio, 0, 'f', 2), ratio <= 1.3)
               ? 0
               : 1;
}
