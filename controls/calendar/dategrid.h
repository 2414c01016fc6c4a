#pragma once

#include <QDate>

// The month on show as 6 rows of 7 day cells, numbered 7 to 48 row by row;
// cells 0 to 6 are the week-day names. The month starts in row 1 unless its
// 1st is the first day of the week: then row 1 shows the whole week before.
class DateGrid
{
public:
    struct RowCol
    {
        int row;
        int col;
    };
    struct CellRange
    {
        int first;
        int last;
    };

    // firstDayOfWeek: 1 (Sunday) to 7 (Saturday), 0 for the default locale's.
    DateGrid(int year, int month, int firstDayOfWeek);

    static bool IsValidFirstDay(int firstDayOfWeek)
    {
        return firstDayOfWeek >= 0 && firstDayOfWeek <= 7;
    }
    // The Qt week day that starts the week for a firstDayOfWeek value.
    static Qt::DayOfWeek FirstDay(int firstDayOfWeek);

    // row 1-6, col 1-7.
    static int CellIndex(int row, int col) { return (row - 1) * 7 + col + 6; }
    static RowCol CellRowCol(int cell);

    // 1 for the first day of the week through 7.
    int WeekdayPosition(QDate date) const;
    // Days of the previous month before the 1st: 1 to 7.
    int Lead() const;

    QDate DateFromCell(int cell) const;
    int DayFromCell(int cell) const { return DateFromCell(cell).day(); }
    int DaysInMonth() const { return firstOfMonth.daysInMonth(); }
    CellRange MonthCellRange() const;
    bool IsCellInMonth(int cell) const;
    // 0 when day is not a day of the month.
    int CellFromDay(int day) const;
    // Week of the days shown in row 1-6; week 1 holds 1 January, and labels
    // keep counting past the end of the year.
    int WeekLabel(int row) const;

private:
    int WeekNumber(QDate date) const;

    QDate firstOfMonth;
    Qt::DayOfWeek firstDay;
};
