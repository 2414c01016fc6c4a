#include "chartsite.h"
#include "downloadrun.h"
#include "httpsession.h"
#include "sitecontent.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString Slug = u"nashe"_s;
const QString Day = u"08.12.2026"_s;

// Marks the test changes while the run goes; reached() is told as the run asks.
struct TestMarks : RunOrder::Marks
{
    QSet<SongId> marked;
    bool numbers = true;
    bool isMarked(SongId song) const override { return marked.contains(song); }
    bool noNumbers() const override { return !numbers; }
};

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_DownloadRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void fetchesMarkedSongsByTheirIds_data();
    void fetchesMarkedSongsByTheirIds();
    void marksAreReadAsTheRunReachesEachSong();
    void songsOfOneNameGoOneAfterTheOther();
    void stopEndsTheSongsInFlight();
    void aFolderThatCannotBeMadeEndsTheRun();

private:
    // Songs 1 to count of the site, ids 101 on; the positions in noAddress get none.
    QList<IdentifiedSong> songs(int count, const QList<int> &noAddress = {},
                                const QString &title = {}) const;
    // Runs until finished(); what it told is kept below.
    bool run(const QList<IdentifiedSong> &list, int parallel);

    std::unique_ptr<ChartSite> site;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<DownloadRun> current;
    HttpSession session;
    TestMarks marks;
    std::function<void(SongId)> onStart;
    QList<QPair<SongId, int>> started; // id, ordinal
    QList<int> totals;
    QHash<SongId, SongOutcome> outcomes;
    RunTally tally;
    QString failure;
    QString folder() const { return dir->filePath(u"Наше Радио"_s) + u'/'; }
};

void tst_DownloadRun::init()
{
    site = std::make_unique<ChartSite>();
    QVERIFY(site->listen());
    dir = std::make_unique<QTemporaryDir>();
    marks = {};
    onStart = nullptr;
    started.clear();
    totals.clear();
    outcomes.clear();
}

QList<IdentifiedSong> tst_DownloadRun::songs(int count, const QList<int> &noAddress,
                                             const QString &title) const
{
    QList<IdentifiedSong> list;
    for (int position = 1; position <= count; ++position) {
        const QString url =
            noAddress.contains(position)
                ? QString()
                : u"http://"_s + site->hostAndPort() + SiteContent::SongPath(Slug, Day, position);
        list.append({SongId(100 + position),
                     {position, title.isEmpty() ? u"Song %1"_s.arg(position) : title, url}});
    }
    return list;
}

bool tst_DownloadRun::run(const QList<IdentifiedSong> &list, int parallel)
{
    current = std::make_unique<DownloadRun>(list, &marks, &session);
    connect(current.get(), &DownloadRun::songStarted, this,
            [this](SongId song, int ordinal, int total) {
                started.append({song, ordinal});
                totals.append(total);
                if (onStart)
                    onStart(song);
            });
    connect(current.get(), &DownloadRun::songFinished, this,
            [this](SongId song, const SongOutcome &outcome) { outcomes.insert(song, outcome); });
    QSignalSpy finished(current.get(), &DownloadRun::finished);
    DownloadRun::Settings settings;
    settings.chosenFolder = dir->path();
    settings.subfolders = {u"Наше Радио"_s};
    settings.parallel = parallel;
    settings.timings = {300, 1500, 20, 0};
    current->start(settings);
    if (!finished.wait(20000))
        return false;
    tally = current->tally();
    failure = finished[0][1].toString();
    return current->state() == DownloadRun::State::Finished;
}

void tst_DownloadRun::fetchesMarkedSongsByTheirIds_data()
{
    QTest::addColumn<int>("parallel");
    QTest::newRow("one after another") << 1;
    QTest::newRow("four at once") << 4;
}

void tst_DownloadRun::fetchesMarkedSongsByTheirIds()
{
    QFETCH(int, parallel);
    // 4 and 8 unmarked, 7 marked without an address.
    marks.marked = {101, 102, 103, 105, 106, 107};
    QVERIFY(run(songs(8, {7}), parallel));

    const QList<QPair<SongId, int>> order = {{101, 1}, {102, 2}, {103, 3}, {105, 4}, {106, 5}};
    QCOMPARE(started, order);
    QCOMPARE(totals, QList<int>(5, 5));
    QVERIFY(current->peakInFlight() <= parallel);
    QCOMPARE(outcomes.size(), 6);
    QCOMPARE(outcomes.value(107).kind, SongOutcome::Kind::NoAddress);
    for (const auto &[song, ordinal] : order) {
        const int position = int(song - 100);
        const SongOutcome done = outcomes.value(song);
        QCOMPARE(done.kind, SongOutcome::Kind::Stored);
        QCOMPARE(done.file,
                 u"%1 Song %2.mp3"_s.arg(position, 4, 10, QLatin1Char('0')).arg(position));
        const QByteArray bytes = Read(folder() + done.file);
        QCOMPARE(bytes, SiteContent::SongFile(Slug, Day, position));
        QCOMPARE(done.bytes, bytes.size());
    }
    QCOMPARE(tally.marked, 5);
    QCOMPARE(tally.stored, 5);
    QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

void tst_DownloadRun::marksAreReadAsTheRunReachesEachSong()
{
    marks.marked = {101, 103};
    // While song 1 goes, 3 loses its mark and 5 gains one.
    onStart = [this](SongId song) {
        if (song == 101) {
            marks.marked.remove(103);
            marks.marked.insert(105);
        }
    };
    QVERIFY(run(songs(6), 1));
    QCOMPARE(started, (QList<QPair<SongId, int>>{{101, 1}, {105, 2}}));
    QCOMPARE(totals, (QList<int>{2, 2}));
    QVERIFY(!outcomes.contains(103));
}

void tst_DownloadRun::songsOfOneNameGoOneAfterTheOther()
{
    marks.marked = {101, 102, 103};
    marks.numbers = false;
    QVERIFY(run(songs(3, {}, u"Same - Song"_s), 4));
    // The second and third wait for the first, then find its file.
    QCOMPARE(site->requests().filter(u"/songs/"_s).size(), 1);
    QCOMPARE(outcomes.value(101).kind, SongOutcome::Kind::Stored);
    QCOMPARE(outcomes.value(102).kind, SongOutcome::Kind::Present);
    QCOMPARE(outcomes.value(103).kind, SongOutcome::Kind::Present);
    QCOMPARE(current->peakInFlight(), 1);
}

void tst_DownloadRun::stopEndsTheSongsInFlight()
{
    for (int position = 2; position <= 5; ++position)
        site->setSongFault(position, ChartSite::Fault::Silent);
    marks.marked = {101, 102, 103, 104, 105, 106};
    connect(site.get(), &ChartSite::requestSeen, this, [this](const QString &line) {
        if (line.endsWith(u"/5.mp3"_s))
            QTimer::singleShot(50, current.get(), [this] { current->stop(); });
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(run(songs(6), 4));
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(tally.stopped);
    QCOMPARE(tally.stored, 1);
    QCOMPARE(outcomes.keys(), QList<SongId>{101});
    // Song 6 was never asked; nothing half-written stays.
    QCOMPARE(site->requests().filter(u"/songs/"_s).size(), 5);
    QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"0001 Song 1.mp3"_s});
}

void tst_DownloadRun::aFolderThatCannotBeMadeEndsTheRun()
{
    QFile blocker(dir->filePath(u"Наше Радио"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    marks.marked = {101};
    QVERIFY(run(songs(2), 4));
    QCOMPARE(QDir::cleanPath(failure), QDir::cleanPath(blocker.fileName()));
    QVERIFY(started.isEmpty());
    QVERIFY(site->requests().isEmpty());
}

QTEST_GUILESS_MAIN(tst_DownloadRun)
#include "tst_downloadrun.moc"
