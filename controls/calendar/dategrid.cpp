#include "dategrid.h"

#include <QLocale>

namespace {

int FloorDiv(int a, int b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

} // namespace

DateGrid::DateGrid(int year, int month, int firstDayOfWeek)
    : firstOfMonth(year, month, 1), firstDay(FirstDay(firstDayOfWeek))
{}

Qt::DayOfWeek DateGrid::FirstDay(int firstDayOfWeek)
{
    if (firstDayOfWeek < 1 || firstDayOfWeek > 7)
        return QLocale().firstDayOfWeek();
    // 1 is Sunday, Qt's 7.
    return Qt::DayOfWeek(firstDayOfWeek == 1 ? 7 : firstDayOfWeek - 1);
}

DateGrid::RowCol DateGrid::CellRowCol(int cell)
{
    const int n = cell - 6;
    const int row = FloorDiv(n + 6, 7);
    const int col = ((n % 7) + 7) % 7;
    return {row, col == 0 ? 7 : col};
}

int DateGrid::WeekdayPosition(QDate date) const
{
    return (date.dayOfWeek() - int(firstDay) + 7) % 7 + 1;
}

int DateGrid::Lead() const
{
    const int lead = WeekdayPosition(firstOfMonth) - 1;
    return lead >= 1 ? lead : 7;
}

QDate DateGrid::DateFromCell(int cell) const
{
    return firstOfMonth.addDays(qint64(cell) - 7 - Lead());
}

DateGrid::CellRange DateGrid::MonthCellRange() const
{
    const int first = 7 + Lead();
    return {first, first + DaysInMonth() - 1};
}

bool DateGrid::IsCellInMonth(int cell) const
{
    const CellRange range = MonthCellRange();
    return cell >= range.first && cell <= range.last;
}

int DateGrid::CellFromDay(int day) const
{
    if (day < 1 || day > DaysInMonth())
        return 0;
    return MonthCellRange().first + day - 1;
}

int DateGrid::WeekNumber(QDate date) const
{
    const QDate newYear(date.year(), 1, 1);
    return (date.dayOfYear() - 1 + WeekdayPosition(newYear) - 1) / 7 + 1;
}

int DateGrid::WeekLabel(int row) const
{
    return WeekNumber(firstOfMonth) + row - 1 - (Lead() == 7 ? 1 : 0);
}
