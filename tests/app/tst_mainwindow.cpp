#include "check.h"
#include "folderstart.h"
#include "mainwindow.h"
#include "playlistmodel.h"
#include "progressbox.h"
#include "runreport.h"
#include "stationtable.h"
#include "uccalendar.h"
#include "windowfixture.h"
#include "xpb.h"

#include <QAccessible>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_MainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUpState();
    void enableInputsLocksExactlyTheFourInputs();
    void markAllMarksEverySong();
    void markAllWhileTickedStillMarksEverySong();
    void unmarkingASongClearsMarkAll();
    void markingASongNeverTicksMarkAll();
    void progressReadout_data();
    void progressReadout();
    void startWithMissingFolderOnlyWarns();
    void folderChooser_data();
    void folderChooser();
    void chooserOpensAt_data();
    void chooserOpensAt();
    void dateBoxOpensCalendar();
    void stationListIsFlatGrey();
    void statusTextsFitTheLine_data();
    void statusTextsFitTheLine();

private:
    void fillList(int count);

    std::unique_ptr<WindowFixture> fx;
    TestWindow *window = nullptr;
};

void tst_MainWindow::init()
{
    fx = std::make_unique<WindowFixture>();
    fx->writeSettings(u"127.0.0.1:9"_s); // never asked: the day's update check is done
    window = fx->createWindow();
    window->Load();
}

void tst_MainWindow::cleanup()
{
    fx.reset();
}

void tst_MainWindow::fillList(int count)
{
    QList<SongEntry> songs;
    for (int i = 1; i <= count; ++i)
        songs.append({i, u"Artist - Song"_s, u"http://127.0.0.1/"_s});
    window->songs()->setSongs(songs);
}

void tst_MainWindow::startUpState()
{
    QVERIFY(window->windowTitle().startsWith(u"Tunetrawl v 1.1"_s));
    QCOMPARE(window->Combo1->count(), 7);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(window->Combo1->itemText(i), StationTable()[i].name);
    QCOMPARE(window->Combo1->itemText(0), u"Радио Европа Плюс"_s);
    QCOMPARE(window->Combo1->itemText(6), u"Радио Шансон"_s);
    QCOMPARE(window->Combo1->currentIndex(), -1);
    QCOMPARE(window->Text1->text(), QDate::currentDate().toString(u"dd.MM.yyyy"_s));
    QVERIFY(!window->Command1->EnabledCtrl());
    QVERIFY(window->XpB1->EnabledCtrl());
    QCOMPARE(window->st->text(), u"Выберите радиостанцию"_s);
    QCOMPARE(window->Text2->text(), u"Выберите каталог для сохранения"_s);
    QVERIFY(window->Cal->isHidden());
    QVERIFY(window->ImagPr->isHidden());
    QCOMPARE(window->size(), QSize(337, 299));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(window->StationSlug().isEmpty());
}

void tst_MainWindow::enableInputsLocksExactlyTheFourInputs()
{
    window->EnableInputs(true);
    window->EnableInputs(false);
    QVERIFY(!window->Text1->isEnabled());
    QVERIFY(!window->Command1->EnabledCtrl());
    QVERIFY(!window->Combo1->isEnabled());
    QVERIFY(!window->XpB1->EnabledCtrl());
    for (QWidget *w : std::initializer_list<QWidget *>{window->List1, window->Check1,
                                                       window->Check2, window->Check3, window->Cal})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));

    window->EnableInputs(true);
    QVERIFY(window->Text1->isEnabled());
    QVERIFY(window->Command1->EnabledCtrl());
    QVERIFY(window->Combo1->isEnabled());
    QVERIFY(window->XpB1->EnabledCtrl());
}

void tst_MainWindow::markAllMarksEverySong()
{
    fillList(25);
    window->Check1->setValue(true);
    QCOMPARE(window->MarkedCount(), 25);
    QVERIFY(window->Check1->Value());
}

void tst_MainWindow::markAllWhileTickedStillMarksEverySong()
{
    fillList(5);
    window->Check1->setValue(true);
    window->SetMarked(2, false);
    window->Check1->setValue(true);
    // A click on a ticked box unticks it, and still marks everything.
    window->Check1->setValue(false);
    QCOMPARE(window->MarkedCount(), 5);
}

void tst_MainWindow::unmarkingASongClearsMarkAll()
{
    fillList(5);
    window->Check1->setValue(true);
    QVERIFY(window->Check1->Value());
    window->List1->show();
    const QRect third = window->List1->visualRect(window->Playlist->index(2, 0));
    QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {}, third.center());
    QVERIFY(!window->IsMarked(2));
    QVERIFY(!window->Check1->Value());
    QCOMPARE(window->MarkedCount(), 4);

    // Marks cleared by the program count as clicks too.
    window->Check1->setValue(true);
    window->List1->selectionModel()->setCurrentIndex(window->Playlist->index(4, 0),
                                                     QItemSelectionModel::NoUpdate);
    window->SetMarked(4, false);
    QVERIFY(!window->Check1->Value());
}

void tst_MainWindow::markingASongNeverTicksMarkAll()
{
    fillList(3);
    window->List1->show();
    for (int i = 0; i < 3; ++i) {
        const QRect r = window->List1->visualRect(window->Playlist->index(i, 0));
        QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {}, r.center());
    }
    QCOMPARE(window->MarkedCount(), 3);
    QVERIFY(!window->Check1->Value());
}

void tst_MainWindow::progressReadout_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("barShown");
    QTest::addColumn<int>("barWidth");
    QTest::addColumn<int>("toldTools"); // the value assistive tools read

    const int full = 321;
    QTest::newRow("100 fills the bar") << 100 << u"100%"_s << true << full << 100;
    QTest::newRow("101 clears") << 101 << u""_s << false << -1 << 0;
    QTest::newRow("0 clears") << 0 << u""_s << false << -1 << 0;
    QTest::newRow("50") << 50 << u"50%"_s << true << 160 << 50;
    QTest::newRow("1") << 1 << u"1%"_s << true << 3 << 1;
    QTest::newRow("120 clears") << 120 << u""_s << false << -1 << 0;
}

void tst_MainWindow::progressReadout()
{
    QFETCH(int, percent);
    QFETCH(QString, text);
    QFETCH(bool, barShown);
    QFETCH(int, barWidth);
    QFETCH(int, toldTools);

    window->G_PercentOfLoad(37); // something fx->shown before
    window->G_PercentOfLoad(qint16(percent));
    // The read-out follows within a frame.
    QTRY_COMPARE(window->PercLabel->text(), text);
    QCOMPARE(window->PercLabel2->text(), text);
    QCOMPARE(!window->ImagPr->isHidden(), barShown);
    if (barShown)
        QCOMPARE(window->ImagPr->width(), barWidth);
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(window->Progress);
    QCOMPARE(bar->role(), QAccessible::ProgressBar);
    QCOMPARE(bar->valueInterface()->currentValue().toInt(), toldTools);
}

void tst_MainWindow::startWithMissingFolderOnlyWarns()
{
    window->EnableInputs(true);
    window->Text2->setText(u"/no/such/folder/"_s);
    window->Command1_Click();
    QCOMPARE(fx->shown.size(), 1);
    QCOMPARE(fx->shown[0].kind, u"information"_s);
    QCOMPARE(fx->shown[0].title, u"Внимание!"_s);
    QCOMPARE(fx->shown[0].text, u"Не выбран или не существует каталог для сохранения!"_s);
    QVERIFY(window->Combo1->isEnabled());
    QVERIFY(window->Command1->EnabledCtrl());
}

void tst_MainWindow::folderChooser_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    const QString placeholder = u"Выберите каталог для сохранения"_s;
    const QString sep = QDir::separator();
    QTest::newRow("cancel keeps text") << u""_s << placeholder;
    QTest::newRow("folder gets separator") << u"/tmp/music"_s << u"/tmp/music"_s + sep;
    QTest::newRow("root keeps one separator") << u"/"_s << u"/"_s;
}

void tst_MainWindow::folderChooser()
{
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    fx->prompts->folderAnswer = answer;
    window->XpB1_Click();
    QCOMPARE(fx->shown.size(), 1);
    QCOMPARE(fx->shown[0].title, u"Выберите каталог для сохранения файлов"_s);
    QCOMPARE(window->Text2->text(), expected);
}

void tst_MainWindow::chooserOpensAt_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("musicExists");
    QTest::addColumn<QString>("expected");
    QTest::newRow("the folder in the box") << u"box"_s << true << u"box"_s;
    QTest::newRow("a file in the box: music") << u"file"_s << true << u"music"_s;
    QTest::newRow("gone folder, no music: home") << u"gone"_s << false << u"home"_s;
}

void tst_MainWindow::chooserOpensAt()
{
    QFETCH(QString, box);
    QFETCH(bool, musicExists);
    QFETCH(QString, expected);
    QDir root(fx->dir.path());
    QVERIFY(root.mkpath(u"box"_s) && root.mkpath(u"home"_s));
    QVERIFY(!musicExists || root.mkpath(u"music"_s));
    QVERIFY(QFile(root.filePath(u"file"_s)).open(QIODevice::WriteOnly));
    QCOMPARE(
        FolderChooserStart(root.filePath(box), root.filePath(u"music"_s), root.filePath(u"home"_s)),
        root.filePath(expected));
    // The window asks the chooser to open there.
    window->Text2->setText(root.filePath(box));
    window->XpB1_Click();
    QCOMPARE(fx->prompts->folderStart == root.filePath(box), expected == u"box");
}

void tst_MainWindow::dateBoxOpensCalendar()
{
    window->show();
    QVERIFY(window->Cal->isHidden());
    QTest::mouseClick(window->Text1, Qt::LeftButton);
    QVERIFY(window->Cal->isVisible());
}

void tst_MainWindow::stationListIsFlatGrey()
{
    // Flat like the date box beside it, top to bottom; the arrow is still there.
    const QImage shot = window->Combo1->grab().toImage();
    const int w = shot.width();
    const int h = shot.height();
    for (const int y : {3, h / 2, h - 4})
        QCOMPARE(shot.pixelColor(10, y), QColor(238, 238, 238));
    int dark = 0;
    for (int y = 0; y < h; ++y)
        for (int x = w - 20; x < w; ++x)
            dark += qGray(shot.pixel(x, y)) < 128;
    QVERIFY(dark > 3);
}

void tst_MainWindow::statusTextsFitTheLine_data()
{
    QTest::addColumn<QString>("text");
    // The longest the program says of its own, with the longest station name.
    QTest::newRow("loading") << u"Получение плейлиста Радио Европа Плюс за 07.12.2026"_s;
    QTest::newRow("load failed") << u"Плейлист Радио Европа Плюс за 07.12.2026 не получен"_s;
    QTest::newRow("run with failures") << RunReport({999, 999, 999, false});
    QTest::newRow("nothing stored") << RunReport({999, 0, 999, false});
    QTest::newRow("stopped") << RunReport({999, 999, 0, true});
    QTest::newRow("nothing marked") << RunReport({0, 0, 0, false});
    QTest::newRow("run going")
        << u"Скачивается 8, готово 990 из 999 · 999 КБ/с · осталось 59 мин"_s;
}

void tst_MainWindow::statusTextsFitTheLine()
{
    QFETCH(QString, text);
    QVERIFY2(window->st->fontMetrics().horizontalAdvance(text) <=
                 window->st->contentsRect().width(),
             qPrintable(text));
    // What does not fit is cut at its end, never at both.
    window->st->setText(text + text);
    QVERIFY(window->st->shownText().startsWith(text.left(20)));
    QVERIFY(window->st->shownText().endsWith(u'…'));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
