#include "calendarpainter.h"

#include "calendardrawing.h"
#include "calendarmodel.h"
#include "resolvecolor.h"

#include <QPainter>

using namespace CalendarDrawing;

namespace {

// Size in pixels of the 10-point glyph font the month arrows come from.
int GlyphPixels(int dpiY)
{
    return RoundHalfEven(10.0 * dpiY / 72.0);
}

} // namespace

QImage CalendarPainter::Render(const CalendarModel &model, QSize size, const Look &look)
{
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    const qreal ratio = look.ratio > 0 ? look.ratio : 1.0;
    QImage image(size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(ResolveColor(SysColor::ButtonFace, look.palette));
    QPainter painter(&image);
    CalendarPainter(model, size, look, painter).Paint();
    return image;
}

CalendarPainter::CalendarPainter(const CalendarModel &model, QSize size, const Look &look,
                                 QPainter &painter)
    : model(model), look(look), painter(painter), geometry(size, model),
      regularFont(CreatePointFont(model.Font(), look.dpiY)),
      activeDayFont(CreatePointFont(model.ActiveDayFont(), look.dpiY)),
      monthNameFont(CreatePointFont(model.MonthNameFont(), look.dpiY))
{}

void CalendarPainter::Paint()
{
    painter.setFont(regularFont);
    PaintDays();
    if (model.ShowWeekDays())
        PaintWeekDays();
    if (model.ShowMonth())
        PaintTitle();
    if (model.ShowWeekNumber())
        PaintWeekNumbers();
    PaintBorder();
}

QColor CalendarPainter::Color(quint32 value) const
{
    return ResolveColor(value, look.palette);
}

void CalendarPainter::PaintDays()
{
    const CalendarModel::Colors &c = model.Colours();
    const DateGrid grid = model.Grid();
    for (int cell = 7; cell <= 48; ++cell) {
        const int row = (cell - 7) / 7 + 1;
        const int column = (cell - 7) % 7;
        const QRect rect = geometry.DayCell(cell);
        const QString text = QString::number(grid.DayFromCell(cell));
        const bool inMonth = grid.IsCellInMonth(cell);
        const bool selected = inMonth && grid.DayFromCell(cell) == model.SelectedDay();

        painter.fillRect(rect, Color(inMonth ? c.daysBack : c.outDaysBack));
        painter.setPen(Color(selected ? c.activeDayFore : inMonth ? c.daysFore : c.outDaysFore));
        if (selected) {
            PaintSelection(rect, column);
            painter.setFont(activeDayFont);
            DrawCentredText(painter, rect, text);
            painter.setFont(regularFont);
        } else {
            DrawCentredText(painter, rect, text);
        }
        PaintCellLines(rect, column < 6 ? 1 : 0, row < 6 ? 1 : 0);
    }
}

void CalendarPainter::PaintSelection(const QRect &cell, int column)
{
    const int left = cell.left();
    const int top = cell.top();
    const int right = cell.left() + cell.width();
    const int bottom = cell.top() + cell.height();
    QRect mark;
    switch (model.LineStyle()) {
    case 0:
        mark = CalendarGeometry::Box(left + 1, top + 1, right - 1, bottom - 1);
        break;
    case 3:
        mark = CalendarGeometry::Box(left + 2, top + 2, column == 6 ? right - 2 : right - 1,
                                     bottom - 1);
        break;
    default:
        mark = CalendarGeometry::Box(left + 1, top + 1, right - 2, bottom - 2);
        break;
    }
    if (!look.hasFocus)
        return;
    const CalendarModel::Colors &c = model.Colours();
    switch (model.FocusStyle()) {
    case 1:
        DrawFocusRect(painter, mark);
        break;
    case 2:
        painter.fillRect(mark, BlendColors(c.activeDayFore, c.daysBack, 50, look.palette));
        FrameRect(painter, mark, Color(c.activeDayFore));
        break;
    default:
        break;
    }
}

void CalendarPainter::PaintCellLines(QRect rect, int widenRight, int widenDown)
{
    switch (model.LineStyle()) {
    case 1:
        DrawEdge(painter, rect, RaisedInner, look.palette);
        break;
    case 2:
        DrawEdge(painter, rect, SunkenOuter, look.palette);
        break;
    case 3:
        rect.adjust(0, 0, widenRight, widenDown);
        FrameRect(painter, rect, Color(model.Colours().line));
        break;
    default:
        break;
    }
}

void CalendarPainter::PaintWeekDays()
{
    const CalendarModel::Colors &c = model.Colours();
    const int first = int(DateGrid::FirstDay(model.FirstDayOfWeek()));
    for (int k = 0; k <= 6; ++k) {
        const QRect rect = geometry.WeekDayCell(k);
        painter.fillRect(rect, Color(c.headerBack));
        painter.setPen(Color(c.headerFore));
        const auto day = Qt::DayOfWeek((first - 1 + k) % 7 + 1);
        DrawCentredText(painter, rect, CalendarModel::DayAbbreviation(day));
        PaintCellLines(rect, k < 6 ? 1 : 0, 1);
    }
}

void CalendarPainter::PaintTitle()
{
    const CalendarModel::Colors &c = model.Colours();
    const QRect bar = geometry.TitleBar();
    painter.fillRect(bar, Color(c.headerBack));
    painter.setPen(Color(c.headerFore));
    painter.setFont(monthNameFont);
    DrawCentredText(painter, bar, model.TitleText());
    painter.setFont(regularFont);
    if (model.MonthChangeButtons()) {
        const int glyph = GlyphPixels(look.dpiY);
        DrawArrow(painter, geometry.PreviousButton(), true, Color(c.headerFore), glyph);
        DrawArrow(painter, geometry.NextButton(), false, Color(c.headerFore), glyph);
    }
    switch (model.LineStyle()) {
    case 1:
        DrawEdge(painter, bar, RaisedInner, look.palette);
        break;
    case 2:
        DrawEdge(painter, bar, SunkenOuter, look.palette);
        break;
    case 3:
        FrameRect(painter, bar.adjusted(0, 0, 0, 1), Color(c.line));
        break;
    default:
        break;
    }
}

void CalendarPainter::PaintWeekNumbers()
{
    const CalendarModel::Colors &c = model.Colours();
    const DateGrid grid = model.Grid();
    for (int row = 1; row <= 7; ++row) {
        const bool corner = row == 7;
        const QRect rect = corner ? geometry.CornerCell() : geometry.WeekNumberCell(row);
        painter.fillRect(rect, Color(c.headerBack));
        painter.setPen(Color(c.outDaysFore));
        if (!corner)
            DrawCentredText(painter, rect, QString::number(grid.WeekLabel(row)));
        PaintCellLines(rect, 0, 1);
    }
}

void CalendarPainter::PaintBorder()
{
    const QRect rect = geometry.BorderRect();
    switch (model.BorderStyle()) {
    case 1:
        DrawEdge(painter, rect, EdgeSunken, look.palette);
        break;
    case 2:
        DrawEdge(painter, rect, EdgeRaised, look.palette);
        break;
    case 3:
        DrawEdge(painter, rect, SunkenOuter, look.palette);
        break;
    case 4:
        DrawEdge(painter, rect, RaisedInner, look.palette);
        break;
    case 5:
        DrawEdge(painter, rect, EdgeEtched, look.palette);
        break;
    case 6:
        FrameRect(painter, rect, Color(model.Colours().border));
        break;
    default:
        break;
    }
}
