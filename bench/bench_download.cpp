// What a user waits for when big songs are fetched: a 256 MiB song from nginx
// through the real window (list loaded from a static page naming it, «Старт!»
// pressed, until the song is committed under its name and the window says the run
// has ended), against curl writing the same URL into a file in the same folder;
// over HTTP and over TLS. Then four such songs named by one page, fetched at once
// (the default Parallel, 4), against curl fetching the four URLs in parallel.
// Rounds are interleaved (the order swaps every round) and medians compared. Also
// the window's memory: the peak of each run, and what it holds after the run
// against what it held idle before.

#include "benchkit.h"
#include "check.h"
#include "downloadrun.h"
#include "g.h"
#include "mainwindow.h"
#include "nginxinstance.h"
#include "songfiles.h"
#include "songlist.h"
#include "testcertificates.h"
#include "windowkit.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;
using namespace Bench;

namespace {

struct Setup
{
    qint64 size = 0;
    int rounds = 5;
    QString curl;
    Main *window = nullptr;
    QString musicFolder;
};

struct Scenario
{
    const char *title;
    int station;      // row of Combo1 whose page names the songs
    QStringList urls; // the songs, for curl
    QStringList curlOptions;
    double timeTarget = 0;    // run <= this x curl; 0: a figure only
    double peakTargetMiB = 0; // 0: a figure only
    bool afterTarget = false; // RSS after the run within 10 MiB of idle
};

double ms(qint64 fromNs)
{
    return double(nowNs() - fromNs) / 1e6;
}

// Whether the targets were met, or nothing when the list or a run did not come.
std::optional<bool> runScenario(const Setup &setup, const Scenario &scenario)
{
    Main &window = *setup.window;
    const qsizetype songs = scenario.urls.size();
    std::printf("\n%s\n", scenario.title);
    window.workflow()->setStation(scenario.station);
    if (!timeWork(window, [&] { window.Combo1_Click(); }))
        return std::nullopt;
    const SongList *list = window.workflow()->songs();
    QStringList listed;
    for (int row = 0; row < list->count(); ++row)
        listed.append(list->song(row).url);
    if (listed != scenario.urls) {
        std::fprintf(stderr, "the station list did not name the songs: %s\n",
                     qPrintable(window.workflow()->status()));
        return std::nullopt;
    }
    const QString stationFolder =
        StationFolder(window.workflow()->choices().folder, window.workflow()->stationName());
    QStringList songPaths, curlPaths;
    QStringList curlArguments = scenario.curlOptions + QStringList{u"-sS"_s};
    if (songs > 1) {
        // curl 7.88.1 shows its parallel meter despite -s (curl issue 10573).
        curlArguments += {u"--parallel"_s, u"--parallel-max"_s, QString::number(songs),
                          u"--no-progress-meter"_s};
    }
    for (qsizetype i = 0; i < songs; ++i) {
        songPaths.append(stationFolder +
                         SongFileName(list->song(int(i)), window.workflow()->choices().noNumbers));
        curlPaths.append(stationFolder + u"curl-copy-%1.mp3"_s.arg(i + 1));
        curlArguments += {u"-o"_s, curlPaths.last(), scenario.urls[i]};
    }
    const auto removeAll = [](const QStringList &paths) {
        for (const QString &path : paths)
            QFile::remove(path);
    };
    const auto allWhole = [&setup](const QStringList &paths) {
        return std::all_of(paths.cbegin(), paths.cend(), [&setup](const QString &path) {
            return QFileInfo(path).size() == setup.size;
        });
    };
    QDir().mkpath(stationFolder);

    settle(300);
    const qint64 idleKiB = statusKiB("VmRSS:");
    QList<double> runMs, curlMs, curlSyncMs, peakMiB, afterMiB;
    bool complete = true;
    QString lastStatus;
    int inFlight = 0;
    for (int round = 0; round < setup.rounds; ++round) {
        for (int step = 0; step < 2; ++step) {
            if ((step == 0) == (round % 2 == 0)) {
                removeAll(songPaths);
                for (int row = 0; row < songs; ++row)
                    window.workflow()->songs()->setMarked(row, true);
                syncAll();
                resetPeak();
                const std::optional<double> took = timeRun(window, inFlight);
                if (!took)
                    return std::nullopt;
                runMs.append(*took);
                peakMiB.append(double(statusKiB("VmHWM:")) / 1024);
                complete = complete && allWhole(songPaths);
                lastStatus = window.workflow()->status();
                settle(200);
                afterMiB.append(double(statusKiB("VmRSS:")) / 1024);
                removeAll(songPaths);
            } else {
                syncAll();
                const ChildRun curl = runChild(setup.curl, curlArguments);
                const qint64 start = nowNs();
                bool synced = true;
                for (const QString &path : curlPaths)
                    synced = syncFileData(path) && synced;
                const double syncMs = ms(start);
                complete = complete && curl.exitCode == 0 && synced && allWhole(curlPaths);
                curlMs.append(curl.ms);
                curlSyncMs.append(curl.ms + syncMs);
                removeAll(curlPaths);
            }
        }
    }
    syncAll();

    const double run = median(runMs), plain = median(curlMs), synced = median(curlSyncMs);
    const char *curlLabel = songs > 1 ? "curl --parallel -o files" : "curl -o file";
    std::printf("  every file whole: %s; the status line after the run: «%s»\n",
                complete ? "yes" : "NO", qPrintable(lastStatus));
    if (songs > 1)
        std::printf("  songs in flight at most in the last run: %d\n", inFlight);
    printSeries("run through the window (ms)", runMs, "ms", 1);
    printSeries(curlLabel, curlMs, "ms", 1);
    printSeries(songs > 1 ? "the same, then fdatasync of each" : "curl -o file, then fdatasync",
                curlSyncMs, "ms", 1);
    std::printf("  the run's time includes fdatasync before the rename; curl's does not,\n"
                "  the third line adds it (open, fdatasync, close after curl exits).\n");
    std::printf("  ratio run / %s  %.2f\n", curlLabel, run / plain);
    std::printf("  ratio run / (%s + fdatasync)  %.2f\n", curlLabel, run / synced);
    printSeries("peak RSS of each run (MiB)", peakMiB, "MiB", 1);
    printSeries("RSS after each run (MiB)", afterMiB, "MiB", 1);
    const double idle = double(idleKiB) / 1024;
    const double after = median(afterMiB);
    std::printf("  RSS idle before the runs                %.1f MiB; after - idle %+.1f MiB\n",
                idle, after - idle);
    std::printf("targets:\n");
    bool met = verdict(u"every download complete"_s, complete);
    if (scenario.timeTarget > 0) {
        met = verdict(u"run <= %1 x %2 (%3)"_s.arg(scenario.timeTarget)
                          .arg(QLatin1StringView(curlLabel))
                          .arg(run / plain, 0, 'f', 2),
                      run <= scenario.timeTarget * plain) &&
              met;
    }
    if (scenario.peakTargetMiB > 0) {
        const double peak = *std::max_element(peakMiB.cbegin(), peakMiB.cend());
        met = verdict(u"peak RSS <= %1 MiB (%2)"_s.arg(scenario.peakTargetMiB).arg(peak, 0, 'f', 1),
                      peak <= scenario.peakTargetMiB) &&
              met;
    }
    if (scenario.afterTarget) {
        met =
            verdict(u"RSS after the run within 10 MiB of idle (%1)"_s.arg(after - idle, 0, 'f', 1),
                    after - idle <= 10) &&
            met;
    }
    return met;
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    setUpLikeProgram();
    Setup setup;
    qint64 sizeMiB = 256;
    bool plain = true, tls = true, four = true;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--size-mib"_s && i + 1 < args.size())
            sizeMiB = args[++i].toLongLong();
        else if (args[i] == u"--rounds"_s && i + 1 < args.size())
            setup.rounds = args[++i].toInt();
        else if (args[i] == u"--no-tls"_s)
            tls = false;
        else if (args[i] == u"--tls-only"_s)
            plain = four = false;
        else if (args[i] == u"--no-four"_s)
            four = false;
        else if (args[i] == u"--four-only"_s)
            plain = tls = false;
    }
    setup.size = sizeMiB * MiB;
    setup.curl = findProgram(u"curl"_s);
    if (setup.curl.isEmpty() || NginxInstance::program().isEmpty() ||
        (tls && TestCertificates::program().isEmpty())) {
        std::fprintf(stderr, "needs curl, nginx and openssl (scripts/install-deps.sh)\n");
        return 2;
    }

    QTemporaryDir root, work;
    if (!root.isValid() || !work.isValid()) {
        std::fprintf(stderr, "cannot make temporary folders\n");
        return 2;
    }
    // The served songs, then at most four copies at a time (the window's or curl's).
    const QStringList songFiles =
        four ? QStringList{u"song.bin"_s, u"song2.bin"_s, u"song3.bin"_s, u"song4.bin"_s}
             : QStringList{u"song.bin"_s};
    const qint64 needed = (songFiles.size() + 4) * setup.size + 256 * MiB;
    const qint64 available = QStorageInfo(work.path()).bytesAvailable();
    if (available < needed) {
        std::fprintf(stderr, "needs %lld MiB free on %s, has %lld MiB\n", needed / MiB,
                     qPrintable(work.path()), available / MiB);
        return 2;
    }
    for (qsizetype i = 0; i < songFiles.size(); ++i) {
        if (!writeRandomFile(root.filePath(songFiles[i]), setup.size, quint32(42 + i))) {
            std::fprintf(stderr, "cannot write the songs\n");
            return 2;
        }
    }
    NginxInstance http;
    if (!http.start(root.path())) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(http.errorText()));
        return 2;
    }
    TestCertificates certificates;
    NginxInstance https;
    if (tls) {
        if (!certificates.create()) {
            std::fprintf(stderr, "certificates: %s\n", qPrintable(certificates.errorText()));
            return 2;
        }
        https.setCertificate(certificates.certificateFile(TestCertificates::Kind::Good),
                             certificates.keyFile(TestCertificates::Kind::Good));
        if (!https.start(root.path())) {
            std::fprintf(stderr, "nginx over TLS: %s\n", qPrintable(https.errorText()));
            return 2;
        }
    }

    // Static station pages: one naming the song over HTTP, one over TLS, one
    // naming the four songs over HTTP.
    QStringList fourUrls;
    QByteArray fourBlocks;
    for (qsizetype i = 0; i < songFiles.size(); ++i) {
        fourUrls.append(http.url(u'/' + songFiles[i]));
        fourBlocks += songBlock(u"Bench"_s, u"Song %1 of 4, %2 MiB"_s.arg(i + 1).arg(sizeMiB),
                                fourUrls.last());
    }
    const QString today = QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    const QList<std::pair<QString, QByteArray>> pages{
        {u"europaplus"_s,
         songBlock(u"Bench"_s, u"Song %1 MiB"_s.arg(sizeMiB), http.url(u"/song.bin"_s))},
        {u"dinamit"_s, songBlock(u"Bench"_s, u"Song %1 MiB"_s.arg(sizeMiB),
                                 tls ? https.url(u"/song.bin"_s) : QString())},
        {u"rusradio"_s, fourBlocks}};
    for (const auto &[slug, blocks] : pages) {
        const QString folder = root.filePath(slug + u"/history/"_s + today);
        QDir().mkpath(folder);
        writeFile(folder + u"/index.html"_s, historyPage(blocks));
    }

    setup.musicFolder = work.filePath(u"music"_s);
    QDir().mkpath(setup.musicFolder);
    const QString host = http.url(QString()).mid(7);
    auto window = openWindow(
        work.filePath(u"tunetrawl.conf"_s),
        {{u"ChartHost"_s, host}, {u"UpdateHost"_s, host}, {u"Path"_s, setup.musicFolder + u'/'}});
    if (!window)
        return 2;
    setup.window = window.get();
    if (tls)
        window->workflow()->session()->ExtraCertificates.append(certificates.caCertificate());

    std::printf("song %lld MiB, %d rounds, window shown on %s; target folder on %s\n", sizeMiB,
                setup.rounds, qPrintable(platformNote()), qPrintable(setup.musicFolder));
    QList<Scenario> scenarios;
    if (plain)
        scenarios.append(
            {"(a) over HTTP from nginx", 0, {http.url(u"/song.bin"_s)}, {}, 1.3, 64, true});
    if (tls) {
        // The memory targets go with the first single song measured.
        scenarios.append({"(b) over TLS from nginx",
                          1,
                          {https.url(u"/song.bin"_s)},
                          {u"--cacert"_s, certificates.caCertificateFile()},
                          1.3,
                          plain ? 0.0 : 64.0,
                          !plain});
    }
    if (four) {
        scenarios.append({"(f) four songs at once over HTTP from nginx, the default Parallel",
                          2,
                          fourUrls,
                          {},
                          0,
                          96,
                          false});
    }
    bool met = true;
    for (const Scenario &scenario : scenarios) {
        const std::optional<bool> scenarioMet = runScenario(setup, scenario);
        if (!scenarioMet)
            return 2;
        met = *scenarioMet && met;
    }
    return met ? 0 : 1;
}
