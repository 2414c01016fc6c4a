#pragma once

#include "calendargeometry.h"

#include <QFont>
#include <QImage>
#include <QPalette>

class CalendarModel;
class QPainter;

// Paints the whole calendar into an image, in a fixed order: day cells, the
// week-day row, the title, the week numbers, the border. Colours reach it
// through the palette given, never from a widget. The image has the device
// pixels of the ratio given and is laid out in logical ones.
class CalendarPainter
{
public:
    struct Look
    {
        QPalette palette;
        bool hasFocus = false;
        int dpiY = 96;
        // Device pixels per logical pixel of the screen the picture is for.
        qreal ratio = 1.0;
    };

    static QImage Render(const CalendarModel &model, QSize size, const Look &look);

private:
    CalendarPainter(const CalendarModel &model, QSize size, const Look &look, QPainter &painter);

    void Paint();
    void PaintDays();
    void PaintSelection(const QRect &cell, int column);
    void PaintWeekDays();
    void PaintTitle();
    void PaintWeekNumbers();
    void PaintBorder();
    // Lines around one cell by LineStyle; style 3 frames the rectangle widened
    // by the given pixels so that neighbouring frames share a line.
    void PaintCellLines(QRect rect, int widenRight, int widenDown);

    QColor Color(quint32 value) const;

    const CalendarModel &model;
    const Look &look;
    QPainter &painter;
    CalendarGeometry geometry;
    QFont regularFont;
    QFont activeDayFont;
    QFont monthNameFont;
};
