#include "calendargeometry.h"

#include <QTest>

// Layout, snapping and hit testing, from sizes and flags alone.
class tst_CalendarGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mainWindowCalendarHasWholeCells();
    void snappingGivesBackTheLastTrim();
    void snapKeepsSizesOfWholeCells_data();
    void snapKeepsSizesOfWholeCells();
    void borderMovesTitleAndButtons();
    void weekNumbersAddAColumn();
    void cornerCellVanishesWithoutWeekDays();
    void hitTest_data();
    void hitTest();
    void menuAreasComeBeforeButtons();

private:
    static CalendarGeometry::Flags MainWindowFlags()
    {
        CalendarGeometry::Flags flags;
        flags.lineStyle = 3;
        return flags;
    }
};

void tst_CalendarGeometry::mainWindowCalendarHasWholeCells()
{
    const CalendarGeometry g(QSize(322, 224), MainWindowFlags());
    QCOMPARE(g.CellWidth(), 46);
    QCOMPARE(g.CellHeight(), 31);
    QCOMPARE(g.HeaderHeight(), 38);
    QCOMPARE(g.DayCell(7), QRect(0, 38, 46, 31));
    QCOMPARE(g.DayCell(48), QRect(276, 193, 46, 31));
    QCOMPARE(g.WeekDayCell(6), QRect(276, 19, 46, 19));
    QCOMPARE(g.TitleBar(), QRect(0, 0, 322, 19));
    QCOMPARE(g.NextButton(), CalendarGeometry::Box(305, 2, 320, 17));

    const CalendarGeometry::Snap snap =
        CalendarGeometry::SnapSize(QSize(322, 224), 0, 0, MainWindowFlags());
    QCOMPARE(snap.snapped, QSize(322, 224));
    QCOMPARE(snap.trimWidth, 0);
    QCOMPARE(snap.trimHeight, 0);
}

void tst_CalendarGeometry::snappingGivesBackTheLastTrim()
{
    const CalendarGeometry::Flags flags = MainWindowFlags();
    const CalendarGeometry::Snap first = CalendarGeometry::SnapSize(QSize(330, 233), 0, 0, flags);
    QCOMPARE(first.snapped, QSize(329, 230));
    QCOMPARE(first.trimWidth, 1);
    QCOMPARE(first.trimHeight, 3);

    const CalendarGeometry::Snap second =
        CalendarGeometry::SnapSize(QSize(335, 240), first.trimWidth, first.trimHeight, flags);
    QCOMPARE(second.restored, QSize(336, 243));
    QCOMPARE(second.trimWidth, 0);
    QCOMPARE(second.trimHeight, 1);
    QCOMPARE(second.snapped, QSize(336, 242));

    // Snapping a snapped size again changes nothing.
    const CalendarGeometry::Snap again =
        CalendarGeometry::SnapSize(second.snapped, second.trimWidth, second.trimHeight, flags);
    QCOMPARE(again.snapped, second.snapped);
}

void tst_CalendarGeometry::snapKeepsSizesOfWholeCells_data()
{
    QTest::addColumn<int>("border");
    QTest::addColumn<bool>("showMonth");
    QTest::addColumn<bool>("showWeekDays");
    QTest::addColumn<bool>("weekNumbers");
    QTest::newRow("plain") << 0 << true << true << false;
    QTest::newRow("2-pixel border and week numbers") << 2 << true << true << true;
    QTest::newRow("1-pixel border, no title") << 1 << false << true << false;
    QTest::newRow("no headers") << 0 << false << false << true;
}

void tst_CalendarGeometry::snapKeepsSizesOfWholeCells()
{
    QFETCH(int, border);
    QFETCH(bool, showMonth);
    QFETCH(bool, showWeekDays);
    QFETCH(bool, weekNumbers);
    CalendarGeometry::Flags flags;
    flags.borderWidth = border;
    flags.showMonth = showMonth;
    flags.showWeekDays = showWeekDays;
    flags.showWeekNumber = weekNumbers;
    for (int w = 150; w < 170; ++w) {
        for (int h = 120; h < 135; ++h) {
            const QSize snapped = CalendarGeometry::SnapSize(QSize(w, h), 0, 0, flags).snapped;
            const CalendarGeometry g(snapped, flags);
            QCOMPARE(snapped.width(), 2 * border + g.WeekNumberColumn() + 7 * g.CellWidth());
            QCOMPARE(snapped.height(), 2 * border + g.HeaderHeight() + 6 * g.CellHeight());
            QVERIFY(w - snapped.width() < 7 && h - snapped.height() < 6);
        }
    }
}

void tst_CalendarGeometry::borderMovesTitleAndButtons()
{
    CalendarGeometry::Flags flags;
    flags.borderWidth = 2;
    const CalendarGeometry g(QSize(214, 162), flags);
    QCOMPARE(g.TitleBar().topLeft(), QPoint(2, 2));
    QCOMPARE(g.PreviousButton(), CalendarGeometry::Box(4, 4, 19, 19));
    QCOMPARE(g.NextButton(), CalendarGeometry::Box(195, 4, 210, 19));
    QCOMPARE(g.DayCell(7).topLeft(), QPoint(2, 40));
}

void tst_CalendarGeometry::weekNumbersAddAColumn()
{
    CalendarGeometry::Flags flags = MainWindowFlags();
    flags.showWeekNumber = true;
    const CalendarGeometry g(QSize(322 + 24, 224), flags);
    QCOMPARE(g.CellWidth(), 46);
    QCOMPARE(g.DayCell(7).left(), 24);
    // With simple lines the column reaches one pixel further, onto the grid's
    // first line, and its last cell stops one pixel short of the bottom.
    QCOMPARE(g.WeekNumberCell(1), CalendarGeometry::Box(0, 38, 25, 69));
    QCOMPARE(g.WeekNumberCell(6), CalendarGeometry::Box(0, 193, 25, 223));
    QCOMPARE(g.CornerCell(), CalendarGeometry::Box(0, 19, 25, 38));
}

void tst_CalendarGeometry::cornerCellVanishesWithoutWeekDays()
{
    CalendarGeometry::Flags flags;
    flags.showWeekDays = false;
    flags.showWeekNumber = true;
    const CalendarGeometry g(QSize(234, 139), flags);
    QCOMPARE(g.CornerCell().height(), 0);
    QCOMPARE(g.DayCell(7).top(), 19);
}

void tst_CalendarGeometry::hitTest_data()
{
    QTest::addColumn<bool>("showMonth");
    QTest::addColumn<bool>("buttons");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("cell");

    using H = CalendarGeometry::Hit;
    // Title 80 wide: month area 121-161, year area 171-201.
    QTest::newRow("month name") << true << true << QPoint(121, 5) << int(H::MonthMenu) << 0;
    QTest::newRow("just left of the month name")
        << true << true << QPoint(120, 5) << int(H::None) << 0;
    QTest::newRow("year") << true << true << QPoint(200, 18) << int(H::YearMenu) << 0;
    QTest::newRow("just right of the year") << true << true << QPoint(201, 5) << int(H::None) << 0;
    QTest::newRow("space between") << true << true << QPoint(165, 5) << int(H::None) << 0;
    QTest::newRow("previous button") << true << true << QPoint(2, 2) << int(H::PreviousMonth) << 0;
    QTest::newRow("next button") << true << true << QPoint(319, 16) << int(H::NextMonth) << 0;
    QTest::newRow("title corner outside the buttons")
        << true << true << QPoint(1, 1) << int(H::None) << 0;
    QTest::newRow("buttons off") << true << false << QPoint(10, 10) << int(H::None) << 0;
    QTest::newRow("week-day row") << true << true << QPoint(10, 30) << int(H::None) << 0;
    QTest::newRow("first cell") << true << true << QPoint(0, 38) << int(H::Day) << 7;
    QTest::newRow("cell edge") << true << true << QPoint(46, 68) << int(H::Day) << 8;
    QTest::newRow("next row") << true << true << QPoint(45, 69) << int(H::Day) << 14;
    QTest::newRow("last cell") << true << true << QPoint(321, 223) << int(H::Day) << 48;
    QTest::newRow("past the right edge") << true << true << QPoint(322, 100) << int(H::None) << 0;
    // Without a title the top rows are days only.
    QTest::newRow("no title: month name place")
        << false << true << QPoint(130, 5) << int(H::None) << 0;
    QTest::newRow("no title: button place") << false << true << QPoint(10, 25) << int(H::Day) << 7;
}

void tst_CalendarGeometry::hitTest()
{
    QFETCH(bool, showMonth);
    QFETCH(bool, buttons);
    QFETCH(QPoint, point);
    QFETCH(int, area);
    QFETCH(int, cell);
    CalendarGeometry::Flags flags = MainWindowFlags();
    flags.showMonth = showMonth;
    flags.monthChangeButtons = buttons;
    const QSize size(322, showMonth ? 224 : 205);
    const CalendarGeometry g(size, flags);
    const CalendarGeometry::Hit hit = g.HitTest(point, {80, 40, 30});
    QCOMPARE(int(hit.area), area);
    QCOMPARE(hit.cell, cell);
    if (hit.area != CalendarGeometry::Hit::None)
        QVERIFY(hit.rect.contains(point));
}

void tst_CalendarGeometry::menuAreasComeBeforeButtons()
{
    // A title wider than a narrow control reaches over the previous button.
    const CalendarGeometry g(QSize(70, 224), MainWindowFlags());
    const CalendarGeometry::Hit hit = g.HitTest(QPoint(5, 5), {100, 60, 30});
    QCOMPARE(hit.area, CalendarGeometry::Hit::MonthMenu);
    QCOMPARE(hit.rect.left(), 35 - 50);
}

QTEST_APPLESS_MAIN(tst_CalendarGeometry)
#include "tst_calendargeometry.moc"
