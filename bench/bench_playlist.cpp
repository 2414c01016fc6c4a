// What a user waits for when a station with a long history is picked: a page of
// 32767 songs, written once into a file and served by nginx, loaded through the
// real window (Combo1 pick until the window says the load has ended, with the list
// filled and the status line saying how many songs were found, and until the
// filled list has been painted), beside the parts of that load measured alone in
// the same rounds (the page through the window's client, the parse) and curl and a
// bare socket fetching the same page.
// Also the memory of the process while it holds that list.

#include "benchkit.h"
#include "g.h"
#include "mainwindow.h"
#include "songlist.h"
#include "nginxinstance.h"
#include "paintclock.h"
#include "playlist.h"
#include "sitecontent.h"
#include "windowkit.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace Bench;

namespace {

double ms(qint64 fromNs)
{
    return double(nowNs() - fromNs) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    // The page is made in a child, so that making it leaves nothing in this
    // process's memory.
    if (argc == 6 && qstrcmp(argv[1], "--write-page") == 0) {
        const QByteArray page =
            SiteContent::HistoryPage(QString::fromUtf8(argv[3]), QString::fromUtf8(argv[4]),
                                     QString::fromUtf8(argv[5]), MaxSongs);
        return writeFile(QString::fromLocal8Bit(argv[2]), page) ? 0 : 1;
    }

    choosePlatform();
    QApplication app(argc, argv);
    setUpLikeProgram();
    int rounds = 9;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--rounds"_s)
            rounds = args[++i].toInt();
    }
    const QString curl = findProgram(u"curl"_s);
    if (curl.isEmpty() || NginxInstance::program().isEmpty()) {
        std::fprintf(stderr, "needs curl and nginx (scripts/install-deps.sh)\n");
        return 2;
    }
    QTemporaryDir root, work;
    NginxInstance nginx;
    if (!root.isValid() || !work.isValid() || !nginx.start(root.path())) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(nginx.errorText()));
        return 2;
    }
    const QString today = QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    const QString path = u"/europaplus/history/"_s + today + u'/';
    QDir().mkpath(root.path() + path);
    const QString pageFile = root.path() + path + u"index.html"_s;
    if (runChild(QCoreApplication::applicationFilePath(),
                 {u"--write-page"_s, pageFile, u"europaplus"_s, today, nginx.url(QString())})
            .exitCode != 0) {
        std::fprintf(stderr, "cannot write the page\n");
        return 2;
    }
    const QString url = nginx.url(path);
    const QString host = nginx.url(QString()).mid(7);

    auto window = openWindow(work.filePath(u"tunetrawl.conf"_s),
                             {{u"ChartHost"_s, host}, {u"UpdateHost"_s, host}});
    if (!window)
        return 2;
    settle(500);
    const qint64 idleKiB = statusKiB("VmRSS:");

    QList<double> filled, painted, fetch, parse, curlFetch, bare, peakMiB;
    qint64 heldKiB = -1;
    bool complete = true;
    QString status;
    qint64 pageBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 4; ++i) {
            switch ((round + i) % 4) {
            case 0: {
                resetPeak();
                // The filled list may be painted before the load has ended.
                PaintClock listPainted(part<QListView>(*window, u"List1")->viewport(), [&] {
                    return window->workflow()->songs()->count() == MaxSongs;
                });
                const qint64 start = nowNs();
                const std::optional<double> took = timeWork(*window, [&] {
                    window->workflow()->setStation(0);
                    window->Combo1_Click();
                });
                if (!took)
                    return 2;
                filled.append(*took);
                const bool shown = listPainted.wait(2000);
                painted.append(qMax(*took, double(listPainted.paintedNs() - start) / 1e6));
                status = window->workflow()->status();
                complete = complete && shown && window->workflow()->songs()->count() == MaxSongs;
                peakMiB.append(double(statusKiB("VmHWM:")) / 1024);
                if (heldKiB < 0) {
                    settle(300);
                    heldKiB = statusKiB("VmRSS:");
                }
                break;
            }
            case 1: {
                QString variable = url;
                qint64 start = nowNs();
                const QByteArray page = part<G>(*window, u"G")->RetBytes(variable);
                fetch.append(ms(start));
                pageBytes = page.size();
                start = nowNs();
                const QList<SongEntry> songs = ParsePlaylist(page);
                parse.append(ms(start));
                complete = complete && songs.size() == MaxSongs;
                break;
            }
            case 2: {
                const ChildRun run = runChild(curl, {u"-sS"_s, u"-o"_s, u"/dev/null"_s, url});
                complete = complete && run.exitCode == 0;
                curlFetch.append(run.ms);
                break;
            }
            case 3: {
                const qint64 start = nowNs();
                complete = complete && bareFetch(url) > 0;
                bare.append(ms(start));
                break;
            }
            }
        }
    }

    std::printf("page of %d songs, %lld KiB, from nginx; %d rounds; window shown on %s\n", MaxSongs,
                pageBytes / 1024, rounds, qPrintable(platformNote()));
    std::printf("  every load complete: %s; the status line: «%s»\n", complete ? "yes" : "NO",
                qPrintable(status));
    std::printf("(c) load through the window\n");
    printSeries("pick to filled list, status set", filled, "ms", 1);
    printSeries("pick to filled list painted", painted, "ms", 1);
    std::printf("  parts, each measured alone in the same rounds:\n");
    printSeries("fetch through G (RetBytes)", fetch, "ms", 1);
    printSeries("parse (ParsePlaylist)", parse, "ms", 1);
    const double fill = median(filled) - median(fetch) - median(parse);
    const double paint = median(painted) - median(filled);
    std::printf("  %-34s median %9.1f ms   (pick to filled - fetch - parse)\n",
                "fill, settings, status", fill);
    std::printf("  %-34s median %9.1f ms   (painted - filled)\n", "layout and first paint", paint);
    std::printf("  references:\n");
    printSeries("curl -o /dev/null (a process)", curlFetch, "ms", 1);
    printSeries("bare socket in this process", bare, "ms", 1);
    const double held = double(heldKiB) / 1024, idle = double(idleKiB) / 1024;
    std::printf("  memory: RSS idle (window shown, no list) %.1f MiB, holding the list %.1f MiB "
                "(+%.1f), peak during loads %.1f MiB\n",
                idle, held, held - idle, *std::max_element(peakMiB.cbegin(), peakMiB.cend()));
    std::printf("targets:\n");
    bool met = verdict(u"every load complete"_s, complete);
    met = verdict(u"pick to filled list <= 60 ms (%1)"_s.arg(median(filled), 0, 'f', 1),
                  median(filled) <= 60) &&
          met;
    met = verdict(u"pick to filled list painted <= 60 ms (%1)"_s.arg(median(painted), 0, 'f', 1),
                  median(painted) <= 60) &&
          met;
    met = verdict(u"RSS holding the list <= 50 MiB (%1)"_s.arg(held, 0, 'f', 1), held <= 50) && met;
    return met ? 0 : 1;
}
