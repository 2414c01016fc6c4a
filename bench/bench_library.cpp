// What the library scan adds to a load: the same history page (200 songs from the
// stand-in site, served in this process) loaded by the workflow, no window, once
// into a station folder that holds nothing and once into one that holds 10 000
// song files in 50 day folders, each day's page numbered as a run leaves it, in interleaved
// rounds. The figure is the difference of the medians; the scan alone over those
// files goes beside it. The folders' entries are in the kernel's cache after the
// first round (as for a user who loads one day after another); the first round
// of each is not counted. Options: --rounds N (21), --files N (10000), --songs N (200).

#include "benchkit.h"
#include "chartsite.h"
#include "datetext.h"
#include "sitecontent.h"
#include "songfiles.h"
#include "songlibrary.h"
#include "songlist.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace Bench;

namespace {

constexpr int Nashe = 5;

// Loads the day's page into folder; the time from the start to the end of the
// work, or a negative number when it did not end within a minute.
double timeLoad(Workflow &work, const QString &folder)
{
    work.setFolder(folder);
    QEventLoop loop;
    QObject::connect(&work, &Workflow::workFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    if (!work.loadPlaylist())
        return -1;
    loop.exec();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    return work.busy() ? -1 : ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 21, files = 10000, songs = 200;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--rounds"_s)
            rounds = args[++i].toInt();
        else if (args[i] == u"--files"_s)
            files = args[++i].toInt();
        else if (args[i] == u"--songs"_s)
            songs = args[++i].toInt();
    }
    ChartSite site;
    site.setSongCount(songs);
    QTemporaryDir work;
    if (!site.listen() || !work.isValid()) {
        std::fprintf(stderr, "no site or no temporary folder\n");
        return 2;
    }
    const QString empty = work.filePath(u"empty"_s) + u'/';
    const QString full = work.filePath(u"full"_s) + u'/';
    QDir().mkpath(empty + u"Наше Радио"_s);
    const QString station = full + u"Наше Радио/"_s;
    // Each day folder holds that day's page as a numbered run leaves it.
    const int days = 50;
    const int perDay = files / days;
    for (int day = 0; day < days; ++day) {
        const QString date = DateText(QDate(2026, 1, 1).addDays(day));
        const QString folder = station + date + u'/';
        QDir().mkpath(folder);
        const QList<SiteContent::Song> page = SiteContent::Songs(u"nashe"_s, date, perDay);
        for (int i = 0; i < page.size(); ++i) {
            const SongEntry song{i + 1, CleanTitle(page[i].artist + u" - "_s + page[i].name), {}};
            QFile file(folder + SongFileName(song, false));
            if (!file.open(QIODevice::WriteOnly)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
                return 2;
            }
        }
    }
    {
        QSettings store(work.filePath(u"tunetrawl.conf"_s), QSettings::IniFormat);
        store.setValue(u"Main/ChartHost"_s, site.hostAndPort());
    }
    Workflow workflow(
        std::make_unique<QSettings>(work.filePath(u"tunetrawl.conf"_s), QSettings::IniFormat));
    workflow.setStoring(false); // the settings file is no part of what is measured
    workflow.setStation(Nashe);

    QList<double> withNothing, withFiles, scanAlone;
    int found = 0, read = 0;
    bool complete = true;
    for (int round = 0; round <= rounds; ++round) {
        for (int step = 0; step < 3; ++step) {
            switch ((round + step) % 3) {
            case 0: {
                const double ms = timeLoad(workflow, empty);
                complete = complete && ms >= 0 && workflow.songs()->count() == songs;
                if (round > 0)
                    withNothing.append(ms);
                break;
            }
            case 1: {
                const double ms = timeLoad(workflow, full);
                complete = complete && ms >= 0 && workflow.songs()->count() == songs;
                if (round > 0)
                    withFiles.append(ms);
                found = 0;
                for (int row = 0; row < workflow.songs()->count(); ++row)
                    found += workflow.songs()->libraryPath(row).isEmpty() ? 0 : 1;
                break;
            }
            case 2: {
                QElapsedTimer clock;
                clock.start();
                const SongLibrary library = SongLibrary::scan(station);
                if (round > 0)
                    scanAlone.append(double(clock.nsecsElapsed()) / 1e6);
                read = library.entriesRead();
                complete = complete && library.complete();
                break;
            }
            }
        }
    }
    const double added = median(withFiles) - median(withNothing);
    std::printf("a page of %d songs from the stand-in site, loaded without a window; %d rounds\n",
                songs, rounds);
    std::printf("  the station folder: %d files in %d day folders (%d entries read); %d of the "
                "page's songs found there\n",
                files, days, read, found);
    printSeries("load, station folder empty", withNothing, "ms", 2);
    printSeries("load, 10 000 files under it", withFiles, "ms", 2);
    printSeries("the scan alone", scanAlone, "ms", 2);
    std::printf("  added to a load by the scan: %.2f ms\n", added);
    std::printf("targets:\n");
    bool met = verdict(u"every load complete, every scan whole"_s, complete);
    met =
        verdict(u"the scan adds <= 50 ms to a load (%1 ms)"_s.arg(added, 0, 'f', 2), added <= 50) &&
        met;
    return met ? 0 : 1;
}
