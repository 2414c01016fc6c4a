// What a user waits for when the chart site is far away: 40 songs of 1 MiB from
// nginx over a real round trip (scripts/bench-latency.sh puts nginx and this
// program into two network namespaces joined by a delay line), through the real
// window («Старт!» until the last song is committed and the window says the run has
// ended) at the default Parallel and at Parallel 1, against curl --http1.0 fetching
// the same URLs into files four at a time and one after another. Each round runs
// every variant into an empty folder, in a rotating order; medians are compared.
// Options: --host HOST:PORT (the server, 10.97.0.1:8080), --rounds N (3), --songs
// N (40), --song-kib N (1024), --rtt-ms N and --rate-mbit N (what the delay line
// was given, for the heading). With --write-site FOLDER it only writes the songs
// and the history page naming them (under --host) into FOLDER, for the server.

#include "benchkit.h"
#include "check.h"
#include "downloadrun.h"
#include "mainwindow.h"
#include "songlist.h"
#include "songfiles.h"
#include "stationtable.h"
#include "windowkit.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace Bench;

namespace {

constexpr int StationRow = 0; // the row of Combo1 whose page names the songs

struct Options
{
    QString host = u"10.97.0.1:8080"_s;
    int rounds = 3;
    int songs = 40;
    qint64 songKiB = 1024;
    int rttMs = 0;
    int rateMbit = 0;
    QString siteFolder; // --write-site
};

QString songPath(int song)
{
    return u"/songs/%1.mp3"_s.arg(song, 2, 10, QLatin1Char('0'));
}

QString songUrl(const Options &options, int song)
{
    return u"http://"_s + options.host + songPath(song);
}

// The songs and the station's page for today, as nginx serves them from folder.
bool writeSite(const Options &options)
{
    const QString folder = options.siteFolder;
    QByteArray blocks;
    bool ok = QDir().mkpath(folder + u"/songs"_s);
    for (int song = 1; ok && song <= options.songs; ++song) {
        ok = writeRandomFile(folder + songPath(song), options.songKiB * 1024, quint32(song));
        blocks +=
            songBlock(u"Artist %1"_s.arg(song), u"Song %1"_s.arg(song), songUrl(options, song));
    }
    const QString page = folder + u'/' + StationTable()[StationRow].slug + u"/history/"_s +
                         QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    return ok && QDir().mkpath(page) && writeFile(page + u"/index.html"_s, historyPage(blocks));
}

// Files of exactly size bytes in folder; removes every file there.
int takeWholeFiles(const QString &folder, qint64 size)
{
    int whole = 0;
    for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        whole += file.size() == size ? 1 : 0;
    clearFolder(folder);
    return whole;
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    setUpLikeProgram();
    Options options;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--host"_s)
            options.host = args[++i];
        else if (args[i] == u"--rounds"_s)
            options.rounds = args[++i].toInt();
        else if (args[i] == u"--songs"_s)
            options.songs = args[++i].toInt();
        else if (args[i] == u"--song-kib"_s)
            options.songKiB = args[++i].toLongLong();
        else if (args[i] == u"--rtt-ms"_s)
            options.rttMs = args[++i].toInt();
        else if (args[i] == u"--rate-mbit"_s)
            options.rateMbit = args[++i].toInt();
        else if (args[i] == u"--write-site"_s)
            options.siteFolder = args[++i];
    }
    if (!options.siteFolder.isEmpty()) {
        if (writeSite(options))
            return 0;
        std::fprintf(stderr, "cannot write the site into %s\n", qPrintable(options.siteFolder));
        return 2;
    }
    const QString curl = findProgram(u"curl"_s);
    QTemporaryDir work;
    if (curl.isEmpty() || !work.isValid()) {
        std::fprintf(stderr, "needs curl (scripts/install-deps.sh) and a temporary folder\n");
        return 2;
    }
    const qint64 songSize = options.songKiB * 1024;
    const QString music = work.filePath(u"music"_s);
    const QString elsewhere = work.filePath(u"elsewhere"_s);
    QDir().mkpath(music);
    QDir().mkpath(elsewhere);
    QStringList curlArguments{u"--http1.0"_s, u"-sS"_s};
    for (int song = 1; song <= options.songs; ++song)
        curlArguments << u"-o"_s << elsewhere + u"/song%1.mp3"_s.arg(song)
                      << songUrl(options, song);
    // curl 7.88.1 shows its parallel meter despite -s (curl issue 10573).
    const QStringList curlParallel{u"--parallel"_s, u"--parallel-max"_s, u"4"_s,
                                   u"--no-progress-meter"_s};

    const QString settingsPath = work.filePath(u"tunetrawl.conf"_s);
    auto window = openWindow(settingsPath, {{u"ChartHost"_s, options.host},
                                            {u"UpdateHost"_s, options.host},
                                            {u"Path"_s, music + u'/'}});
    if (!window)
        return 2;
    window->workflow()->setStation(StationRow);
    const std::optional<double> loaded = timeWork(*window, [&] { window->Combo1_Click(); });
    if (!loaded || window->workflow()->songs()->count() != options.songs) {
        std::fprintf(stderr, "the list was not loaded: %s\n",
                     qPrintable(window->workflow()->status()));
        return 2;
    }
    const QString stationFolder =
        StationFolder(window->workflow()->choices().folder, window->workflow()->stationName());
    settle(300);

    QList<double> run, runOneAtATime, curlFour, curlOneAtATime;
    constexpr int variants = 4;
    bool complete = true;
    QString status;
    int peak = 0, peakOneAtATime = 0; // songs in flight at most, last run
    for (int round = 0; round < options.rounds; ++round) {
        for (int i = 0; i < variants; ++i) {
            syncAll();
            switch ((round + i) % variants) {
            case 0:
            case 1: {
                const bool oneAtATime = (round + i) % variants == 1;
                setStored(settingsPath, u"Parallel"_s, oneAtATime ? u"1"_s : QString());
                window->Check1_Click();
                int inFlight = 0;
                const std::optional<double> took = timeRun(*window, inFlight);
                if (!took)
                    return 2;
                (oneAtATime ? runOneAtATime : run).append(*took);
                (oneAtATime ? peakOneAtATime : peak) = inFlight;
                status = window->workflow()->status();
                complete = complete && takeWholeFiles(stationFolder, songSize) == options.songs;
                break;
            }
            case 2:
            case 3: {
                const bool four = (round + i) % variants == 2;
                const ChildRun c =
                    runChild(curl, (four ? curlParallel : QStringList()) + curlArguments);
                (four ? curlFour : curlOneAtATime).append(c.ms);
                complete = complete && c.exitCode == 0 &&
                           takeWholeFiles(elsewhere, songSize) == options.songs;
                break;
            }
            }
        }
    }
    syncAll();

    const double atDefault = median(run), oneAtATime = median(runOneAtATime);
    const double four = median(curlFour), oneByOne = median(curlOneAtATime);
    std::printf("(g) %d songs of %lld KiB from %s, round trip %d ms, %d Mbit/s; %d rounds; "
                "window shown on %s\n",
                options.songs, options.songKiB, qPrintable(options.host), options.rttMs,
                options.rateMbit, options.rounds, qPrintable(platformNote()));
    std::printf("  every file stored: %s; the status line after the run: «%s»\n",
                complete ? "yes" : "NO", qPrintable(status));
    std::printf("  songs in flight at most: %d at the default Parallel, %d at Parallel 1; "
                "the list loaded in %.1f ms\n",
                peak, peakOneAtATime, *loaded);
    const QByteArray atDefaultLabel =
        "run, default Parallel (" + QByteArray::number(StoredSettings::DefaultParallel) + ')';
    printSeries(atDefaultLabel.constData(), run, "ms", 0);
    printSeries("run, Parallel 1", runOneAtATime, "ms", 0);
    printSeries("curl --http1.0, four at a time", curlFour, "ms", 0);
    printSeries("curl --http1.0, one after another", curlOneAtATime, "ms", 0);
    std::printf("  per song: run %.1f ms, run at Parallel 1 %.1f ms, curl four at a time %.1f ms, "
                "curl one after another %.1f ms\n",
                atDefault / options.songs, oneAtATime / options.songs, four / options.songs,
                oneByOne / options.songs);
    std::printf("  ratio run / curl four at a time %.2f; run at Parallel 1 / curl one after "
                "another %.2f; Parallel 1 / default Parallel %.2f\n",
                atDefault / four, oneAtATime / oneByOne, oneAtATime / atDefault);
    std::printf("  the run's time includes an fdatasync per song before its rename; curl's "
                "does not.\n");
    std::printf("targets:\n");
    bool met = verdict(u"every file stored"_s, complete);
    met = verdict(u"run <= 1.2 x curl --http1.0 --parallel --parallel-max 4 (%1)"_s.arg(
                      atDefault / four, 0, 'f', 2),
                  atDefault <= 1.2 * four) &&
          met;
    return met ? 0 : 1;
}
