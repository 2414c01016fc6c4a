// What a user waits for when the chart site is far away: sets of songs from nginx
// over a real round trip (scripts/bench-latency.sh puts nginx and this program
// into two network namespaces joined by a delay line), through the real window
// («Старт!» until the last song is committed and the window says the run has
// ended) at the default Parallel, against curl --http1.0 --parallel fetching the
// same URLs into files 4, 8 and 16 at a time, and against the wire: the songs'
// bytes at the link's rate. Each round runs every variant into an empty folder,
// in a rotating order; medians are compared.
// Options: --host HOST:PORT (the server, 10.97.0.1:8080), --rounds N (3), --sets
// LIST of COUNTxKIB (10x8192,40x1024: ten songs of 8 MiB, forty of 1 MiB), and
// what the delay line was given, for the heading and the targets: --rtt-ms N,
// --rate-mbit N, --loss N (per thousand), --queue-ms N. With --write-site
// FOLDER it only writes every set's songs, and a history page naming them (one
// station per set, under --host), into FOLDER, for the server.
//
// With --scenario NAME (a label: "limit", "queue", "break") the server at --host
// misbehaves as the script set it up, and the first set's songs, listed on the
// first station's page, are fetched at Parallel auto and at --compare-parallel N
// (2) in interleaved rounds; each variant gives its time, the songs stored whole
// and the bytes that came in over the link (IP and TCP headers included), so a
// resumed retry shows against a refetched one.

#include "benchkit.h"
#include "check.h"
#include "downloadrun.h"
#include "mainwindow.h"
#include "songfiles.h"
#include "songlist.h"
#include "stationtable.h"
#include "windowkit.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace Bench;

namespace {

struct SongSet
{
    int songs = 0;
    qint64 kib = 0;
    qint64 bytes() const { return songs * kib * 1024; }
};

struct Options
{
    QString host = u"10.97.0.1:8080"_s;
    int rounds = 3;
    QList<SongSet> sets = {{10, 8192}, {40, 1024}};
    int rttMs = 0;
    int rateMbit = 0;
    int lossPerThousand = 0;
    int queueMs = 0;
    QString siteFolder; // --write-site
    QString scenario;
    int compareParallel = 2;
    QString parallel = u"auto"_s; // the window's Parallel over the links
};

// Bytes received on every interface but loopback, as the kernel counts them.
qint64 receivedBytes()
{
    qint64 total = 0;
    for (const QString &name :
         QDir(u"/sys/class/net"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name == u"lo")
            continue;
        QFile counter(u"/sys/class/net/"_s + name + u"/statistics/rx_bytes"_s);
        if (counter.open(QIODevice::ReadOnly))
            total += counter.readAll().trimmed().toLongLong();
    }
    return total;
}

constexpr int CurlWidths[] = {4, 8, 16};

// Set s is served from its own folder and listed on the page of station row s.
QString songPath(int set, int song)
{
    return u"/songs/%1/%2.mp3"_s.arg(set).arg(song, 2, 10, QLatin1Char('0'));
}

QString songUrl(const Options &options, int set, int song)
{
    return u"http://"_s + options.host + songPath(set, song);
}

// The songs and each set's station page for today, as nginx serves them from folder.
bool writeSite(const Options &options)
{
    const QString folder = options.siteFolder;
    bool ok = size_t(options.sets.size()) <= StationTable().size();
    for (int set = 0; ok && set < options.sets.size(); ++set) {
        QByteArray blocks;
        ok = QDir().mkpath(folder + u"/songs/"_s + QString::number(set));
        for (int song = 1; ok && song <= options.sets[set].songs; ++song) {
            ok = writeRandomFile(folder + songPath(set, song), options.sets[set].kib * 1024,
                                 quint32(set * 1000 + song));
            blocks += songBlock(u"Artist %1"_s.arg(song), u"Song %1"_s.arg(song),
                                songUrl(options, set, song));
        }
        const QString page = folder + u'/' + StationTable()[set].slug + u"/history/"_s +
                             QDate::currentDate().toString(u"dd.MM.yyyy"_s);
        ok = ok && QDir().mkpath(page) && writeFile(page + u"/index.html"_s, historyPage(blocks));
    }
    return ok;
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

std::optional<QList<SongSet>> parseSets(const QString &text)
{
    QList<SongSet> sets;
    for (const QString &item : text.split(u',')) {
        bool countOk = false, sizeOk = false;
        const SongSet set{item.section(u'x', 0, 0).toInt(&countOk),
                          item.section(u'x', 1).toLongLong(&sizeOk)};
        if (!countOk || !sizeOk || set.songs < 1 || set.kib < 1)
            return std::nullopt;
        sets.append(set);
    }
    return sets;
}

// The medians of one set's variants, in milliseconds.
struct Figures
{
    double run = 0;
    QList<double> curl; // by CurlWidths
    double wire = 0;
};

// How the songs of the window's last run ended.
struct Ended
{
    int stored = 0, failed = 0, retries = 0; // retries: tries beyond each song's first
};

Ended endedSongs(Main &window)
{
    Ended ended;
    const SongList *list = window.workflow()->songs();
    for (int row = 0; row < list->count(); ++row) {
        const SongOutcome *outcome = list->outcome(row);
        if (!outcome)
            continue;
        ended.stored += outcome->kind == SongOutcome::Kind::Stored ? 1 : 0;
        ended.failed += outcome->kind == SongOutcome::Kind::Failed ? 1 : 0;
        ended.retries += std::max(0, outcome->tries - 1);
    }
    return ended;
}

// The first set from a server that takes fewer connections, or breaks them: the
// run at Parallel auto against the run at a fixed number.
bool troubledServer(const Options &options, Main &window, const QString &settingsPath,
                    const QString &music)
{
    const SongSet &songs = options.sets.first();
    const qint64 songSize = songs.kib * 1024;
    window.workflow()->setStation(0);
    const std::optional<double> loaded = timeWork(window, [&] { window.Combo1_Click(); });
    if (!loaded || window.workflow()->songs()->count() != songs.songs) {
        std::fprintf(stderr, "the list was not loaded: %s\n",
                     qPrintable(window.workflow()->status()));
        return false;
    }
    const QString stationFolder =
        StationFolder(window.workflow()->choices().folder, window.workflow()->stationName());
    // A song breaks once per server start: only the first run sees the breaks.
    const bool breaks = options.scenario.startsWith(u"break");
    QStringList parallels{u"auto"_s};
    if (!breaks)
        parallels.append(QString::number(options.compareParallel));
    QList<QList<double>> times(parallels.size()), bytes(parallels.size());
    // The stand-in site's page repeats titles and leaves some songs without an
    // address: what counts is that every song fetched is whole and none fails.
    QList<int> failed(parallels.size(), 0), retries(parallels.size(), 0);
    QList<bool> whole(parallels.size(), true);
    QList<int> peaks(parallels.size(), 0);
    QStringList statuses(parallels.size());
    settle(300);
    for (int round = 0; round < options.rounds; ++round) {
        for (qsizetype i = 0; i < parallels.size(); ++i) {
            const qsizetype variant = (round + i) % parallels.size();
            syncAll();
            setStored(settingsPath, u"Parallel"_s, parallels[variant]);
            window.Check1_Click();
            const qint64 before = receivedBytes();
            int peak = 0;
            const std::optional<double> took = timeRun(window, peak);
            if (!took)
                return false;
            const qint64 in = receivedBytes() - before;
            const Ended ended = endedSongs(window);
            times[variant].append(*took);
            bytes[variant].append(double(in) / double(std::max(1, ended.stored) * songSize));
            peaks[variant] = std::max(peaks[variant], peak);
            statuses[variant] = window.workflow()->status();
            failed[variant] += ended.failed;
            retries[variant] += ended.retries;
            whole[variant] = whole[variant] && ended.stored > 0 &&
                             takeWholeFiles(stationFolder, songSize) == ended.stored;
        }
    }
    clearFolder(music);
    std::printf("\nserver: %s; %d songs of %lld KiB\n", qPrintable(options.scenario), songs.songs,
                songs.kib);
    bool met = true;
    for (qsizetype v = 0; v < parallels.size(); ++v) {
        std::printf("  Parallel %s: every song stored whole %s; songs failed %d, tries beyond "
                    "the first %d (all rounds); «%s»; in flight at most %d\n",
                    qPrintable(parallels[v]), whole[v] ? "yes" : "NO", failed[v], retries[v],
                    qPrintable(statuses[v]), peaks[v]);
        printSeries(qPrintable(u"run, Parallel "_s + parallels[v]), times[v], "ms", 0);
        printSeries(qPrintable(u"bytes in / the stored songs' bytes, Parallel "_s + parallels[v]),
                    bytes[v], "", 3);
        met = verdict(u"Parallel %1: no song fails"_s.arg(parallels[v]),
                      whole[v] && failed[v] == 0) &&
              met;
    }
    if (!breaks) {
        const double ratio = median(times[0]) / median(times[1]);
        met = verdict(u"auto no slower than Parallel %1 (%2)"_s.arg(options.compareParallel)
                          .arg(ratio, 0, 'f', 2),
                      ratio <= 1.0) &&
              met;
    } else
        met = verdict(u"auto: bytes in <= 1.1 x the songs (%1)"_s.arg(median(bytes[0]), 0, 'f', 3),
                      median(bytes[0]) <= 1.1) &&
              met;
    return met;
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
        if (args[i] == u"--host"_s) {
            options.host = args[++i];
        } else if (args[i] == u"--rounds"_s) {
            options.rounds = args[++i].toInt();
        } else if (args[i] == u"--sets"_s) {
            const auto sets = parseSets(args[++i]);
            if (!sets) {
                std::fprintf(stderr, "--sets takes COUNTxKIB,...: %s\n", qPrintable(args[i]));
                return 2;
            }
            options.sets = *sets;
        } else if (args[i] == u"--rtt-ms"_s) {
            options.rttMs = args[++i].toInt();
        } else if (args[i] == u"--rate-mbit"_s) {
            options.rateMbit = args[++i].toInt();
        } else if (args[i] == u"--loss"_s) {
            options.lossPerThousand = args[++i].toInt();
        } else if (args[i] == u"--queue-ms"_s) {
            options.queueMs = args[++i].toInt();
        } else if (args[i] == u"--write-site"_s) {
            options.siteFolder = args[++i];
        } else if (args[i] == u"--scenario"_s) {
            options.scenario = args[++i];
        } else if (args[i] == u"--parallel"_s) {
            options.parallel = args[++i];
        } else if (args[i] == u"--compare-parallel"_s) {
            options.compareParallel = args[++i].toInt();
        }
    }
    if (!options.siteFolder.isEmpty()) {
        if (writeSite(options))
            return 0;
        std::fprintf(stderr, "cannot write the site into %s\n", qPrintable(options.siteFolder));
        return 2;
    }
    const QString curl = findProgram(u"curl"_s);
    QTemporaryDir work;
    if (curl.isEmpty() || !work.isValid() || options.rateMbit <= 0) {
        std::fprintf(stderr, "needs curl (scripts/install-deps.sh), a temporary folder and "
                             "--rate-mbit\n");
        return 2;
    }
    const QString music = work.filePath(u"music"_s);
    const QString elsewhere = work.filePath(u"elsewhere"_s);
    QDir().mkpath(music);
    QDir().mkpath(elsewhere);
    const QString settingsPath = work.filePath(u"tunetrawl.conf"_s);
    auto window = openWindow(settingsPath, {{u"ChartHost"_s, options.host},
                                            {u"UpdateHost"_s, options.host},
                                            {u"Path"_s, music + u'/'},
                                            {u"Parallel"_s, options.parallel}});
    if (!window)
        return 2;

    std::printf("(g) round trip %d ms, %d Mbit/s, loss %d/1000, queue %d ms, from %s; %d rounds; "
                "window shown on %s; Parallel %s\n",
                options.rttMs, options.rateMbit, options.lossPerThousand, options.queueMs,
                qPrintable(options.host), options.rounds, qPrintable(platformNote()),
                qPrintable(options.parallel));
    if (!options.scenario.isEmpty())
        return troubledServer(options, *window, settingsPath, music) ? 0 : 1;
    bool met = true;
    for (int set = 0; set < options.sets.size(); ++set) {
        const SongSet &songs = options.sets[set];
        const qint64 songSize = songs.kib * 1024;
        window->workflow()->setStation(set);
        const std::optional<double> loaded = timeWork(*window, [&] { window->Combo1_Click(); });
        if (!loaded || window->workflow()->songs()->count() != songs.songs) {
            std::fprintf(stderr, "the list was not loaded: %s\n",
                         qPrintable(window->workflow()->status()));
            return 2;
        }
        const QString stationFolder =
            StationFolder(window->workflow()->choices().folder, window->workflow()->stationName());
        QStringList curlArguments{u"--http1.0"_s, u"-sS"_s, u"--parallel"_s,
                                  u"--no-progress-meter"_s}; // 7.88.1 shows it despite -s
        for (int song = 1; song <= songs.songs; ++song)
            curlArguments << u"-o"_s << elsewhere + u"/song%1.mp3"_s.arg(song)
                          << songUrl(options, set, song);
        settle(300);

        QList<double> run;
        QList<QList<double>> curlRuns(std::size(CurlWidths));
        const int variants = 1 + int(std::size(CurlWidths));
        bool complete = true;
        int peak = 0;
        int retries = 0;
        QString status;
        for (int round = 0; round < options.rounds; ++round) {
            for (int i = 0; i < variants; ++i) {
                syncAll();
                const int variant = (round + i) % variants;
                if (variant == 0) {
                    window->Check1_Click();
                    const std::optional<double> took = timeRun(*window, peak);
                    if (!took)
                        return 2;
                    run.append(*took);
                    status = window->workflow()->status();
                    retries += endedSongs(*window).retries;
                    complete = complete && takeWholeFiles(stationFolder, songSize) == songs.songs;
                } else {
                    const ChildRun c =
                        runChild(curl, QStringList{u"--parallel-max"_s,
                                                   QString::number(CurlWidths[variant - 1])} +
                                           curlArguments);
                    curlRuns[variant - 1].append(c.ms);
                    complete = complete && c.exitCode == 0 &&
                               takeWholeFiles(elsewhere, songSize) == songs.songs;
                }
            }
        }
        syncAll();

        Figures f;
        f.run = median(run);
        for (const QList<double> &series : curlRuns)
            f.curl.append(median(series));
        f.wire = double(songs.bytes()) * 8.0 / (options.rateMbit * 1e6) * 1000.0;
        const double bestCurl = *std::min_element(f.curl.begin(), f.curl.end());
        std::printf("\n%d songs of %lld KiB: the wire needs %.0f ms\n", songs.songs, songs.kib,
                    f.wire);
        std::printf("  every file stored: %s; the status line after the run: «%s»; songs in "
                    "flight at most %d; tries beyond the first %d (all rounds); the list loaded "
                    "in %.1f ms\n",
                    complete ? "yes" : "NO", qPrintable(status), peak, retries, *loaded);
        printSeries(qPrintable(u"run, Parallel "_s + options.parallel), run, "ms", 0);
        for (qsizetype w = 0; w < curlRuns.size(); ++w) {
            const QByteArray label =
                "curl --http1.0 --parallel-max " + QByteArray::number(CurlWidths[w]);
            printSeries(label.constData(), curlRuns[w], "ms", 0);
        }
        std::printf("  / wire: run %.2f; curl", f.run / f.wire);
        for (qsizetype w = 0; w < f.curl.size(); ++w)
            std::printf("%s %d at once %.2f", w > 0 ? "," : "", CurlWidths[w], f.curl[w] / f.wire);
        std::printf("; run / best curl %.2f, / curl 4 at once %.2f\n", f.run / bestCurl,
                    f.run / f.curl[0]);

        // The bars a run that picks its own concurrency is to meet.
        const double wireBar = songs.kib >= 4096 ? 1.15 : 1.5;
        met = verdict(u"every file stored"_s, complete) && met;
        met = verdict(u"run <= %1 x the wire (%2)"_s.arg(wireBar).arg(f.run / f.wire, 0, 'f', 2),
                      f.run <= wireBar * f.wire) &&
              met;
        met = verdict(u"run <= the best of curl 4, 8, 16 at once (%1)"_s.arg(f.run / bestCurl, 0,
                                                                             'f', 2),
                      f.run <= bestCurl) &&
              met;
    }
    return met ? 0 : 1;
}
