// The workflow with no window at all: a QCoreApplication, the stand-in site on
// loopback, a settings file of the test's own.
#include "chartsite.h"
#include "datetext.h"
#include "downloadrun.h"
#include "readfile.h"
#include "sitecontent.h"
#include "songfiles.h"
#include "songlist.h"
#include "testcertificates.h"
#include "underwine.h"
#include "workflow.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int Nashe = 5;

int SongFetches(const QStringList &requests)
{
    return int(requests.filter(u"GET /songs/"_s).size());
}

} // namespace

class tst_Workflow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void loadListsTheSongsAndWhatTheLibraryHolds();
    void actsWaitWhileWorkGoes();
    void runStoresMarkedSongs_data();
    void runStoresMarkedSongs();
    void secondRunFetchesNothing();
    void onlyNewFetchesOnlyWhatTheLibraryLacks();
    void stopEndsTheRunAsTheButtonDoes();
    void runWithNothingMarkedSaysSo();
    void folderThatCannotBeMadeEndsTheRun();
    void folderSwappedForALinkMidRun();
    void storingOffWritesNothing();
    void wholeJobOverTls();

private:
    QString settingsPath() const { return dir->filePath(u"tunetrawl.conf"_s); }
    QString music() const { return dir->filePath(u"music"_s) + QDir::separator(); }
    QString stationFolder() const { return music() + u"Наше Радио"_s + QDir::separator(); }
    void setStored(const QString &key, const QString &value)
    {
        QSettings(settingsPath(), QSettings::IniFormat).setValue(u"Main/"_s + key, value);
    }
    // A new workflow over the store, its choices as stored.
    void create();
    // Runs the event loop until the load or run just started has ended.
    bool waitForWork();
    bool load(int station = Nashe);
    bool run();

    std::unique_ptr<ChartSite> site;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Workflow> work;
    SongList *songs = nullptr;
    QList<Workflow::State> states;
    int peak = 0;
};

void tst_Workflow::init()
{
    site = std::make_unique<ChartSite>();
    // 14 songs: 13 with addresses, the 10th the same as the 2nd, the 9th none.
    site->setSongCount(14);
    QVERIFY(site->listen());
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(music()));
    setStored(u"ChartHost"_s, site->hostAndPort());
    setStored(u"LastUpdate"_s, TodayText());
    create();
}

void tst_Workflow::cleanup()
{
    work.reset();
    site.reset();
    dir.reset();
}

void tst_Workflow::create()
{
    work = std::make_unique<Workflow>(
        std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat));
    work->setTimings({{300, 1500, 20, 0}, 10000, 1500, 20});
    work->restoreChoices();
    work->setFolder(music());
    songs = work->songs();
    states.clear();
    connect(work.get(), &Workflow::stateChanged, this,
            [this](Workflow::State state) { states.append(state); });
}

bool tst_Workflow::waitForWork()
{
    if (!work->busy())
        return false;
    QSignalSpy done(work.get(), &Workflow::workFinished);
    if (DownloadRun *current = work->currentRun())
        connect(current, &DownloadRun::finished, this,
                [this, current] { peak = current->peakInFlight(); });
    return done.wait(30000);
}

bool tst_Workflow::load(int station)
{
    work->setStation(station);
    return work->loadPlaylist() && waitForWork();
}

bool tst_Workflow::run()
{
    return work->startRun() == Workflow::RunStart::Started && waitForWork();
}

void tst_Workflow::loadListsTheSongsAndWhatTheLibraryHolds()
{
    const QList<SiteContent::Song> page = SiteContent::Songs(u"nashe"_s, TodayText(), 14);
    // Song 3 from an older day under another number; song 4 without a number.
    QVERIFY(QDir().mkpath(stationFolder() + u"01.12.2026"_s));
    const QString third = stationFolder() + u"01.12.2026/0011 ACDC - Back In Black.mp3"_s;
    // Named as the platform stores it (Windows takes no ", : or ? in a name).
    const QString fourth =
        stationFolder() + SongFileName({4, page[3].artist + u" - "_s + page[3].name, {}}, true);
    for (const QString &path : {third, fourth}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QSignalSpy loaded(work.get(), &Workflow::loadFinished);
    QVERIFY(load());

    QCOMPARE(states, (QList<Workflow::State>{Workflow::State::Loading, Workflow::State::Idle}));
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(loaded[0][0].toBool(), true);
    QCOMPARE(songs->count(), page.size());
    QCOMPARE(work->status(), u"Найдено %1 файлов"_s.arg(page.size()));
    for (int row = 0; row < songs->count(); ++row) {
        const SongEntry &song = songs->song(row);
        QString expected;
        if (song.title == songs->song(2).title)
            expected = QDir::toNativeSeparators(third);
        else if (song.title == songs->song(3).title)
            expected = QDir::toNativeSeparators(fourth);
        QCOMPARE(songs->libraryPath(row), expected);
    }
    QCOMPARE(site->requests(), QStringList{u"GET /nashe/history/"_s + TodayText() + u'/'});
}

void tst_Workflow::actsWaitWhileWorkGoes()
{
    work->setStation(Nashe);
    QVERIFY(work->loadPlaylist());
    QVERIFY(!work->loadPlaylist());
    QCOMPARE(work->startRun(), Workflow::RunStart::Busy);
    QVERIFY(!work->checkForUpdate());
    QVERIFY(waitForWork());
    QCOMPARE(site->requests().size(), 1);
    // Without an existing folder nothing starts.
    work->setFolder(dir->filePath(u"gone"_s));
    QCOMPARE(work->startRun(), Workflow::RunStart::NoFolder);
    QVERIFY(!work->busy());
}

void tst_Workflow::runStoresMarkedSongs_data()
{
    QTest::addColumn<bool>("noNumbers");
    QTest::addColumn<bool>("byDate");
    QTest::addColumn<QString>("parallel"); // as stored; "" for none
    QTest::addColumn<int>("most");         // songs in flight at once, at most
    QTest::newRow("numbered") << false << false << u""_s << 16;
    QTest::newRow("not numbered") << true << false << u""_s << 16;
    QTest::newRow("numbered, by date") << false << true << u""_s << 16;
    QTest::newRow("one at a time") << false << false << u"1"_s << 1;
    QTest::newRow("eight at once") << false << false << u"8"_s << 8;
    QTest::newRow("chosen by the run") << false << false << u"auto"_s << 16;
    QTest::newRow("past the top") << false << false << u"50"_s << 16;
    QTest::newRow("below the bottom") << false << false << u"0"_s << 1;
}

void tst_Workflow::runStoresMarkedSongs()
{
    QFETCH(bool, noNumbers);
    QFETCH(bool, byDate);
    QFETCH(QString, parallel);
    QFETCH(int, most);
    if (!parallel.isEmpty())
        setStored(u"Parallel"_s, parallel);
    work->setNoNumbers(noNumbers);
    work->setDayFolders(byDate);
    QVERIFY(load());
    songs->markAll();
    QVERIFY(run());

    QString folder = stationFolder();
    if (byDate)
        folder += TodayText() + QDir::separator();
    QHash<QString, int> firstWithTitle;
    int stored = 0;
    for (int row = 0; row < songs->count(); ++row) {
        const SongEntry &song = songs->song(row);
        if (song.url.isEmpty()) {
            QVERIFY(songs->isMarked(row));
            continue;
        }
        QVERIFY(!songs->isMarked(row));
        // Songs may share a title (10 repeats 2): without numbers the later ones
        // find the first one's file and are not fetched.
        if (noNumbers && firstWithTitle.contains(song.title))
            continue;
        firstWithTitle.insert(song.title, song.position);
        const QString name = SongFileName(song, noNumbers);
        QCOMPARE(ReadFile(folder + name),
                 SiteContent::SongFile(u"nashe"_s, TodayText(), song.position));
        ++stored;
    }
    QCOMPARE(SongFetches(site->requests()), stored);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), stored);
    QCOMPARE(work->status(), u"Готово: скачано %1 %2"_s.arg(stored).arg(FilesWord(stored)));
    QCOMPARE(QSettings(settingsPath(), QSettings::IniFormat).value(u"Main/Path"_s).toString(),
             music());
    QVERIFY2(peak <= most && peak >= qMin(most, 2), qPrintable(QString::number(peak)));
}

void tst_Workflow::secondRunFetchesNothing()
{
    work->setNoNumbers(false);
    QVERIFY(load());
    songs->markAll();
    QVERIFY(run());
    const int first = SongFetches(site->requests());
    QCOMPARE(first, songs->count() - 1);
    songs->markAll();
    QVERIFY(run());
    QCOMPARE(SongFetches(site->requests()), first);
    QCOMPARE(songs->markedCount(), 1); // the song without an address
}

void tst_Workflow::onlyNewFetchesOnlyWhatTheLibraryLacks()
{
    // Yesterday's run left songs 1 and 2 in its day folder, numbered.
    work->setNoNumbers(false);
    QVERIFY(load());
    const QString yesterday = stationFolder() + u"01.12.2026"_s + QDir::separator();
    QVERIFY(QDir().mkpath(yesterday));
    QSet<QString> there;
    for (const int row : {0, 1}) {
        // Named as a run names it, on Windows too (a title may hold a "?").
        QFile file(yesterday +
                   SafeFileName(u"00%1 "_s.arg(row + 41) + songs->song(row).title, u".mp3"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        there.insert(songs->song(row).title);
    }
    QVERIFY(load());
    songs->markOnlyNew();
    QStringList expected;
    for (int row = 0; row < songs->count(); ++row) {
        const SongEntry &song = songs->song(row);
        if (!song.url.isEmpty() && !there.contains(song.title))
            expected.append(u"GET "_s +
                            SiteContent::SongPath(u"nashe"_s, TodayText(), song.position));
    }
    site->clearRequests();
    QVERIFY(run());
    QStringList fetched = site->requests();
    fetched.sort();
    expected.sort();
    QCOMPARE(fetched, expected);
}

void tst_Workflow::stopEndsTheRunAsTheButtonDoes()
{
    for (int position = 2; position <= 5; ++position)
        site->setSongFault(position, ChartSite::Fault::Silent);
    work->setNoNumbers(false);
    QVERIFY(load());
    songs->markAll();
    connect(site.get(), &ChartSite::requestSeen, work.get(), [this](const QString &line) {
        if (line.endsWith(u"/5.mp3"_s))
            QTimer::singleShot(50, work.get(), [this] { work->stop(); });
    });
    states.clear();
    QVERIFY(run());
    QCOMPARE(states, (QList<Workflow::State>{Workflow::State::Running, Workflow::State::Stopping,
                                             Workflow::State::Idle}));
    QCOMPARE(work->status(), u"Остановлено: скачано 1 файл"_s);
    QVERIFY(!songs->isMarked(0));
    for (int row = 1; row < 5; ++row)
        QVERIFY(songs->isMarked(row) && !songs->outcome(row));
    QCOMPARE(SongFetches(site->requests()), 5);
    QCOMPARE(QDir(stationFolder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void tst_Workflow::runWithNothingMarkedSaysSo()
{
    QVERIFY(load());
    QVERIFY(run());
    QCOMPARE(work->status(), u"Ничего не отмечено для скачивания"_s);
    QCOMPARE(SongFetches(site->requests()), 0);
}

void tst_Workflow::folderThatCannotBeMadeEndsTheRun()
{
    QVERIFY(load());
    songs->markAll();
    QFile blocker(music() + u"Наше Радио"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSignalSpy ended(work.get(), &Workflow::runFinished);
    QVERIFY(run());
    QCOMPARE(ended.count(), 1);
    QVERIFY(!ended[0][1].toString().isEmpty());
    QVERIFY(work->status().startsWith(u"Не удалось создать каталог "_s));
    QCOMPARE(SongFetches(site->requests()), 0);
    QVERIFY(!work->busy());
}

void tst_Workflow::folderSwappedForALinkMidRun()
{
    setStored(u"Parallel"_s, u"1"_s);
    work->setNoNumbers(false); // numbered: the day's songs may share a title
    QVERIFY(load());
    songs->setMarkedRange(0, 2, true);
    const QString station = music() + u"Наше Радио"_s;
    const QString moved = music() + u"moved"_s;
    const QString elsewhere = dir->filePath(u"elsewhere"_s);
    QVERIFY(QDir().mkdir(elsewhere));
    // While the first song arrives, its folder goes and a link takes its place.
    connect(site.get(), &ChartSite::requestSeen, work.get(), [&](const QString &line) {
        if (line.endsWith(u"/1.mp3"_s)) {
#ifdef Q_OS_WIN
            // Held without delete sharing, the folder cannot go while the run holds it.
            QVERIFY(!QDir().rename(station, moved));
#else
            QVERIFY(QDir().rename(station, moved));
            QVERIFY(QFile::link(elsewhere, station));
#endif
        }
    });
    QVERIFY(run());
    QCOMPARE(work->status(), u"Готово: скачано 3 файла"_s);
    QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
#ifdef Q_OS_WIN
    const QStringList there = QDir(station).entryList(QDir::Files | QDir::Hidden);
#else
    const QStringList there = QDir(moved).entryList(QDir::Files | QDir::Hidden);
#endif
    QCOMPARE(there.size(), 3);
    QCOMPARE(there.filter(u".part"_s), QStringList());
}

void tst_Workflow::storingOffWritesNothing()
{
    const QByteArray before = ReadFile(settingsPath());
    work->setStoring(false);
    work->setNoNumbers(true);
    QVERIFY(load(2));
    songs->setMarked(0, true);
    QVERIFY(run());
    QCOMPARE(work->status(), u"Готово: скачано 1 файл"_s);
    QCOMPARE(ReadFile(settingsPath()), before);
}

void tst_Workflow::wholeJobOverTls()
{
    if (UnderWine())
        QSKIP(WineCannotHandshake);
    TestCertificates certificates;
    QVERIFY2(certificates.create(), qPrintable(certificates.errorText()));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificates.certificate(TestCertificates::Kind::Good));
    tls.setPrivateKey(certificates.key(TestCertificates::Kind::Good));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    ChartSite secure;
    secure.useTls(tls);
    QVERIFY(secure.listen());
    setStored(u"ChartHost"_s, u"https://"_s + secure.hostAndPort());
    work->session()->ExtraCertificates.append(certificates.caCertificate());
    work->setNoNumbers(false);
    QVERIFY(load());
    QCOMPARE(songs->count(), SiteContent::Songs(u"nashe"_s, TodayText()).size());
    QVERIFY(songs->song(0).url.startsWith(u"https://"_s));
    songs->setMarked(0, true);
    songs->setMarked(2, true);
    QVERIFY(run());

    QCOMPARE(work->status(), u"Готово: скачано 2 файла"_s);
    for (const int row : {0, 2}) {
        const SongEntry &song = songs->song(row);
        QCOMPARE(ReadFile(stationFolder() + SongFileName(song, false)),
                 SiteContent::SongFile(u"nashe"_s, TodayText(), song.position));
    }
}

QTEST_GUILESS_MAIN(tst_Workflow)
#include "tst_workflow.moc"
