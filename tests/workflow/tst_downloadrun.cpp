#include "chartsite.h"
#include "downloadrun.h"
#include "httpsession.h"
#include "readfile.h"
#include "scriptedserver.h"
#include "sitecontent.h"
#include "songfiles.h"
#include "underwine.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A name's limit counts UTF-8 bytes on Linux and UTF-16 units on Windows, where
// the run holds its folder and part files so that neither can go mid-run.
#ifdef Q_OS_WIN
qsizetype StoredNameLength(const QString &name)
{
    return name.size();
}
constexpr int PastTheCut = 260;
// One unit and, for the Linux file system beneath Wine, one byte.
constexpr char16_t CutLetter = u'z';
constexpr bool FolderCanGo = false;
#else
qsizetype StoredNameLength(const QString &name)
{
    return name.toUtf8().size();
}
constexpr int PastTheCut = 130;
constexpr char16_t CutLetter = u'Ж'; // two bytes
constexpr bool FolderCanGo = true;
#endif

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
    void backsOffWhereTheServerTakesFewer_data();
    void backsOffWhereTheServerTakesFewer();
    void autoGrowsWhileThroughputGrows();
    void opensConnectionsAheadForWhatTheLimitMayAdd_data();
    void opensConnectionsAheadForWhatTheLimitMayAdd();
    void retryAfterIsHonoured();
    void retryGoesOnFromTheBytesHeld_data();
    void retryGoesOnFromTheBytesHeld();
    void threeFailedTriesEndWithTheReason_data();
    void threeFailedTriesEndWithTheReason();
    void stopDuringARetryPauseLeavesNoPartFile();
    void aSongWaitingForItsNameIsPassedOver();
    void titlesEqualAfterTheCutGetAFileEach();
    void aFolderGoneMidRunFailsTheWaitingSongsAtOnce();

private:
    // Songs 1 to count of the site, ids 101 on; the positions in noAddress get none.
    QList<IdentifiedSong> songs(int count, const QList<int> &noAddress = {},
                                const QString &title = {}) const;
    // Runs until finished(); what it told is kept below.
    bool run(const QList<IdentifiedSong> &list, int parallel);
    // One song at url, one at a time.
    bool runOne(const QString &url);
    QStringList filesLeft() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<ChartSite> site;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<DownloadRun> current;
    HttpSession session;
    DownloadRun::Settings settings;
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
    settings = {};
    settings.timings = {300, 1500, 20, 0};
    settings.retryPauseMs = 20;
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
    settings.chosenFolder = dir->path();
    settings.subfolders = {u"Наше Радио"_s};
    settings.parallel = parallel;
    current->start(settings);
    if (!finished.wait(30000))
        return false;
    tally = current->tally();
    failure = finished[0][1].toString();
    return current->state() == DownloadRun::State::Finished;
}

bool tst_DownloadRun::runOne(const QString &url)
{
    marks.marked = {101};
    return run({{101, {1, u"Song 1"_s, url}}}, 1);
}

void tst_DownloadRun::fetchesMarkedSongsByTheirIds_data()
{
    QTest::addColumn<int>("parallel");
    QTest::newRow("one after another") << 1;
    QTest::newRow("four at once") << 4;
    QTest::newRow("chosen by the run") << DownloadRun::Auto;
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
    QVERIFY(current->peakInFlight() <= (parallel > 0 ? parallel : HostPace::AutoMax));
    QCOMPARE(outcomes.size(), 6);
    QCOMPARE(outcomes.value(107).kind, SongOutcome::Kind::NoAddress);
    for (const auto &[song, ordinal] : order) {
        const int position = int(song - 100);
        const SongOutcome done = outcomes.value(song);
        QCOMPARE(done.kind, SongOutcome::Kind::Stored);
        QCOMPARE(done.file,
                 u"%1 Song %2.mp3"_s.arg(position, 4, 10, QLatin1Char('0')).arg(position));
        const QByteArray bytes = ReadFile(folder() + done.file);
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

namespace {

enum class Trouble { Refuse, Queue, BreakEach, TooManyEach };

const QByteArray Body = QByteArray(4000, 'x') + QByteArray(4000, 'y');

QByteArray Head(int status, const QByteArray &fields)
{
    return "HTTP/1.0 " + QByteArray::number(status) + " X\r\n" + fields + "\r\n";
}

ScriptedServer::Reply Broken(const QByteArray &validator = "ETag: \"v1\"\r\n")
{
    return {{{Head(200, "Content-Length: 8000\r\n" + validator) + Body.first(3000), 0}},
            ScriptedServer::Ending::Reset};
}

ScriptedServer::Reply Rest(const QByteArray &range, const QByteArray &validator)
{
    return ScriptedServer::respond(
        Head(206, "Content-Range: bytes " + range + "/8000\r\n" + validator) + Body.sliced(3000));
}

ScriptedServer::Reply Whole()
{
    return ScriptedServer::respond(Head(200, "Content-Length: 8000\r\nETag: \"v2\"\r\n") + Body);
}

} // namespace

void tst_DownloadRun::backsOffWhereTheServerTakesFewer_data()
{
    QTest::addColumn<int>("trouble");
    QTest::addColumn<int>("most"); // songs at once the run allows at the end
    QTest::addColumn<int>("leastTries");
    QTest::addColumn<int>("mostTries");
    // A song takes three times the first-byte watchdog or more, and a queued
    // connection twice that: a loaded machine (Wine's above all) that stalls the
    // loop for a moment must not let a queued song's first byte beat its watchdog.
    QTest::addColumn<int>("firstByteMs");
    QTest::addColumn<int>("kibPerSecond"); // each song is 48 KiB
    QTest::newRow("503 beyond two") << int(Trouble::Refuse) << 2 << 1 << 1 << 300 << 96;
    QTest::newRow("queued unanswered beyond two")
        << int(Trouble::Queue) << 2 << 1 << 1 << 1000 << 16;
    QTest::newRow("every song reset once at half")
        << int(Trouble::BreakEach) << 2 << 2 << 2 << 300 << 96;
    // Counted only when no other song of the server was in flight.
    QTest::newRow("every song 429 once") << int(Trouble::TooManyEach) << 3 << 1 << 2 << 300 << 96;
}

void tst_DownloadRun::backsOffWhereTheServerTakesFewer()
{
    QFETCH(int, trouble);
    QFETCH(int, most);
    QFETCH(int, leastTries);
    QFETCH(int, mostTries);
    QFETCH(int, firstByteMs);
    QFETCH(int, kibPerSecond);
    settings.timings.FirstDataMs = firstByteMs;
    site->setSongSize(48 * 1024, 48 * 1024);
    site->setRate(kibPerSecond * 1024);
    site->setRetryAfter(0);
    switch (Trouble(trouble)) {
    case Trouble::Refuse:
        site->setBusyLimit(2, ChartSite::Busy::Refuse);
        break;
    case Trouble::Queue:
        site->setBusyLimit(2, ChartSite::Busy::Queue);
        break;
    case Trouble::BreakEach:
        site->setSongFault(ChartSite::EverySong, ChartSite::Fault::Break);
        break;
    case Trouble::TooManyEach:
        site->setSongFault(ChartSite::EverySong, ChartSite::Fault::TooMany);
        break;
    }
    marks.marked = {101, 102, 103, 104, 105, 106};
    const QList<IdentifiedSong> list = songs(6);
    QVERIFY(run(list, DownloadRun::Auto));
    QCOMPARE(tally.stored, 6);
    QVERIFY2(current->limitFor(list[0].song.url) <= most,
             qPrintable(QString::number(current->limitFor(list[0].song.url))));
    QVERIFY(current->peakInFlight() <= HostPace::AutoStart);
    for (const IdentifiedSong &song : list) {
        const SongOutcome done = outcomes.value(song.id);
        QVERIFY2(done.tries >= leastTries && done.tries <= mostTries,
                 qPrintable(QString::number(done.tries)));
        QCOMPARE(ReadFile(folder() + done.file), site->songFile(Slug, Day, song.song.position));
    }
}

void tst_DownloadRun::autoGrowsWhileThroughputGrows()
{
    // Each connection is held to its rate: more at once bring more.
    site->setSongSize(24 * 1024, 24 * 1024);
    site->setRate(16 * 1024);
    QList<IdentifiedSong> list = songs(28);
    for (const IdentifiedSong &song : list)
        marks.marked.insert(song.id);
    QVERIFY(run(list, DownloadRun::Auto));
    QCOMPARE(tally.stored, 28);
    QVERIFY2(current->peakInFlight() > HostPace::AutoStart &&
                 current->peakInFlight() <= HostPace::AutoMax,
             qPrintable(QString::number(current->peakInFlight())));
}

void tst_DownloadRun::opensConnectionsAheadForWhatTheLimitMayAdd_data()
{
    QTest::addColumn<int>("parallel");
    QTest::addColumn<bool>("nearEnd");    // the four asking get all but a byte at once
    QTest::addColumn<int>("connections"); // four asking, the rest ahead
    QTest::newRow("auto: as many as a doubling adds") << int(DownloadRun::Auto) << false << 8;
    QTest::newRow("a number: the next song's") << 4 << false << 5;
    QTest::newRow("a number: one for each song about to end") << 4 << true << 8;
}

void tst_DownloadRun::opensConnectionsAheadForWhatTheLimitMayAdd()
{
    QFETCH(int, parallel);
    QFETCH(bool, nearEnd);
    QFETCH(int, connections);
    // A server that never answers, or sends all but the last byte and waits:
    // no window closes, so the limit stays where it began.
    const ScriptedServer::Reply allButAByte{
        {{"HTTP/1.0 200 OK\r\nContent-Length: 4001\r\n\r\n" + QByteArray(4000, 'x'), 0},
         {"x", 5000}}};
    ScriptedServer server({nearEnd ? allButAByte : ScriptedServer::silent()});
    QList<IdentifiedSong> list;
    for (int position = 1; position <= 12; ++position) {
        list.append(
            {SongId(100 + position),
             {position, u"Song %1"_s.arg(position), server.url(u"/%1.mp3"_s.arg(position))}});
        marks.marked.insert(SongId(100 + position));
    }
    int requests = 0;
    connect(&server, &ScriptedServer::requestReceived, this, [&] {
        if (++requests == 4)
            QTimer::singleShot(400, current.get(), [this] { current->stop(); });
    });
    settings.timings.FirstDataMs = 5000;
    QVERIFY(run(list, parallel));
    QVERIFY(tally.stopped);
    QCOMPARE(requests, 4);
    QCOMPARE(server.connections(), connections);
}

void tst_DownloadRun::retryAfterIsHonoured()
{
    site->setSongFault(1, ChartSite::Fault::Unavailable);
    site->setRetryAfter(1);
    QList<qint64> asked;
    QElapsedTimer clock;
    clock.start();
    connect(site.get(), &ChartSite::requestSeen, this, [&] { asked.append(clock.elapsed()); });
    marks.marked = {101};
    QVERIFY(run(songs(1), DownloadRun::Auto));
    QCOMPARE(outcomes.value(101).kind, SongOutcome::Kind::Stored);
    QCOMPARE(outcomes.value(101).tries, 2);
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[1] - asked[0] >= 950, qPrintable(QString::number(asked[1] - asked[0])));
}

void tst_DownloadRun::retryGoesOnFromTheBytesHeld_data()
{
    QTest::addColumn<QList<ScriptedServer::Reply>>("replies");
    QTest::addColumn<QByteArray>("retryRange"); // of the second request; "" for none
    QTest::addColumn<int>("connections");
    const QByteArray v1 = "ETag: \"v1\"\r\n";
    QTest::newRow("matching 206 appends")
        << QList{Broken(), Rest("3000-7999", v1)} << QByteArray("bytes=3000-") << 2;
    QTest::newRow("by Last-Modified")
        << QList{Broken("Last-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n"),
                 Rest("3000-7999", "Last-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n")}
        << QByteArray("bytes=3000-") << 2;
    QTest::newRow("200 starts over") << QList{Broken(), Whole()} << QByteArray("bytes=3000-") << 2;
    QTest::newRow("mismatched Content-Range starts over")
        << QList{Broken(), Rest("2000-7999", v1), Whole()} << QByteArray("bytes=3000-") << 3;
    QTest::newRow("changed validator starts over")
        << QList{Broken(), Rest("3000-7999", "ETag: \"v2\"\r\n"), Whole()}
        << QByteArray("bytes=3000-") << 3;
    QTest::newRow("no validator: no Range") << QList{Broken({}), Whole()} << QByteArray() << 2;
}

void tst_DownloadRun::retryGoesOnFromTheBytesHeld()
{
    QFETCH(QList<ScriptedServer::Reply>, replies);
    QFETCH(QByteArray, retryRange);
    QFETCH(int, connections);
    ScriptedServer server(replies);
    QVERIFY(runOne(server.url(u"/s.mp3"_s)));
    const SongOutcome done = outcomes.value(101);
    QCOMPARE(done.kind, SongOutcome::Kind::Stored);
    QCOMPARE(done.tries, 2);
    QCOMPARE(ReadFile(folder() + done.file), Body);
    QCOMPARE(server.connections(), connections);
    const QList<QByteArray> &requests = server.requests();
    QVERIFY(!requests[0].contains("Range"));
    QCOMPARE(requests[1].contains("Range: bytes="), !retryRange.isEmpty());
    if (!retryRange.isEmpty()) {
        QVERIFY(requests[1].contains("Range: " + retryRange + "\r\n"));
        QVERIFY(requests[1].contains("If-Range: "));
    }
    // A fresh start asks as a first request does.
    for (qsizetype i = 2; i < requests.size(); ++i)
        QVERIFY(!requests[i].contains("Range"));
}

void tst_DownloadRun::threeFailedTriesEndWithTheReason_data()
{
    QTest::addColumn<ScriptedServer::Reply>("reply");
    QTest::addColumn<QString>("reason");
    QTest::newRow("reset each time") << Broken() << u"Соединение прервано"_s;
    ScriptedServer::Reply stalls = Broken();
    stalls.End = ScriptedServer::Ending::StayOpen;
    QTest::newRow("stalled each time") << stalls << u"Соединение прервано: нет данных"_s;
    QTest::newRow("503 each time")
        << ScriptedServer::respond(Head(503, "Retry-After: 0\r\n")) << u"Сервер ответил 503"_s;
}

void tst_DownloadRun::threeFailedTriesEndWithTheReason()
{
    QFETCH(ScriptedServer::Reply, reply);
    QFETCH(QString, reason);
    if (reply.End == ScriptedServer::Ending::Reset && UnderWine())
        QSKIP(WineCannotReset);
    settings.timings.IdleMs = 300;
    ScriptedServer server({reply});
    QVERIFY(runOne(server.url(u"/s.mp3"_s)));
    const SongOutcome done = outcomes.value(101);
    QCOMPARE(done.kind, SongOutcome::Kind::Failed);
    QCOMPARE(done.reason, reason);
    QCOMPARE(done.tries, DownloadRun::Tries);
    QCOMPARE(server.connections(), DownloadRun::Tries);
    QCOMPARE(filesLeft(), QStringList());
}

void tst_DownloadRun::stopDuringARetryPauseLeavesNoPartFile()
{
    settings.retryPauseMs = 10000;
    ScriptedServer server({Broken(), Whole()});
    connect(&server, &ScriptedServer::requestReceived, this, [this] {
        QTimer::singleShot(300, current.get(), [this] {
            // The first try is over and its bytes are held for the next.
            QVERIFY(!filesLeft().isEmpty());
            current->stop();
        });
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(runOne(server.url(u"/s.mp3"_s)));
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(tally.stopped);
    QCOMPARE(server.connections(), 1);
    QCOMPARE(filesLeft(), QStringList());
}

void tst_DownloadRun::aSongWaitingForItsNameIsPassedOver()
{
    site->setSongSize(64 * 1024, 64 * 1024);
    site->setRate(128 * 1024);
    marks.marked = {101, 102, 103};
    marks.numbers = false;
    QList<IdentifiedSong> list = songs(3, {}, u"Same - Song"_s);
    list[2].song.title = u"Other - Song"_s;
    QList<SongId> events;
    connect(site.get(), &ChartSite::requestSeen, this, [&](const QString &line) {
        events.append(SongId(100 + line.section(u'/', -1).section(u'.', 0, 0).toInt()));
    });
    QVERIFY(run(list, 4));
    // 3 went beside 1 while 2 waited for the name; then 2 found 1's file. Two
    // connections at once reach the site in either order.
    std::sort(events.begin(), events.end());
    QCOMPARE(events, (QList<SongId>{101, 103}));
    QCOMPARE(current->peakInFlight(), 2);
    QCOMPARE(outcomes.value(102).kind, SongOutcome::Kind::Present);
    QCOMPARE(outcomes.value(103).kind, SongOutcome::Kind::Stored);
}

void tst_DownloadRun::titlesEqualAfterTheCutGetAFileEach()
{
    marks.marked = {101, 102, 103};
    marks.numbers = false;
    // 260 bytes or units in common: past the cut of a 255-long name.
    const QString common = QString(PastTheCut, QChar(CutLetter));
    QList<IdentifiedSong> list = songs(3);
    list[0].song.title = common + u" - One"_s;
    list[1].song.title = common + u" - Two"_s;
    list[2].song.title = common + u" - One"_s; // played twice: one file
    QVERIFY(run(list, 4));
    const SongOutcome one = outcomes.value(101);
    const SongOutcome two = outcomes.value(102);
    QVERIFY2(one.kind == SongOutcome::Kind::Stored, qPrintable(one.reason));
    QVERIFY2(two.kind == SongOutcome::Kind::Stored, qPrintable(two.reason));
    QVERIFY(one.file != two.file);
    QVERIFY(two.file.endsWith(u" (2).mp3"_s));
    QVERIFY(StoredNameLength(two.file) <= MaxFileNameLength);
    QCOMPARE(ReadFile(folder() + one.file), SiteContent::SongFile(Slug, Day, 1));
    QCOMPARE(ReadFile(folder() + two.file), SiteContent::SongFile(Slug, Day, 2));
    QCOMPARE(outcomes.value(103).kind, SongOutcome::Kind::Present);
    QCOMPARE(outcomes.value(103).file, one.file);
}

void tst_DownloadRun::aFolderGoneMidRunFailsTheWaitingSongsAtOnce()
{
    if (!FolderCanGo)
        QSKIP(
            "Windows keeps the run's folder and part files from going (tst_partfile's held rows)");
    site->setSongSize(64 * 1024, 64 * 1024);
    site->setRate(128 * 1024);
    marks.marked = {101, 102, 103, 104};
    connect(site.get(), &ChartSite::requestSeen, this, [this](const QString &line) {
        if (!line.endsWith(u"/1.mp3"_s))
            return;
        QDir station(folder());
        for (const QString &name : filesLeft())
            QVERIFY(station.remove(name));
        QVERIFY(QDir(dir->path()).rmdir(u"Наше Радио"_s));
    });
    QVERIFY(run(songs(4), 1));
    QCOMPARE(site->requests().filter(u"/songs/"_s).size(), 1);
    QCOMPARE(outcomes.value(101).reason, u"Не удалось записать файл"_s);
    for (SongId song : {102, 103, 104}) {
        QCOMPARE(outcomes.value(song).kind, SongOutcome::Kind::Failed);
        QCOMPARE(outcomes.value(song).reason, u"Не удалось создать файл"_s);
    }
}

QTEST_GUILESS_MAIN(tst_DownloadRun)
#include "tst_downloadrun.moc"
