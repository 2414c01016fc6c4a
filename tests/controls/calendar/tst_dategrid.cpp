#include "dategrid.h"

#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

// The month grid, checked against worked examples and against the layout
// printed by BSD cal (Debian's ncal package).
class tst_DateGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cellIndexAndRowColAreInverse();
    void monthLayout_data();
    void monthLayout();
    void dayOutsideMonthHasNoCell_data();
    void dayOutsideMonthHasNoCell();
    void februaryAndMarchShareAStartButNotAnEnd();
    void weekLabels_data();
    void weekLabels();
    void firstDayZeroFollowsDefaultLocale();
    void matchesCalLayout_data();
    void matchesCalLayout();
    void calMondayLayoutIsSundayLayoutShifted();

private:
    // Day -> column (0-based) of one month as cal prints it, or empty on failure.
    QList<int> CalColumns(int year, int month, const QString &weekStart);
    QString ncal;
};

void tst_DateGrid::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ncal = QStandardPaths::findExecutable(u"ncal"_s);
}

void tst_DateGrid::cellIndexAndRowColAreInverse()
{
    for (int row = 1; row <= 6; ++row) {
        for (int col = 1; col <= 7; ++col) {
            const int cell = DateGrid::CellIndex(row, col);
            QVERIFY(cell >= 7 && cell <= 48);
            const DateGrid::RowCol back = DateGrid::CellRowCol(cell);
            QCOMPARE(back.row, row);
            QCOMPARE(back.col, col);
        }
    }
    // Column 0 and 8 run on into the neighbouring rows.
    QCOMPARE(DateGrid::CellIndex(2, 0), DateGrid::CellIndex(1, 7));
    QCOMPARE(DateGrid::CellIndex(1, 8), DateGrid::CellIndex(2, 1));
}

void tst_DateGrid::monthLayout_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("firstDay");
    QTest::addColumn<int>("lead");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QDate>("cell7");
    QTest::addColumn<QDate>("cell48");

    // 1 June 2014 is a Sunday.
    QTest::newRow("June 2014, Monday first")
        << 2014 << 6 << 2 << 6 << 13 << 42 << QDate(2014, 5, 26) << QDate(2014, 7, 6);
    // 1 September 2014 is a Monday: a whole week of August leads.
    QTest::newRow("September 2014, Monday first")
        << 2014 << 9 << 2 << 7 << 14 << 43 << QDate(2014, 8, 25) << QDate(2014, 10, 5);
    // 1 February 2015 is a Sunday, 2015 a common year.
    QTest::newRow("February 2015 starting on the first day")
        << 2015 << 2 << 1 << 7 << 14 << 41 << QDate(2015, 1, 25) << QDate(2015, 3, 7);
    QTest::newRow("June 2014, Sunday first")
        << 2014 << 6 << 1 << 7 << 14 << 43 << QDate(2014, 5, 25) << QDate(2014, 7, 5);
    QTest::newRow("June 2014, Saturday first")
        << 2014 << 6 << 7 << 1 << 8 << 37 << QDate(2014, 5, 31) << QDate(2014, 7, 11);
    QTest::newRow("leap February 2024, Thursday first")
        << 2024 << 2 << 5 << 7 << 14 << 42 << QDate(2024, 1, 25) << QDate(2024, 3, 6);
}

void tst_DateGrid::monthLayout()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, firstDay);
    QFETCH(int, lead);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QDate, cell7);
    QFETCH(QDate, cell48);

    const DateGrid grid(year, month, firstDay);
    QCOMPARE(grid.Lead(), lead);
    QCOMPARE(grid.MonthCellRange().first, first);
    QCOMPARE(grid.MonthCellRange().last, last);
    QCOMPARE(grid.DateFromCell(7), cell7);
    QCOMPARE(grid.DateFromCell(48), cell48);
    QCOMPARE(grid.DayFromCell(first), 1);
    QCOMPARE(grid.DayFromCell(last), grid.DaysInMonth());
    QVERIFY(!grid.IsCellInMonth(first - 1));
    QVERIFY(grid.IsCellInMonth(first));
    QVERIFY(grid.IsCellInMonth(last));
    QVERIFY(!grid.IsCellInMonth(last + 1));
    for (int day = 1; day <= grid.DaysInMonth(); ++day)
        QCOMPARE(grid.DayFromCell(grid.CellFromDay(day)), day);
}

void tst_DateGrid::dayOutsideMonthHasNoCell_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("31 in a 30-day month") << 9 << 31;
    QTest::newRow("29 in a common February") << 2 << 29;
    QTest::newRow("day 0") << 6 << 0;
    QTest::newRow("negative day") << 6 << -1;
}

void tst_DateGrid::dayOutsideMonthHasNoCell()
{
    QFETCH(int, month);
    QFETCH(int, day);
    QCOMPARE(DateGrid(2014, month, 2).CellFromDay(day), 0);
}

void tst_DateGrid::februaryAndMarchShareAStartButNotAnEnd()
{
    const DateGrid february(2015, 2, 1);
    const DateGrid march(2015, 3, 1);
    QCOMPARE(march.MonthCellRange().first, february.MonthCellRange().first);
    QCOMPARE(march.MonthCellRange().last, february.MonthCellRange().last + 3);
    for (int day = 29; day <= 31; ++day)
        QVERIFY(march.IsCellInMonth(march.CellFromDay(day)));
    // Cells 42-48 of February show 1-7 March.
    for (int cell = 42; cell <= 48; ++cell)
        QCOMPARE(february.DateFromCell(cell), QDate(2015, 3, cell - 41));
}

void tst_DateGrid::weekLabels_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("firstDay");
    QTest::addColumn<QList<int>>("labels");

    QTest::newRow("June 2014, Monday first")
        << 2014 << 6 << 2 << QList<int>{22, 23, 24, 25, 26, 27};
    QTest::newRow("September 2014, a week of August leads")
        << 2014 << 9 << 2 << QList<int>{35, 36, 37, 38, 39, 40};
    // 1 January 2014 is a Wednesday; with Sunday first it opens week 1 in row 1.
    QTest::newRow("January 2014, Sunday first") << 2014 << 1 << 1 << QList<int>{1, 2, 3, 4, 5, 6};
    // Labels keep counting past the year's last week.
    QTest::newRow("December 2014 starts on the first day")
        << 2014 << 12 << 2 << QList<int>{48, 49, 50, 51, 52, 53};
    QTest::newRow("December 2012 runs to 54")
        << 2012 << 12 << 2 << QList<int>{49, 50, 51, 52, 53, 54};
}

void tst_DateGrid::weekLabels()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, firstDay);
    QFETCH(QList<int>, labels);
    const DateGrid grid(year, month, firstDay);
    for (int row = 1; row <= 6; ++row)
        QCOMPARE(grid.WeekLabel(row), labels[row - 1]);
}

void tst_DateGrid::firstDayZeroFollowsDefaultLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(DateGrid::FirstDay(0), Qt::Sunday);
    QCOMPARE(DateGrid(2014, 6, 0).Lead(), DateGrid(2014, 6, 1).Lead());
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QCOMPARE(DateGrid::FirstDay(0), Qt::Monday);
    QCOMPARE(DateGrid(2014, 6, 0).Lead(), DateGrid(2014, 6, 2).Lead());
}

QList<int> tst_DateGrid::CalColumns(int year, int month, const QString &weekStart)
{
    QProcess process;
    QProcessEnvironment env;
    env.insert(u"LC_ALL"_s, u"C"_s);
    env.insert(u"TZ"_s, u"UTC"_s);
    process.setProcessEnvironment(env);
    process.start(ncal,
                  {u"-b"_s, u"-h"_s, weekStart, QString::number(month), QString::number(year)});
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return {};
    const QStringList lines = QString::fromLatin1(process.readAllStandardOutput()).split(u'\n');
    // A title, the day names, then one line per week with 3 characters per day.
    QList<int> columns{-1};
    for (qsizetype i = 2; i < lines.size(); ++i) {
        for (int k = 0; k < 7; ++k) {
            const QString field = lines[i].mid(3 * k, 2).trimmed();
            if (field.isEmpty())
                continue;
            const int day = field.toInt();
            if (day != columns.size())
                return {};
            columns.append(k);
        }
    }
    return columns;
}

void tst_DateGrid::matchesCalLayout_data()
{
    QTest::addColumn<int>("year");
    for (const int year : {1900, 1999, 2000, 2014, 2015, 2024, 2100})
        QTest::addRow("%d", year) << year;
}

void tst_DateGrid::matchesCalLayout()
{
    if (ncal.isEmpty())
        QSKIP("ncal is not installed (scripts/install-deps.sh installs it)");
    QFETCH(int, year);

    for (int month = 1; month <= 12; ++month) {
        // cal prints Sunday first with -S; day d sits in column sunday[d].
        const QList<int> sunday = CalColumns(year, month, u"-S"_s);
        QVERIFY2(sunday.size() > 28,
                 qPrintable(u"cal gave no month for %1-%2"_s.arg(year).arg(month)));
        const int daysInMonth = int(sunday.size()) - 1;
        const QDate previous = QDate(year, month, 1).addMonths(-1);

        for (int firstDay = 1; firstDay <= 7; ++firstDay) {
            const DateGrid grid(year, month, firstDay);
            const QString where = u"%1-%2 first day %3"_s.arg(year).arg(month).arg(firstDay);
            QCOMPARE(grid.DaysInMonth(), daysInMonth);

            // The same days laid out in weeks that start firstDay - 1 columns
            // later; a month starting on the first day is moved down a row.
            const int blanks = (sunday[1] - (firstDay - 1) + 7) % 7;
            const int rowShift = blanks == 0 ? 1 : 0;
            for (int day = 1; day <= daysInMonth; ++day) {
                const int slot = blanks + day - 1;
                const int cell = DateGrid::CellIndex(slot / 7 + 1 + rowShift, slot % 7 + 1);
                QVERIFY2(grid.CellFromDay(day) == cell, qPrintable(where));
                QVERIFY2(grid.DayFromCell(cell) == day, qPrintable(where));
                QVERIFY2(grid.IsCellInMonth(cell), qPrintable(where));
            }
            // Grey days: the previous month's last days, then 1, 2, 3... of the next.
            const int first = grid.CellFromDay(1);
            for (int cell = 7; cell < first; ++cell)
                QVERIFY2(grid.DayFromCell(cell) == previous.daysInMonth() - (first - cell) + 1,
                         qPrintable(where));
            for (int cell = grid.CellFromDay(daysInMonth) + 1, next = 1; cell <= 48; ++cell, ++next)
                QVERIFY2(grid.DayFromCell(cell) == next && !grid.IsCellInMonth(cell),
                         qPrintable(where));
        }
    }
}

void tst_DateGrid::calMondayLayoutIsSundayLayoutShifted()
{
    if (ncal.isEmpty())
        QSKIP("ncal is not installed (scripts/install-deps.sh installs it)");
    // The shift that builds other week starts from the Sunday layout, checked
    // where cal prints the Monday layout itself.
    for (const int year : {2014, 2024}) {
        for (int month = 1; month <= 12; ++month) {
            const QList<int> sunday = CalColumns(year, month, u"-S"_s);
            const QList<int> monday = CalColumns(year, month, u"-M"_s);
            QCOMPARE(monday.size(), sunday.size());
            for (qsizetype day = 1; day < sunday.size(); ++day)
                QCOMPARE(monday[day], (sunday[day] + 6) % 7);
        }
    }
}

QTEST_GUILESS_MAIN(tst_DateGrid)
#include "tst_dategrid.moc"
