// What a user waits for in a run over many small songs: 200 songs of 64 KiB from
// nginx through the real window («Старт!» until every song is committed and the
// window says its work has ended), with the default Parallel (4 songs at once) and
// with Parallel 1 (one after another), against the same 200 URLs fetched into
// files by a bare socket in this process (with and without an fdatasync and a
// rename per file, as the run commits), by one curl process and by wget -i (each
// as it comes, keeping one connection, and made to connect for every URL as the
// program's HTTP/1.0 client does). Each round runs every variant into an empty
// folder, in a rotating order; medians are compared. The same run from the
// command line (tunetrawl --station 2 --all, no window, from its start to its
// exit, page load included) goes beside the window's run, and beside the
// window's load of the same page plus its run, in the same rounds.
// Also the paint events of the window per song, by widget. Options: --rounds N (5), --songs N
// (200),
// --song-kib N (64), --only-window (the window's runs at the default Parallel
// alone, for a profiler).

#include "benchkit.h"
#include "check.h"
#include "downloadrun.h"
#include "mainwindow.h"
#include "nginxinstance.h"
#include "songfiles.h"
#include "songlist.h"
#include "windowkit.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Bench;

namespace {

double ms(qint64 fromNs)
{
    return double(nowNs() - fromNs) / 1e6;
}

// Every URL into its own file in folder, one after another.
bool bareRun(const QStringList &urls, const QString &folder, bool commitLikeTheRun)
{
    bool ok = true;
    for (int i = 0; i < urls.size(); ++i) {
        const QString name = folder + u"/song%1.mp3"_s.arg(i);
        const QString part = commitLikeTheRun ? folder + u"/.part"_s : name;
        const int fd = ::open(QFile::encodeName(part).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        ok = ok && fd >= 0 && bareFetch(urls[i], fd) > 0;
        if (commitLikeTheRun)
            ok = ok && ::fdatasync(fd) == 0;
        ok = ok && ::close(fd) == 0;
        if (commitLikeTheRun)
            ok = ok && ::rename(QFile::encodeName(part).constData(),
                                QFile::encodeName(name).constData()) == 0;
    }
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    setUpLikeProgram();
    int rounds = 5, songCount = 200;
    qint64 songKiB = 64;
    bool onlyWindow = false; // for a profiler: the window's runs alone
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--only-window"_s)
            onlyWindow = true;
        else if (i + 1 == args.size())
            break;
        else if (args[i] == u"--rounds"_s)
            rounds = args[++i].toInt();
        else if (args[i] == u"--songs"_s)
            songCount = args[++i].toInt();
        else if (args[i] == u"--song-kib"_s)
            songKiB = args[++i].toLongLong();
    }
    const QString curl = findProgram(u"curl"_s), wget = findProgram(u"wget"_s);
    if (curl.isEmpty() || wget.isEmpty() || NginxInstance::program().isEmpty()) {
        std::fprintf(stderr, "needs curl, wget and nginx (scripts/install-deps.sh)\n");
        return 2;
    }
    QTemporaryDir root, work;
    NginxInstance nginx;
    if (!root.isValid() || !work.isValid() || !nginx.start(root.path())) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(nginx.errorText()));
        return 2;
    }

    // The songs and a static page naming them.
    QDir().mkpath(root.filePath(u"songs"_s));
    QStringList urls;
    QByteArray blocks;
    for (int i = 1; i <= songCount; ++i) {
        const QString path = u"/songs/%1.mp3"_s.arg(i, 3, 10, QLatin1Char('0'));
        writeRandomFile(root.path() + path, songKiB * 1024, quint32(i));
        urls.append(nginx.url(path));
        blocks += songBlock(u"Artist %1"_s.arg(i), u"Song %1"_s.arg(i), urls.last());
    }
    const QString today = QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    const QString pageFolder = root.filePath(u"dinamit/history/"_s + today);
    QDir().mkpath(pageFolder);
    writeFile(pageFolder + u"/index.html"_s, historyPage(blocks));
    const QString listFile = work.filePath(u"urls.txt"_s);
    writeFile(listFile, urls.join(u'\n').toUtf8() + '\n');
    QStringList curlArguments{u"-sS"_s};
    for (int i = 0; i < urls.size(); ++i)
        curlArguments << u"-o"_s << u"song%1.mp3"_s.arg(i) << urls[i];

    const QString music = work.filePath(u"music"_s);
    const QString elsewhere = work.filePath(u"elsewhere"_s);
    QDir().mkpath(music);
    QDir().mkpath(elsewhere);
    const QString host = nginx.url(QString()).mid(7);
    const QString settingsPath = work.filePath(u"tunetrawl.conf"_s);
    auto window = openWindow(
        settingsPath, {{u"ChartHost"_s, host}, {u"UpdateHost"_s, host}, {u"Path"_s, music + u'/'}});
    if (!window)
        return 2;
    window->workflow()->setStation(1);
    if (!timeWork(*window, [&] { window->Combo1_Click(); }) ||
        window->workflow()->songs()->count() != songCount) {
        std::fprintf(stderr, "the list was not loaded: %s\n",
                     qPrintable(window->workflow()->status()));
        return 2;
    }
    const QString stationFolder =
        StationFolder(window->workflow()->choices().folder, window->workflow()->stationName());
    settle(300);

    PaintCounter paints(window.get());
    // The command line reads its settings where XDG_CONFIG_HOME says.
    const QString cliConfig = work.filePath(u"cli-config"_s);
    setStored(cliConfig + u"/tunetrawl/tunetrawl.conf"_s, u"ChartHost"_s, host);
    const QStringList cliArguments = {u"--station"_s, u"2"_s,        u"--all"_s,
                                      u"--quiet"_s,   u"--folder"_s, music};
    QList<double> commandLine, startUp, windowLoad;
    QList<double> run, runOneAtATime, bare, bareCommitted, curlRun, wgetRun, curlClose, wgetClose,
        paintsPerSong, paintsPerSongOneAtATime;
    constexpr int variants = 9;
    bool complete = true;
    QString status, breakdown;
    int peak = 0, peakOneAtATime = 0; // songs in flight at most, last run
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < variants; ++i) {
            if (onlyWindow && (round + i) % variants != 0)
                continue;
            syncAll();
            switch ((round + i) % variants) {
            case 0:
            case 1: {
                // The default Parallel, then one song after another.
                const bool oneAtATime = (round + i) % variants == 1;
                setStored(settingsPath, u"Parallel"_s, oneAtATime ? u"1"_s : QString());
                // The day's page again, as the command line loads it too.
                const std::optional<double> loaded =
                    timeWork(*window, [&] { window->Combo1_Click(); });
                if (!loaded)
                    return 2;
                if (!oneAtATime)
                    windowLoad.append(*loaded);
                window->Check1_Click();
                paints.reset();
                int inFlight = 0;
                const std::optional<double> took = timeRun(*window, inFlight);
                if (!took)
                    return 2;
                (oneAtATime ? runOneAtATime : run).append(*took);
                (oneAtATime ? paintsPerSongOneAtATime : paintsPerSong)
                    .append(double(paints.total()) / songCount);
                (oneAtATime ? peakOneAtATime : peak) = inFlight;
                if (!oneAtATime)
                    breakdown = paints.breakdown(songCount);
                status = window->workflow()->status();
                complete = complete && clearFolder(stationFolder) == songCount;
                break;
            }
            case 2: {
                const qint64 start = nowNs();
                complete = complete && bareRun(urls, elsewhere, false);
                bare.append(ms(start));
                complete = complete && clearFolder(elsewhere) == songCount;
                break;
            }
            case 3: {
                const qint64 start = nowNs();
                complete = complete && bareRun(urls, elsewhere, true);
                bareCommitted.append(ms(start));
                complete = complete && clearFolder(elsewhere) == songCount;
                break;
            }
            case 4:
            case 6: {
                // Plain curl keeps one connection for every URL; with HTTP/1.0 it
                // connects for each, as the program's client does.
                const bool perSong = (round + i) % variants == 6;
                const QString before = QDir::currentPath();
                QDir::setCurrent(elsewhere);
                const ChildRun c = runChild(
                    curl, (perSong ? QStringList{u"--http1.0"_s} : QStringList()) + curlArguments);
                QDir::setCurrent(before);
                (perSong ? curlClose : curlRun).append(c.ms);
                complete = complete && c.exitCode == 0 && clearFolder(elsewhere) == songCount;
                break;
            }
            case 5:
            case 7: {
                const bool perSong = (round + i) % variants == 7;
                const ChildRun w = runChild(
                    wget, (perSong ? QStringList{u"--no-http-keep-alive"_s} : QStringList()) +
                              QStringList{u"-q"_s, u"-P"_s, elsewhere, u"-i"_s, listFile});
                (perSong ? wgetClose : wgetRun).append(w.ms);
                complete = complete && w.exitCode == 0 && clearFolder(elsewhere) == songCount;
                break;
            }
            case 8: {
                // No window: the process from its start to its exit, page included.
                const ChildRun c = runChild(QStringLiteral(TUNETRAWL_BINARY), cliArguments, false,
                                            {u"XDG_CONFIG_HOME="_s + cliConfig});
                commandLine.append(c.ms);
                complete = complete && c.exitCode == 0 && clearFolder(stationFolder) == songCount;
                // What of it is the program's start and end alone.
                startUp.append(runChild(QStringLiteral(TUNETRAWL_BINARY), {u"--version"_s}).ms);
                break;
            }
            }
        }
    }
    syncAll();

    const double atDefault = median(run), oneAtATime = median(runOneAtATime);
    const double overhead = (atDefault - median(bare)) / songCount;
    const double overheadOneAtATime = (oneAtATime - median(bare)) / songCount;
    const double overheadCommitted = (oneAtATime - median(bareCommitted)) / songCount;
    std::printf("%d songs of %lld KiB from nginx, %d rounds, window shown on %s\n", songCount,
                songKiB, rounds, qPrintable(platformNote()));
    std::printf("  every file stored: %s; the status line after the run: «%s»\n",
                complete ? "yes" : "NO", qPrintable(status));
    std::printf("  songs in flight at most: %d at the default Parallel, %d at Parallel 1\n", peak,
                peakOneAtATime);
    std::printf("(d) run through the window\n");
    printSeries("run, default Parallel (auto)", run, "ms", 1);
    printSeries("run, Parallel 1", runOneAtATime, "ms", 1);
    printSeries("command line, default Parallel", commandLine, "ms", 1);
    printSeries("bare socket into files", bare, "ms", 1);
    printSeries("bare socket, fdatasync + rename", bareCommitted, "ms", 1);
    printSeries("curl, one process, -o per URL", curlRun, "ms", 1);
    printSeries("wget -i list", wgetRun, "ms", 1);
    printSeries("curl --http1.0: a connection each", curlClose, "ms", 1);
    printSeries("wget --no-http-keep-alive", wgetClose, "ms", 1);
    std::printf("  per song: run %.3f ms, run at Parallel 1 %.3f ms, bare %.3f ms, bare committed "
                "%.3f ms, curl %.3f ms, curl --http1.0 %.3f ms\n",
                atDefault / songCount, oneAtATime / songCount, median(bare) / songCount,
                median(bareCommitted) / songCount, median(curlRun) / songCount,
                median(curlClose) / songCount);
    std::printf("  gain of the default Parallel: Parallel 1 / Parallel auto = %.2f\n",
                oneAtATime / atDefault);
    std::printf("  overhead per song over the bare socket: Parallel 1 %.3f ms, committed %.3f ms; "
                "Parallel auto %.3f ms\n",
                overheadOneAtATime, overheadCommitted, overhead);
    std::printf("  ratio run / curl %.2f, run / wget %.2f; with a connection per song: run / "
                "curl %.2f, run / wget %.2f\n",
                atDefault / median(curlRun), atDefault / median(wgetRun),
                atDefault / median(curlClose), atDefault / median(wgetClose));
    std::printf("  the same at Parallel 1: run / curl %.2f, run / wget %.2f; run / curl --http1.0 "
                "%.2f, run / wget --no-http-keep-alive %.2f\n",
                oneAtATime / median(curlRun), oneAtATime / median(wgetRun),
                oneAtATime / median(curlClose), oneAtATime / median(wgetClose));
    printSeries("the program's start and end alone", startUp, "ms", 1);
    printSeries("the page's load in the window", windowLoad, "ms", 1);
    const double windowJob = median(windowLoad) + atDefault;
    std::printf("  the command line (start-up and page load included) / the window's run: %.2f; "
                "/ the window's load and run: %.2f\n",
                median(commandLine) / atDefault, median(commandLine) / windowJob);
    std::printf("  the command line without its start and end (--version): %.1f ms, / the "
                "window's run: %.2f\n",
                median(commandLine) - median(startUp),
                (median(commandLine) - median(startUp)) / atDefault);
    printSeries("paint events per song", paintsPerSong, "", 2);
    printSeries("the same at Parallel 1", paintsPerSongOneAtATime, "", 2);
    std::printf("  by widget (per song, last run at the default Parallel): %s\n",
                qPrintable(breakdown));
    std::printf("targets:\n");
    bool met = verdict(u"every file stored"_s, complete);
    met = verdict(u"command line <= the window's run (%1)"_s.arg(median(commandLine) / atDefault, 0,
                                                                 'f', 2),
                  median(commandLine) <= atDefault) &&
          met;
    met = verdict(u"command line <= the window's load and run (%1)"_s.arg(
                      median(commandLine) / windowJob, 0, 'f', 2),
                  median(commandLine) <= windowJob) &&
          met;
    met = verdict(u"run <= 1.0 x curl --http1.0, one song after another (%1)"_s.arg(
                      atDefault / median(curlClose), 0, 'f', 2),
                  atDefault <= median(curlClose)) &&
          met;
    return met ? 0 : 1;
}
