#include "calendargeometry.h"

#include "calendarmodel.h"

namespace {

bool Contains(const QRect &r, QPoint p)
{
    return p.x() >= r.left() && p.x() < r.left() + r.width() && p.y() >= r.top() &&
           p.y() < r.top() + r.height();
}

} // namespace

CalendarGeometry::Flags CalendarGeometry::FlagsOf(const CalendarModel &model)
{
    return {model.BorderWidth(),    model.ShowMonth(),          model.ShowWeekDays(),
            model.ShowWeekNumber(), model.MonthChangeButtons(), model.LineStyle()};
}

int CalendarGeometry::HeaderHeight(const Flags &flags)
{
    return (flags.showMonth ? RowHeight : 0) + (flags.showWeekDays ? RowHeight : 0);
}

CalendarGeometry::CalendarGeometry(QSize inner, const Flags &flags)
    : flags(flags), w(inner.width()), h(inner.height()), b(flags.borderWidth),
      hdr(HeaderHeight(flags)), wn(flags.showWeekNumber ? WeekNumberWidth : 0),
      cellW((w - (wn + 2 * b)) / 7), cellH((h - (2 * b + hdr)) / 6)
{}

CalendarGeometry::CalendarGeometry(QSize inner, const CalendarModel &model)
    : CalendarGeometry(inner, FlagsOf(model))
{}

QRect CalendarGeometry::WeekDayCell(int k) const
{
    const int top = flags.showMonth ? b + RowHeight : b;
    return Box(b + wn + k * cellW, top, b + wn + (k + 1) * cellW, b + hdr);
}

QRect CalendarGeometry::DayCell(int cell) const
{
    const int r = (cell - 7) / 7 + 1;
    const int k = (cell - 7) % 7;
    return Box(b + wn + k * cellW, b + hdr + (r - 1) * cellH, b + wn + (k + 1) * cellW,
               b + hdr + r * cellH);
}

QRect CalendarGeometry::WeekNumberCell(int row) const
{
    const bool lines = flags.lineStyle == 3;
    const int bottom = b + hdr + row * cellH - (lines && row == 6 ? 1 : 0);
    return Box(b, b + hdr + (row - 1) * cellH, b + WeekNumberWidth + (lines ? 1 : 0), bottom);
}

QRect CalendarGeometry::CornerCell() const
{
    const int top = flags.showMonth ? b + RowHeight : b;
    return Box(b, top, b + WeekNumberWidth + (flags.lineStyle == 3 ? 1 : 0), b + hdr);
}

QRect CalendarGeometry::MonthArea(const TitleMetrics &title) const
{
    const int left = (w - 2 * b) / 2 - title.title / 2;
    return Box(left, b, left + title.month, b + RowHeight);
}

QRect CalendarGeometry::YearArea(const TitleMetrics &title) const
{
    const int right = (w - 2 * b) / 2 + title.title / 2;
    return Box(right - title.year, b, right, b + RowHeight);
}

int CalendarGeometry::HitTestCell(QPoint point) const
{
    for (int cell = 7; cell <= 48; ++cell) {
        if (Contains(DayCell(cell), point))
            return cell;
    }
    return 0;
}

CalendarGeometry::Hit CalendarGeometry::HitTest(QPoint point, const TitleMetrics &title) const
{
    if (flags.showMonth) {
        if (const QRect r = MonthArea(title); Contains(r, point))
            return {Hit::MonthMenu, 0, r};
        if (const QRect r = YearArea(title); Contains(r, point))
            return {Hit::YearMenu, 0, r};
        if (flags.monthChangeButtons) {
            if (const QRect r = PreviousButton(); Contains(r, point))
                return {Hit::PreviousMonth, 0, r};
            if (const QRect r = NextButton(); Contains(r, point))
                return {Hit::NextMonth, 0, r};
        }
    }
    if (const int cell = HitTestCell(point))
        return {Hit::Day, cell, DayCell(cell)};
    return {};
}

CalendarGeometry::Snap CalendarGeometry::SnapSize(QSize current, int trimWidth, int trimHeight,
                                                  const Flags &flags)
{
    Snap snap;
    snap.restored = current;
    // Give back what the last snapping cut off, so that growing by less than a
    // cell is not lost.
    if (trimWidth > 0)
        snap.restored.rwidth() += trimWidth;
    if (trimHeight > 0)
        snap.restored.rheight() += trimHeight;

    const int b = flags.borderWidth;
    const int wn = flags.showWeekNumber ? WeekNumberWidth : 0;
    // Remainders take the sign of the dividend; a negative one trims nothing.
    snap.trimWidth = (snap.restored.width() - (2 * b + wn)) % 7;
    snap.trimHeight = (snap.restored.height() - (2 * b + HeaderHeight(flags))) % 6;
    snap.snapped = snap.restored;
    if (snap.trimWidth > 0)
        snap.snapped.rwidth() -= snap.trimWidth;
    if (snap.trimHeight > 0)
        snap.snapped.rheight() -= snap.trimHeight;
    return snap;
}
