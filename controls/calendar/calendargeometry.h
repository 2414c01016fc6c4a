#pragma once

#include <QRect>
#include <QSize>

class CalendarModel;

// Where everything lies for a given inner size and set of flags, in pixels
// from the top left of the control. Rectangles are built from exclusive
// right and bottom edges, as the layout is reasoned about that way.
class CalendarGeometry
{
public:
    static constexpr int RowHeight = 19; // title bar, week-day row
    static constexpr int WeekNumberWidth = 24;

    struct Flags
    {
        int borderWidth = 0;
        bool showMonth = true;
        bool showWeekDays = true;
        bool showWeekNumber = false;
        bool monthChangeButtons = true;
        int lineStyle = 1;
    };

    // Widths of the title text and its two parts, as measured for hit tests.
    struct TitleMetrics
    {
        int title = 0;
        int month = 0;
        int year = 0;
    };

    struct Hit
    {
        enum Area { None, MonthMenu, YearMenu, PreviousMonth, NextMonth, Day };
        Area area = None;
        int cell = 0; // Day: 7-48
        QRect rect;   // the area hit
    };

    // What SnapSize settles on: first the size with the last trims given back,
    // then the size trimmed to whole cells.
    struct Snap
    {
        QSize restored;
        int trimWidth = 0;
        int trimHeight = 0;
        QSize snapped;
    };

    static Flags FlagsOf(const CalendarModel &model);

    CalendarGeometry(QSize inner, const Flags &flags);
    CalendarGeometry(QSize inner, const CalendarModel &model);

    static QRect Box(int left, int top, int right, int bottom)
    {
        return QRect(left, top, right - left, bottom - top);
    }

    int Width() const { return w; }
    int Height() const { return h; }
    int Border() const { return b; }
    int HeaderHeight() const { return hdr; }
    int WeekNumberColumn() const { return wn; }
    int CellWidth() const { return cellW; }
    int CellHeight() const { return cellH; }

    QRect TitleBar() const { return Box(b, b, w - b, b + RowHeight); }
    QRect PreviousButton() const { return Box(b + 2, b + 2, b + 17, b + 17); }
    QRect NextButton() const { return Box(w - b - 17, b + 2, w - b - 2, b + 17); }
    QRect WeekDayCell(int k) const;
    // cell 7-48
    QRect DayCell(int cell) const;
    QRect WeekNumberCell(int row) const;
    QRect CornerCell() const;
    QRect BorderRect() const { return Box(0, 0, w, h); }

    // The title's hot areas that open the month and year menus.
    QRect MonthArea(const TitleMetrics &title) const;
    QRect YearArea(const TitleMetrics &title) const;

    // The one place a point is mapped to what lies under it: the menu areas
    // first, then the month buttons, then the day cells.
    Hit HitTest(QPoint point, const TitleMetrics &title) const;
    // First day cell (7-48) holding the point, or 0.
    int HitTestCell(QPoint point) const;

    static Snap SnapSize(QSize current, int trimWidth, int trimHeight, const Flags &flags);

private:
    static int HeaderHeight(const Flags &flags);

    Flags flags;
    int w, h, b, hdr, wn, cellW, cellH;
};
