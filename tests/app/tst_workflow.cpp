#include "check.h"
#include "playlistmodel.h"
#include "runreport.h"
#include "sitecontent.h"
#include "stationtable.h"
#include "uccalendar.h"
#include "workflowfixture.h"
#include "xpb.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int Nashe = 5;

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int SongFetches(const QStringList &requests)
{
    return int(std::count_if(requests.begin(), requests.end(),
                             [](const QString &r) { return r.startsWith(u"GET /songs/"_s); }));
}

} // namespace

class tst_Workflow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void savedStationLoadsAfterTheWindowShows();
    void pickingAStationListsItsSongs();
    void dateFromTheCalendarReloads();
    void runStoresMarkedSongs_data();
    void runStoresMarkedSongs();
    void secondRunFetchesNothing();
    void equalTitlesWithoutNumbersFetchOnce();
    void marksOfARunGoAtMostOnceAFrame();
    void failedSongsLeaveNoFileAndStayMarked();
    void closingMidRunExitsPromptly();
    void folderThatCannotBeMadeEndsTheRun();

private:
    void pickStation(int index);
    QString ItemText(int row) const { return window->Playlist->index(row, 0).data().toString(); }
    QString musicFolder() const { return fx->dir.filePath(u"music"_s) + QDir::separator(); }

    std::unique_ptr<WorkflowFixture> fx;
    Main *window = nullptr;
};

void tst_Workflow::init()
{
    fx = std::make_unique<WorkflowFixture>();
    QVERIFY(fx->start());
    QVERIFY(QDir(fx->dir.path()).mkdir(u"music"_s));
    fx->writeSettings({{u"LastUpdate"_s, WorkflowFixture::today()}});
    window = fx->createWindow();
    window->Load();
    window->show();
}

void tst_Workflow::cleanup()
{
    fx.reset();
}

void tst_Workflow::pickStation(int index)
{
    window->Combo1->setCurrentIndex(index);
    Q_EMIT window->Combo1->activated(index);
}

void tst_Workflow::savedStationLoadsAfterTheWindowShows()
{
    fx->writeSettings({{u"LastUpdate"_s, WorkflowFixture::today()}, {u"Station"_s, u"5"_s}});
    QElapsedTimer clock;
    clock.start();
    window = fx->createWindow();
    window->Load();
    window->show();
    QCOMPARE(window->Combo1->currentIndex(), Nashe);
    QCOMPARE(window->SongCount(), 0);
    QVERIFY(fx->site.requests().isEmpty());
    QTRY_VERIFY(window->SongCount() > 0);
    QVERIFY(clock.elapsed() >= 450);
    QCOMPARE(fx->site.requests().value(0),
             u"GET /nashe/history/"_s + WorkflowFixture::today() + u'/');
}

void tst_Workflow::pickingAStationListsItsSongs()
{
    pickStation(Nashe);
    const QList<SiteContent::Song> songs = SiteContent::Songs(u"nashe"_s, WorkflowFixture::today());
    QCOMPARE(window->SongCount(), songs.size());
    QCOMPARE(window->st->text(), u"Найдено %1 файлов"_s.arg(songs.size()));
    QCOMPARE(ItemText(2), u"0003 ACDC - Back In Black"_s);
    QCOMPARE(ItemText(4), u"0005 Каста & Баста - Вокруг шум"_s);
    QCOMPARE(ItemText(5), u"0006 Би-2 - &quot;Полковнику никто не пишет&quot;"_s);
    QCOMPARE(ItemText(6), u"0007 DJ Smash Live - 100 Волна"_s);
    QVERIFY(window->Songs()[8].url.isEmpty());
    QCOMPARE(window->MarkedCount(), 0);
    QVERIFY(window->Command1->EnabledCtrl());
    QCOMPARE(window->StationSlug(), u"nashe"_s);

    // The same again gives the same list, unmarked.
    window->Check1->setValue(true);
    pickStation(Nashe);
    QCOMPARE(window->SongCount(), songs.size());
    QCOMPARE(window->MarkedCount(), 0);
}

void tst_Workflow::dateFromTheCalendarReloads()
{
    pickStation(Nashe);
    QTest::mouseClick(window->Text1, Qt::LeftButton);
    QVERIFY(window->Cal->isVisible());
    // It opens on the date in the box; a day to the left is yesterday.
    QCOMPARE(window->Cal->ActiveDate(), WorkflowFixture::today());
    const QString yesterday = QDate::currentDate().addDays(-1).toString(u"dd.MM.yyyy"_s);
    window->Cal->setFocus();
    QTest::keyClick(window->Cal, Qt::Key_Left);
    QCOMPARE(window->Text1->text(), yesterday);
    QVERIFY(window->Cal->isHidden());
    QCOMPARE(fx->site.requests().last(), u"GET /nashe/history/"_s + yesterday + u'/');
    QCOMPARE(window->SongCount(), SiteContent::Songs(u"nashe"_s, yesterday).size());
    QCOMPARE(window->st->text().left(8), u"Найдено "_s);
}

void tst_Workflow::runStoresMarkedSongs_data()
{
    QTest::addColumn<bool>("noNumbers");
    QTest::addColumn<bool>("byDate");
    QTest::newRow("numbered") << false << false;
    QTest::newRow("not numbered") << true << false;
    QTest::newRow("numbered, by date") << false << true;
}

void tst_Workflow::runStoresMarkedSongs()
{
    QFETCH(bool, noNumbers);
    QFETCH(bool, byDate);
    window->Check2->setValue(noNumbers);
    window->Check3->setValue(byDate);
    pickStation(Nashe);
    window->Check1->setValue(true);
    window->Text2->setText(musicFolder());
    window->Command1_Click();

    QString folder = musicFolder() + u"Наше Радио"_s + QDir::separator();
    if (byDate)
        folder += WorkflowFixture::today() + QDir::separator();
    const QList<SongEntry> &songs = window->Songs();
    QHash<QString, int> firstWithTitle;
    int stored = 0;
    for (const SongEntry &song : songs) {
        const bool marked = window->IsMarked(song.position - 1);
        if (song.url.isEmpty()) {
            QVERIFY(marked);
            continue;
        }
        QVERIFY(!marked);
        // Songs may share a title (10 repeats 2): without numbers the later ones
        // find the first one's file and are not fetched.
        if (noNumbers && firstWithTitle.contains(song.title))
            continue;
        firstWithTitle.insert(song.title, song.position);
        const QString name =
            (noNumbers ? QString() : PositionText(song.position) + u' ') + song.title + u".mp3"_s;
        QCOMPARE(ReadFile(folder + name),
                 SiteContent::SongFile(u"nashe"_s, WorkflowFixture::today(), song.position));
        ++stored;
    }
    QCOMPARE(SongFetches(fx->site.requests()), stored);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), stored);
    QCOMPARE(window->st->text(), u"Готово: скачано %1 %2"_s.arg(stored).arg(FilesWord(stored)));
    QVERIFY(window->Combo1->isEnabled());
    QCOMPARE(fx->stored(u"Path"_s), musicFolder());
}

void tst_Workflow::secondRunFetchesNothing()
{
    window->Check2->setValue(false);
    pickStation(Nashe);
    window->Check1->setValue(true);
    window->Text2->setText(musicFolder());
    window->Command1_Click();
    const int first = SongFetches(fx->site.requests());
    QCOMPARE(first, window->SongCount() - 1);

    window->Check1->setValue(true);
    window->Command1_Click();
    QCOMPARE(SongFetches(fx->site.requests()), first);
    QCOMPARE(window->MarkedCount(), 1); // the song without an address
}

void tst_Workflow::equalTitlesWithoutNumbersFetchOnce()
{
    window->Check2->setValue(true);
    pickStation(Nashe);
    QCOMPARE(window->Songs()[1].title, window->Songs()[9].title);
    window->SetMarked(1, true);
    window->SetMarked(9, true);
    window->Text2->setText(musicFolder());
    window->Command1_Click();
    const QStringList songRequests = fx->site.requests().filter(u"GET /songs/"_s);
    QCOMPARE(songRequests,
             QStringList{u"GET /songs/nashe/%1/2.mp3"_s.arg(WorkflowFixture::today())});
    QVERIFY(!window->IsMarked(9));
}

void tst_Workflow::marksOfARunGoAtMostOnceAFrame()
{
    window->Check2->setValue(false);
    pickStation(Nashe);
    window->Text2->setText(musicFolder());
    // The first run fetches every song, the second finds each on disk at once.
    for (int run = 0; run < 2; ++run) {
        window->Check1->setValue(true);
        QSignalSpy changes(window->List1->selectionModel(), &QItemSelectionModel::selectionChanged);
        QElapsedTimer clock;
        clock.start();
        window->Command1_Click();
        // One change at the first song, one each frame (16 ms), one at the end.
        const qint64 frames = clock.elapsed() / 16;
        QVERIFY2(changes.count() <= frames + 2,
                 qPrintable(u"%1 changes in %2 ms"_s.arg(changes.count()).arg(clock.elapsed())));
        QCOMPARE(window->MarkedCount(), 1); // the song without an address
    }
}

void tst_Workflow::failedSongsLeaveNoFileAndStayMarked()
{
    fx->site.setSongFault(2, ChartSite::Fault::Redirect);
    fx->site.setSongFault(4, ChartSite::Fault::NotFound);
    fx->site.setSongFault(5, ChartSite::Fault::Truncated);
    fx->site.setSongFault(7, ChartSite::Fault::Silent);
    window->Check2->setValue(false);
    pickStation(Nashe);
    for (int i = 0; i < 7; ++i)
        window->SetMarked(i, true);
    window->Text2->setText(musicFolder());
    window->Command1_Click();

    const QString folder = musicFolder() + u"Наше Радио"_s + QDir::separator();
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files.size(), 4); // 1, 2 (after its redirect), 3 and 6
    for (int position : {4, 5, 7}) {
        QVERIFY2(window->IsMarked(position - 1), qPrintable(QString::number(position)));
        QVERIFY(!files.join(u'|').contains(PositionText(position)));
    }
    QCOMPARE(ReadFile(folder + u"0002 "_s + window->Songs()[1].title + u".mp3"_s),
             SiteContent::SongFile(u"nashe"_s, WorkflowFixture::today(), 2));
    QCOMPARE(window->st->text(), u"Готово: скачано 4 файла, не скачано 3"_s);
    QVERIFY(window->Combo1->isEnabled());

    // Once the site behaves, a second run fetches just the three.
    fx->site.clearFaults();
    fx->site.clearRequests();
    window->Command1_Click();
    QCOMPARE(SongFetches(fx->site.requests()), 3);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 7);
}

void tst_Workflow::closingMidRunExitsPromptly()
{
    fx->site.setSongFault(1, ChartSite::Fault::Silent);
    pickStation(Nashe);
    window->Check1->setValue(true);
    window->Text2->setText(musicFolder());
    QElapsedTimer clock;
    QTimer::singleShot(300, window, [this, &clock] {
        clock.start();
        window->close();
    });
    window->Command1_Click();
    QVERIFY(clock.isValid());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    const QString folder = musicFolder() + u"Наше Радио"_s + QDir::separator();
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(SongFetches(fx->site.requests()), 1);
}

void tst_Workflow::folderThatCannotBeMadeEndsTheRun()
{
    pickStation(Nashe);
    window->Check1->setValue(true);
    // A file where the station's folder should go.
    QFile blocker(musicFolder() + u"Наше Радио"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    window->Text2->setText(musicFolder());
    window->Command1_Click();
    QVERIFY(window->st->text().startsWith(u"Не удалось создать каталог "_s));
    QCOMPARE(SongFetches(fx->site.requests()), 0);
    QVERIFY(window->Combo1->isEnabled());
    QVERIFY(window->Command1->EnabledCtrl());
}

QTEST_MAIN(tst_Workflow)
#include "tst_workflow.moc"
