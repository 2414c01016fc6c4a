// What a user waits for when one big song is fetched: a 256 MiB song from nginx
// through the real window (list loaded from a static page naming it, «Старт!»
// pressed, until the song is committed under its name), against curl writing the
// same URL into a file in the same folder; over HTTP and over TLS. Rounds are
// interleaved (the order swaps every round) and medians compared. Also the
// window's memory: the peak of each run, and what it holds after the run against
// what it held idle before.

#include "benchkit.h"
#include "check.h"
#include "g.h"
#include "mainwindow.h"
#include "nginxinstance.h"
#include "songfiles.h"
#include "testcertificates.h"
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
    int station; // row of Combo1 whose page names the song
    QString url; // the song, for curl
    QStringList curlOptions;
};

double ms(qint64 fromNs)
{
    return double(nowNs() - fromNs) / 1e6;
}

bool runScenario(const Setup &setup, const Scenario &scenario, bool memoryTargets)
{
    Main &window = *setup.window;
    std::printf("\n%s\n", scenario.title);
    window.Combo1->setCurrentIndex(scenario.station);
    window.Combo1_Click();
    if (window.SongCount() != 1 || window.Songs().first().url != scenario.url) {
        std::fprintf(stderr, "the station list did not name the song: %s\n",
                     qPrintable(window.st->text()));
        return false;
    }
    window.SetMarked(0, true);
    const QString stationFolder = StationFolder(window.Text2->text(), window.Combo1->currentText());
    const QString songPath =
        stationFolder + SongFileName(window.Songs().first(), window.Check2->Value());
    const QString curlPath = stationFolder + u"curl-copy.mp3"_s;
    QDir().mkpath(stationFolder);

    settle(300);
    const qint64 idleKiB = statusKiB("VmRSS:");
    QList<double> runMs, curlMs, curlSyncMs, peakMiB, afterMiB;
    bool complete = true;
    QString lastStatus;
    for (int round = 0; round < setup.rounds; ++round) {
        for (int step = 0; step < 2; ++step) {
            if ((step == 0) == (round % 2 == 0)) {
                QFile::remove(songPath);
                window.SetMarked(0, true);
                syncAll();
                resetPeak();
                const qint64 start = nowNs();
                window.Command1_Click();
                runMs.append(ms(start));
                peakMiB.append(double(statusKiB("VmHWM:")) / 1024);
                complete = complete && QFileInfo(songPath).size() == setup.size;
                lastStatus = window.st->text();
                settle(200);
                afterMiB.append(double(statusKiB("VmRSS:")) / 1024);
                QFile::remove(songPath);
            } else {
                syncAll();
                const ChildRun curl = runChild(
                    setup.curl,
                    scenario.curlOptions + QStringList{u"-sS"_s, u"-o"_s, curlPath, scenario.url});
                const qint64 start = nowNs();
                const bool synced = syncFileData(curlPath);
                const double syncMs = ms(start);
                complete = complete && curl.exitCode == 0 && synced &&
                           QFileInfo(curlPath).size() == setup.size;
                curlMs.append(curl.ms);
                curlSyncMs.append(curl.ms + syncMs);
                QFile::remove(curlPath);
            }
        }
    }
    syncAll();

    const double run = median(runMs), plain = median(curlMs), synced = median(curlSyncMs);
    std::printf("  every file whole: %s; the status line after the run: «%s»\n",
                complete ? "yes" : "NO", qPrintable(lastStatus));
    printSeries("run through the window (ms)", runMs, "ms", 1);
    printSeries("curl -o file (ms)", curlMs, "ms", 1);
    printSeries("curl -o file, then fdatasync (ms)", curlSyncMs, "ms", 1);
    std::printf("  the run's time includes fdatasync before the rename; curl's does not,\n"
                "  the third line adds it (open, fdatasync, close after curl exits).\n");
    std::printf("  ratio run / curl -o file                %.2f\n", run / plain);
    std::printf("  ratio run / (curl -o file + fdatasync)  %.2f\n", run / synced);
    printSeries("peak RSS of each run (MiB)", peakMiB, "MiB", 1);
    printSeries("RSS after each run (MiB)", afterMiB, "MiB", 1);
    const double idle = double(idleKiB) / 1024;
    const double after = median(afterMiB);
    std::printf("  RSS idle before the runs                %.1f MiB; after - idle %+.1f MiB\n",
                idle, after - idle);
    std::printf("targets:\n");
    bool met = verdict(u"every download complete"_s, complete);
    met = verdict(u"run <= 1.3 x curl -o file (%1)"_s.arg(run / plain, 0, 'f', 2),
                  run <= 1.3 * plain) &&
          met;
    if (memoryTargets) {
        const double peak = *std::max_element(peakMiB.cbegin(), peakMiB.cend());
        met = verdict(u"peak RSS <= 64 MiB (%1)"_s.arg(peak, 0, 'f', 1), peak <= 64) && met;
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
    bool plain = true, tls = true;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--size-mib"_s && i + 1 < args.size())
            sizeMiB = args[++i].toLongLong();
        else if (args[i] == u"--rounds"_s && i + 1 < args.size())
            setup.rounds = args[++i].toInt();
        else if (args[i] == u"--no-tls"_s)
            tls = false;
        else if (args[i] == u"--tls-only"_s)
            plain = false;
    }
    setup.size = sizeMiB * MiB;
    setup.curl = findProgram(u"curl"_s);
    if (setup.curl.isEmpty() || NginxInstance::program().isEmpty() ||
        (tls && TestCertificates::program().isEmpty())) {
        std::fprintf(stderr, "needs curl, nginx and openssl (scripts/install-deps.sh)\n");
        return 2;
    }

    QTemporaryDir root, work;
    if (!root.isValid() || !work.isValid() ||
        !writeRandomFile(root.filePath(u"song.bin"_s), setup.size)) {
        std::fprintf(stderr, "cannot write the song\n");
        return 2;
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

    // Static station pages, one naming the song over HTTP, one over TLS.
    const QString today = QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    const QList<std::pair<QString, QString>> pages{
        {u"europaplus"_s, http.url(u"/song.bin"_s)},
        {u"dinamit"_s, tls ? https.url(u"/song.bin"_s) : QString()}};
    for (const auto &[slug, url] : pages) {
        const QString folder = root.filePath(slug + u"/history/"_s + today);
        QDir().mkpath(folder);
        writeFile(folder + u"/index.html"_s,
                  historyPage(songBlock(u"Bench"_s, u"Song %1 MiB"_s.arg(sizeMiB), url)));
    }

    setup.musicFolder = work.filePath(u"music"_s);
    QDir().mkpath(setup.musicFolder);
    const QString host = http.url(QString()).mid(7);
    auto window = openWindow(
        work.filePath(u"tunetrawl.conf"_s),
        {{u"ChartHost"_s, host}, {u"UpdateHost"_s, host}, {u"Path"_s, setup.musicFolder + u'/'}});
    setup.window = window.get();
    if (tls)
        window->G->addTrustedCertificates({certificates.caCertificate()});

    std::printf("song %lld MiB, %d rounds, window shown on %s; target folder on %s\n", sizeMiB,
                setup.rounds, qPrintable(platformNote()), qPrintable(setup.musicFolder));
    bool met = true;
    if (plain) {
        met = runScenario(setup, {"(a) over HTTP from nginx", 0, http.url(u"/song.bin"_s), {}},
                          true) &&
              met;
    }
    if (tls) {
        met = runScenario(setup,
                          {"(b) over TLS from nginx",
                           1,
                           https.url(u"/song.bin"_s),
                           {u"--cacert"_s, certificates.caCertificateFile()}},
                          !plain) &&
              met;
    }
    return met ? 0 : 1;
}
