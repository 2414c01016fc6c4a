#include "g.h"
#include "mainwindow.h"
#include "uccalendar.h"
#include "windowfixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The date box and its calendar: a click opens the calendar, a date picked in
// it goes into the box and closes it.
class tst_WindowCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void calendarComesFromTheSavedDesign();
    void clickOnTheDateBoxShowsTheCalendar();
    void pickingADayFillsTheDateBox_data();
    void pickingADayFillsTheDateBox();
    void keysAndMonthButtonsPickToo();
    void lockedDateBoxKeepsTheCalendarShut();
    void keysInTheDateBox_data();
    void keysInTheDateBox();
    void closingGivesTheFocusBack_data();
    void closingGivesTheFocusBack();

private:
    void OpenCalendar();

    std::unique_ptr<WindowFixture> fx;
    TestWindow *window = nullptr;
};

void tst_WindowCalendar::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void tst_WindowCalendar::init()
{
    fx = std::make_unique<WindowFixture>();
    fx->writeSettings(u"127.0.0.1:9"_s); // never asked: the day's update check is done
    window = fx->createWindow();
    window->Load();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void tst_WindowCalendar::cleanup()
{
    fx.reset();
}

void tst_WindowCalendar::OpenCalendar()
{
    QTest::mouseClick(window->Text1, Qt::LeftButton);
    QVERIFY(window->Cal->isVisible());
}

void tst_WindowCalendar::calendarComesFromTheSavedDesign()
{
    ucCalendar *cal = window->Cal;
    QCOMPARE(cal->geometry(), QRect(8, 8, 322, 224));
    QCOMPARE(cal->ActiveDate(), u"18.06.2014"_s);
    QCOMPARE(cal->LineStyle(), 3);
    QCOMPARE(cal->BorderStyle(), 0);
    QCOMPARE(cal->FirstDayOfWeek(), 2);
    QVERIFY(cal->ActiveDayFont().bold());
    QVERIFY(!cal->Font().bold());
    QCOMPARE(cal->Geometry().CellWidth(), 46);
    QCOMPARE(cal->Geometry().CellHeight(), 31);
    QVERIFY(cal->RunMode());
}

void tst_WindowCalendar::clickOnTheDateBoxShowsTheCalendar()
{
    QVERIFY(window->Cal->isHidden());
    OpenCalendar();
    // It opens on the box's date; nothing was picked, so the box keeps it.
    QCOMPARE(window->Text1->text(), QDate::currentDate().toString(u"dd.MM.yyyy"_s));
    QCOMPARE(window->Cal->ActiveDate(), window->Text1->text());
    QCOMPARE(window->Cal->size(), QSize(322, 224));
}

void tst_WindowCalendar::pickingADayFillsTheDateBox_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("date");
    // June 2014, Monday first: 26-31 May lead, 1-6 July trail.
    QTest::newRow("a June day") << 32 << u"20.06.2014"_s;
    QTest::newRow("grey day of May") << 12 << u"31.05.2014"_s;
    QTest::newRow("grey day of July") << 43 << u"01.07.2014"_s;
}

void tst_WindowCalendar::pickingADayFillsTheDateBox()
{
    QFETCH(int, cell);
    QFETCH(QString, date);
    window->Text1->setText(u"18.06.2014"_s);
    OpenCalendar();
    ucCalendar *cal = window->Cal;
    QTest::mouseClick(cal, Qt::LeftButton, {}, cal->Geometry().DayCell(cell).center());
    QCOMPARE(window->Text1->text(), date);
    QVERIFY(cal->isHidden());
    QCOMPARE(cal->ActiveDate(), date);

    // Opened again, it shows the month of the date picked.
    OpenCalendar();
    QCOMPARE(cal->Model().DisplayMonth(), CalendarModel::ParseDate(date).month());
}

void tst_WindowCalendar::keysAndMonthButtonsPickToo()
{
    window->Text1->setText(u"18.06.2014"_s);
    OpenCalendar();
    ucCalendar *cal = window->Cal;
    // No station chosen: a pick fills the box and asks the network nothing.
    QSignalSpy connections(window->G, &G::log);
    QTest::keyClick(cal, Qt::Key_Left);
    QCOMPARE(window->Text1->text(), u"17.06.2014"_s);
    QVERIFY(connections.isEmpty());
    QVERIFY(cal->isHidden());

    OpenCalendar();
    QTest::mouseClick(cal, Qt::LeftButton, {}, cal->Geometry().PreviousButton().center());
    QCOMPARE(window->Text1->text(), u"17.05.2014"_s);
    QVERIFY(cal->isHidden());
}

void tst_WindowCalendar::lockedDateBoxKeepsTheCalendarShut()
{
    window->Text1->setFocus();
    window->EnableInputs(false);
    QTest::mouseClick(window->Text1, Qt::LeftButton);
    QVERIFY(window->Cal->isHidden());
    // Locked, the box lost the focus; unlocked, it has it back.
    QVERIFY(!window->Text1->hasFocus());
    window->EnableInputs(true);
    QVERIFY(window->Text1->hasFocus());
    // Unless the user took the focus elsewhere meanwhile.
    window->EnableInputs(false);
    window->Text2->setFocus();
    window->EnableInputs(true);
    QVERIFY(window->Text2->hasFocus());
    OpenCalendar();
}

void tst_WindowCalendar::keysInTheDateBox_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("opens");
    const Qt::KeyboardModifiers none;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << true;
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << none << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << true;
    QTest::newRow("F4") << int(Qt::Key_F4) << none << true;
    QTest::newRow("Alt+Down") << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::AltModifier)
                              << true;
    QTest::newRow("Down alone") << int(Qt::Key_Down) << none << false;
    QTest::newRow("Ctrl+Space") << int(Qt::Key_Space) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                << false;
}

void tst_WindowCalendar::keysInTheDateBox()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, opens);
    window->Text1->setText(u"09.03.2021"_s);
    window->Text1->setFocus();
    QTest::keyClick(window->Text1, Qt::Key(key), modifiers);
    QCOMPARE(window->Cal->isVisible(), opens);
    // Open, the calendar has the focus and the box's date.
    QCOMPARE(QApplication::focusWidget() == window->Cal, opens);
    QCOMPARE(window->Cal->ActiveDate() == u"09.03.2021", opens);
}

void tst_WindowCalendar::closingGivesTheFocusBack_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("date"); // empty: still open
    QTest::newRow("Escape closes without a pick") << int(Qt::Key_Escape) << u"18.06.2014"_s;
    QTest::newRow("a day picked with Up") << int(Qt::Key_Up) << u"11.06.2014"_s;
    QTest::newRow("Space is not the calendar's") << int(Qt::Key_Space) << u""_s;
}

void tst_WindowCalendar::closingGivesTheFocusBack()
{
    QFETCH(int, key);
    QFETCH(QString, date);
    window->Text1->setText(u"18.06.2014"_s);
    OpenCalendar(); // by mouse: the calendar takes the focus all the same
    QCOMPARE(QApplication::focusWidget(), window->Cal);
    QTest::keyClick(window->Cal, Qt::Key(key));
    QCOMPARE(window->Cal->isHidden(), !date.isEmpty());
    QCOMPARE(QApplication::focusWidget(),
             date.isEmpty() ? static_cast<QWidget *>(window->Cal) : window->Text1);
    if (!date.isEmpty())
        QCOMPARE(window->Text1->text(), date);
}

QTEST_MAIN(tst_WindowCalendar)
#include "tst_window_calendar.moc"
