#include "chartsite.h"
#include "check.h"
#include "g.h"
#include "playlistmodel.h"
#include "readfile.h"
#include "sitecontent.h"
#include "songfiles.h"
#include "stationtable.h"
#include "uccalendar.h"
#include "windowfixture.h"
#include "xpb.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int Nashe = 5;

int SongFetches(const QStringList &requests)
{
    return int(std::count_if(requests.begin(), requests.end(),
                             [](const QString &r) { return r.startsWith(u"GET /songs/"_s); }));
}

} // namespace

class tst_WindowWorkflow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void savedStationLoadsAfterTheWindowShows();
    void pickingAStationListsItsSongs();
    void dateFromTheCalendarReloads();
    void songsInTheLibraryShowTheirFile();
    void marksOfARunGoAtMostOnceAFrame();
    void failedSongsLeaveNoFileAndStayMarked();
    void closingMidRunExitsPromptly();
    void calendarCannotReplaceTheListDuringARun();
    void calendarCannotReplaceTheListDuringTheStartUpLoad();
    void stoppingARun_data();
    void stoppingARun();
    void listKeepsItsGeometryThroughARun();
    void marksAreCounted();
    void runNamesItsFolder_data();
    void runNamesItsFolder();
    void progressTellsTheTruthWithSongsPresent();

private:
    void pickStation(int index) { QVERIFY(fx->pick(index)); }
    QString ItemText(int row) const { return window->Playlist->index(row, 0).data().toString(); }
    QString musicFolder() const { return fx->dir.filePath(u"music"_s) + QDir::separator(); }

    std::unique_ptr<ChartSite> site;
    std::unique_ptr<WindowFixture> fx;
    TestWindow *window = nullptr;
};

void tst_WindowWorkflow::init()
{
    site = std::make_unique<ChartSite>();
    // 14 songs: 13 with addresses, the 10th the same as the 2nd, the 9th none.
    site->setSongCount(14);
    QVERIFY(site->listen());
    fx = std::make_unique<WindowFixture>();
    QVERIFY(QDir(fx->dir.path()).mkdir(u"music"_s));
    fx->writeSettings(site->hostAndPort());
    window = fx->createWindow();
    QVERIFY(fx->load());
}

void tst_WindowWorkflow::cleanup()
{
    fx.reset();
    site.reset();
}

void tst_WindowWorkflow::savedStationLoadsAfterTheWindowShows()
{
    fx->writeSettings(site->hostAndPort(), {{u"Station"_s, u"5"_s}});
    QElapsedTimer clock;
    clock.start();
    window = fx->createWindow();
    window->Load();
    window->show();
    QCOMPARE(window->Combo1->currentIndex(), Nashe);
    QCOMPARE(window->SongCount(), 0);
    QVERIFY(site->requests().isEmpty());
    QTRY_VERIFY(window->SongCount() > 0);
    QVERIFY(clock.elapsed() >= 450);
    QCOMPARE(site->requests().value(0), u"GET /nashe/history/"_s + WindowFixture::today() + u'/');
}

void tst_WindowWorkflow::pickingAStationListsItsSongs()
{
    pickStation(Nashe);
    const QList<SiteContent::Song> songs =
        SiteContent::Songs(u"nashe"_s, WindowFixture::today(), 14);
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

void tst_WindowWorkflow::dateFromTheCalendarReloads()
{
    pickStation(Nashe);
    QTest::mouseClick(window->Text1, Qt::LeftButton);
    QVERIFY(window->Cal->isVisible());
    // It opens on the date in the box; a day to the left is yesterday.
    QCOMPARE(window->Cal->ActiveDate(), WindowFixture::today());
    const QString yesterday = QDate::currentDate().addDays(-1).toString(u"dd.MM.yyyy"_s);
    window->Cal->setFocus();
    QTest::keyClick(window->Cal, Qt::Key_Left);
    QCOMPARE(window->Text1->text(), yesterday);
    QVERIFY(window->Cal->isHidden());
    QVERIFY(fx->waitForWork());
    QCOMPARE(site->requests().last(), u"GET /nashe/history/"_s + yesterday + u'/');
    QCOMPARE(window->SongCount(), SiteContent::Songs(u"nashe"_s, yesterday, 14).size());
    QCOMPARE(window->st->text().left(8), u"Найдено "_s);
}

void tst_WindowWorkflow::songsInTheLibraryShowTheirFile()
{
    const QString earlier = musicFolder() + u"Наше Радио/01.12.2026/"_s;
    QVERIFY(QDir().mkpath(earlier));
    QFile file(earlier + u"0042 ACDC - Back In Black.mp3"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    window->Text2->setText(musicFolder());
    pickStation(Nashe);
    const QModelIndex third = window->Playlist->index(2, 0);
    QCOMPARE(third.data(Qt::ToolTipRole).toString(),
             u"Уже есть: "_s + QDir::toNativeSeparators(file.fileName()));
    // Its own mark; the other rows keep room for one, blank.
    const auto picture = [](const QModelIndex &index) {
        return index.data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
    };
    const QImage blank = picture(window->Playlist->index(0, 0));
    QVERIFY(!blank.isNull());
    QVERIFY(picture(third) != blank);
    QCOMPARE(picture(window->Playlist->index(1, 0)), blank);
}

void tst_WindowWorkflow::marksOfARunGoAtMostOnceAFrame()
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
        QVERIFY(fx->startRun());
        // One change at the first song, one each frame (16 ms), one at the end.
        const qint64 frames = clock.elapsed() / 16;
        QVERIFY2(changes.count() <= frames + 2,
                 qPrintable(u"%1 changes in %2 ms"_s.arg(changes.count()).arg(clock.elapsed())));
        QCOMPARE(window->MarkedCount(), 1); // the song without an address
    }
}

void tst_WindowWorkflow::failedSongsLeaveNoFileAndStayMarked()
{
    site->setSongFault(2, ChartSite::Fault::Redirect);
    site->setSongFault(4, ChartSite::Fault::NotFound);
    site->setSongFault(5, ChartSite::Fault::Truncated);
    site->setSongFault(7, ChartSite::Fault::Silent);
    window->Check2->setValue(false);
    pickStation(Nashe);
    for (int i = 0; i < 9; ++i)
        window->SetMarked(i, true);
    window->Text2->setText(musicFolder());
    QVERIFY(fx->startRun());

    // Each row says how its song ended; the titles stay as they were.
    const QStringList tips = {u"Скачано"_s,
                              u"Скачано"_s,
                              u"Скачано"_s,
                              u"Сервер ответил 404"_s,
                              u"Ответ пришёл не весь"_s,
                              u"Скачано"_s,
                              u"Сервер не отвечает"_s,
                              u"Скачано"_s,
                              u"Нет адреса"_s};
    for (int row = 0; row < tips.size(); ++row) {
        const QModelIndex index = window->Playlist->index(row, 0);
        // A stored song's tip goes on with its size.
        QCOMPARE(index.data(Qt::ToolTipRole).toString().section(u',', 0, 0), tips[row]);
        QCOMPARE(index.data(Qt::DecorationRole).value<QIcon>().isNull(), false);
    }
    // Song 10 has the title of songs 1 and 2: it names the file of whichever came first.
    const QString twin = window->Playlist->index(9, 0).data(Qt::ToolTipRole).toString();
    QStringList twins;
    for (const int row : {0, 1})
        twins.append(u"Уже есть: "_s +
                     QDir::toNativeSeparators(musicFolder() + u"Наше Радио/"_s +
                                              SongFileName(window->Songs()[row], false)));
    QVERIFY2(twins.contains(twin), qPrintable(twin));
    QCOMPARE(ItemText(0), u"0001 "_s + window->Songs()[0].title);
    // The bar shows nothing once the run is over.
    QVERIFY(window->ImagPr->isHidden());
    QCOMPARE(window->PercLabel->text(), QString());

    const QString folder = musicFolder() + u"Наше Радио"_s + QDir::separator();
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files.size(), 5); // 1, 2 (after its redirect), 3, 6 and 8
    for (int position : {4, 5, 7}) {
        QVERIFY2(window->IsMarked(position - 1), qPrintable(QString::number(position)));
        QVERIFY(!files.join(u'|').contains(PositionText(position)));
    }
    QCOMPARE(ReadFile(folder + SongFileName(window->Songs()[1], false)),
             SiteContent::SongFile(u"nashe"_s, WindowFixture::today(), 2));
    QCOMPARE(window->st->text(), u"Готово: скачано 5, не скачано 3 (отметки остались)"_s);
    QVERIFY(window->Combo1->isEnabled());

    // The list's menu marks the failed songs again, and opens their folder.
    QMenu *menu = window->ListMenu();
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions[2]->text(), u"Отметить неудавшиеся"_s);
    actions[1]->trigger();
    QCOMPARE(window->MarkedCount(), 0);
    // Only the new ones: a song with the title of a stored one (10 has 2's) is
    // there too, whatever its number.
    QSet<QString> storedTitles;
    for (const int position : {1, 2, 3, 6, 8})
        storedTitles.insert(window->Songs()[position - 1].title);
    actions[3]->trigger();
    int fresh = 0;
    for (const SongEntry &song : window->Songs()) {
        const bool isNew = !song.url.isEmpty() && !storedTitles.contains(song.title);
        QVERIFY2(window->IsMarked(song.position - 1) == isNew, qPrintable(song.title));
        fresh += isNew ? 1 : 0;
    }
    QVERIFY(!window->IsMarked(9));
    QCOMPARE(window->List1->selectionModel()->selectedRows().size(), fresh);
    actions[1]->trigger();
    actions[2]->trigger();
    QCOMPARE(window->MarkedCount(), 3);
    for (int position : {4, 5, 7})
        QVERIFY(window->IsMarked(position - 1));
    actions[4]->trigger();
    QCOMPARE(fx->opened, QStringList{QUrl::fromLocalFile(folder).toString()});
    // Once the site behaves, a second run fetches just the three.
    site->clearFaults();
    site->clearRequests();
    QVERIFY(fx->startRun());
    QCOMPARE(SongFetches(site->requests()), 3);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 8);
}

void tst_WindowWorkflow::closingMidRunExitsPromptly()
{
    site->setSongFault(1, ChartSite::Fault::Silent);
    pickStation(Nashe);
    window->Check1->setValue(true);
    window->Text2->setText(musicFolder());
    QElapsedTimer clock;
    QTimer::singleShot(300, window, [this, &clock] {
        clock.start();
        window->close();
    });
    QVERIFY(fx->startRun());
    QVERIFY(clock.isValid());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    // The silent song left no part file; the others came whole meanwhile.
    const QString folder = musicFolder() + u"Наше Радио"_s + QDir::separator();
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(u".part"_s), QStringList());
    QVERIFY(window->IsMarked(0));
}

void tst_WindowWorkflow::calendarCannotReplaceTheListDuringARun()
{
    pickStation(Nashe);
    window->Check1->setValue(true);
    window->Text2->setText(musicFolder());
    // The calendar is open when the run starts from the keyboard behind it.
    QTest::mouseClick(window->Text1, Qt::LeftButton);
    QVERIFY(window->Cal->isVisible());
    bool calendarHidden = false;
    connect(site.get(), &ChartSite::requestSeen, window, [&](const QString &line) {
        if (!line.startsWith(u"GET /songs/"_s) || calendarHidden)
            return;
        calendarHidden = window->Cal->isHidden();
        // A day picked by key while a song arrives, and the date box clicked.
        QTest::keyClick(window->Cal, Qt::Key_Left);
        window->Text1_Click();
    });
    window->Command1->setFocus();
    QTest::keyClick(window->Command1, Qt::Key_Space);
    QVERIFY(fx->waitForWork());

    QVERIFY(calendarHidden);
    QVERIFY(window->Cal->isHidden());
    QCOMPARE(window->Text1->text(), WindowFixture::today());
    QCOMPARE(site->requests().filter(u"/history/"_s).size(), 1);
    QCOMPARE(window->SongCount(),
             SiteContent::Songs(u"nashe"_s, WindowFixture::today(), 14).size());
    QCOMPARE(window->MarkedCount(), 1); // the song without an address
    QVERIFY(window->Combo1->isEnabled());
    QVERIFY(window->Text1->isEnabled());
}

void tst_WindowWorkflow::calendarCannotReplaceTheListDuringTheStartUpLoad()
{
    fx->writeSettings(site->hostAndPort(), {{u"Station"_s, u"5"_s}});
    window = fx->createWindow();
    window->Load();
    window->show();
    // Opened before the start-up load begins, picked while it runs.
    QTest::mouseClick(window->Text1, Qt::LeftButton);
    QVERIFY(window->Cal->isVisible());
    connect(site.get(), &ChartSite::requestSeen, window,
            [&](const QString &) { QTest::keyClick(window->Cal, Qt::Key_Left); });
    QTRY_VERIFY(window->SongCount() > 0);
    QCOMPARE(window->Text1->text(), WindowFixture::today());
    QCOMPARE(site->requests(),
             QStringList{u"GET /nashe/history/"_s + WindowFixture::today() + u'/'});
    QCOMPARE(window->SongCount(),
             SiteContent::Songs(u"nashe"_s, WindowFixture::today(), 14).size());
}

void tst_WindowWorkflow::stoppingARun_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("parallel");
    QTest::newRow("click on Стоп") << u"click"_s << 1;
    QTest::newRow("Space on the focused button") << u"space"_s << 1;
    QTest::newRow("Escape in the window") << u"escape"_s << 1;
    QTest::newRow("four in flight") << u"click"_s << 4;
}

void tst_WindowWorkflow::stoppingARun()
{
    QFETCH(QString, how);
    QFETCH(int, parallel);
    QSettings(fx->settingsPath(), QSettings::IniFormat)
        .setValue(u"Main/Parallel"_s, QString::number(parallel));
    // Still arriving when stopped: song 2, or songs 2 to 5 when four go at once.
    const int lastSilent = parallel == 1 ? 2 : 5;
    for (int position = 2; position <= lastSilent; ++position)
        site->setSongFault(position, ChartSite::Fault::Silent);
    window->Check2->setValue(false);
    pickStation(Nashe);
    window->Check1->setValue(true);
    window->Text2->setText(musicFolder());
    QString captionDuringRun;
    connect(site.get(), &ChartSite::requestSeen, window, [&](const QString &line) {
        if (!line.endsWith(u"/%1.mp3"_s.arg(lastSilent)))
            return;
        captionDuringRun = window->Command1->Caption();
        QTimer::singleShot(50, window, [&] {
            if (how == u"click") {
                QTest::mouseClick(window->Command1, Qt::LeftButton);
            } else if (how == u"space") {
                window->Command1->setFocus();
                QTest::keyClick(window->Command1, Qt::Key_Space);
            } else {
                // Wherever the focus is: here on the list.
                window->List1->setFocus();
                QTest::keyClick(window->List1, Qt::Key_Escape);
            }
        });
    });
    QVERIFY(fx->startRun());

    QCOMPARE(captionDuringRun, u"Стоп"_s);
    QCOMPARE(window->st->text(), u"Остановлено: скачано 1 файл"_s);
    QCOMPARE(window->Command1->Caption(), u"Старт!"_s);
    QVERIFY(window->Command1->EnabledCtrl());
    QVERIFY(window->Combo1->isEnabled());
    QVERIFY(!window->IsMarked(0));
    for (int row = 1; row < lastSilent; ++row)
        QVERIFY(window->IsMarked(row));
    // Nothing asked after the stop, not even a silent song again.
    QCOMPARE(SongFetches(site->requests()), lastSilent);
    const QString folder = musicFolder() + u"Наше Радио"_s + QDir::separator();
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1); // no part file
}

void tst_WindowWorkflow::listKeepsItsGeometryThroughARun()
{
    window->Check2->setValue(false);
    pickStation(Nashe);
    window->Text2->setText(musicFolder());
    window->Check1->setValue(true);
    QListView *list = window->List1;
    const auto geometry = [list] {
        return QList<int>{list->visualRect(list->model()->index(0, 0)).height(),
                          list->verticalScrollBar()->isVisible(),
                          list->verticalScrollBar()->maximum(),
                          list->horizontalScrollBar()->isVisible(), list->viewport()->width()};
    };
    const QList<int> loaded = geometry();
    QVERIFY(fx->startRun());
    QCOMPARE(geometry(), loaded);
    // Every row is a line of text high, outcome or none.
    QCOMPARE(loaded[0], list->fontMetrics().height() + 2);
}

void tst_WindowWorkflow::marksAreCounted()
{
    pickStation(Nashe);
    const int songs = window->SongCount();
    // The tip and what assistive tools read, both.
    const auto told = [this] {
        return window->List1->toolTip() + u" | "_s + window->List1->accessibleDescription();
    };
    const auto twice = [](const QString &text) { return text + u" | "_s + text; };
    QCOMPARE(told(), twice(u"Отмечено 0 из %1"_s.arg(songs)));
    window->Check1->setValue(true);
    QCOMPARE(told(), twice(u"Отмечено %1 из %1"_s.arg(songs)));
    // A run's marks count too: the stored songs' marks go.
    window->Text2->setText(musicFolder());
    QVERIFY(fx->startRun());
    QCOMPARE(window->MarkedCount(), 1); // the song without an address
    QCOMPARE(told(), twice(u"Отмечено 1 из %1"_s.arg(songs)));
}

void tst_WindowWorkflow::runNamesItsFolder_data()
{
    QTest::addColumn<bool>("dayFolders");
    QTest::addColumn<bool>("desktopOpens");
    QTest::newRow("day folder") << true << true;
    QTest::newRow("no desktop to open it") << true << false;
}

void tst_WindowWorkflow::runNamesItsFolder()
{
    QFETCH(bool, dayFolders);
    QFETCH(bool, desktopOpens);
    window->Check3->setValue(dayFolders);
    pickStation(Nashe);
    window->Text2->setText(musicFolder());
    window->SetMarked(0, true);
    QVERIFY(fx->startRun());
    const QString folder = musicFolder() + u"Наше Радио"_s + QDir::separator() +
                           (dayFolders ? WindowFixture::today() + QDir::separator() : QString());
    const QString native = QDir::toNativeSeparators(folder);
    QCOMPARE(window->st->accessibleDescription(), u"Папка с песнями: "_s + native);
    QVERIFY2(window->st->toolTip().endsWith(u"Папка с песнями: "_s + native),
             qPrintable(window->st->toolTip()));
    fx->prompts->openAnswer = desktopOpens;
    window->ListMenu()->actions().at(4)->trigger();
    QCOMPARE(fx->opened, QStringList{QUrl::fromLocalFile(folder).toString()});
    QCOMPARE(fx->shown.size(), desktopOpens ? 0 : 1);
    if (!desktopOpens)
        QVERIFY2(fx->shown[0].text.endsWith(u'\n' + native), qPrintable(fx->shown[0].text));
    // The next load's status says nothing of that folder.
    pickStation(Nashe);
    QCOMPARE(window->st->toolTip(), QString());
}

void tst_WindowWorkflow::progressTellsTheTruthWithSongsPresent()
{
    // Five marked, three on disk: the two fetched slowly, side by side.
    site->setSongSize(32 * 1024, 32 * 1024);
    site->setRate(48 * 1024);
    window->Check2->setValue(false);
    pickStation(Nashe);
    window->Text2->setText(musicFolder());
    const QString folder = musicFolder() + u"Наше Радио/"_s;
    QVERIFY(QDir().mkpath(folder));
    for (const int row : {0, 2, 4}) {
        QFile file(folder + SongFileName(window->Songs()[row], false));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    for (int row = 0; row < 5; ++row)
        window->SetMarked(row, true);

    int bar = 0;
    int barAtFirstBytes = -1;
    QStringList statuses, rowFigures;
    Workflow *work = window->workflow();
    connect(work, &Workflow::progressChanged, window, [&](qint16 percent) { bar = percent; });
    connect(work, &Workflow::statusChanged, window, [&](const QString &text) { statuses << text; });
    connect(window->songs(), &QAbstractItemModel::dataChanged, window,
            [&](const QModelIndex &top, const QModelIndex &, const QList<int> &roles) {
                if (!roles.contains(SongList::TransferRole))
                    return;
                rowFigures << top.data(SongList::TransferRole).toString();
                if (barAtFirstBytes < 0)
                    barAtFirstBytes = bar;
            });
    QVERIFY(fx->startRun());

    // The songs on disk are none of the bar: it starts from nothing.
    QCOMPARE(barAtFirstBytes, 0);
    QVERIFY2(statuses.contains(u"Скачивается 2, готово 0 из 2"_s), qPrintable(statuses.join(u'|')));
    QVERIFY(!statuses.filter(QRegularExpression(u"^Скачивается .* КБ/с · осталось "_s)).isEmpty());
    // Each song in flight shows how far it has come; once stored, its size.
    QVERIFY(!rowFigures.filter(QRegularExpression(u"^[1-9][0-9]?%$"_s)).isEmpty());
    for (const int row : {1, 3})
        QCOMPARE(window->Playlist->index(row, 0).data(Qt::ToolTipRole).toString(),
                 u"Скачано, 32 КБ"_s);
}

QTEST_MAIN(tst_WindowWorkflow)
#include "tst_window_workflow.moc"
