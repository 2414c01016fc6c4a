#pragma once

#include "rounding.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>

class QPainter;

// Canvas operations of the calendar and its menus, drawn pixel for pixel the
// way the classic Windows look has them.
namespace CalendarDrawing {

using ::RoundHalfEven;

// weight/255 of a over (255 - weight)/255 of b, per channel.
QColor BlendColors(quint32 a, quint32 b, int weight, const QPalette &palette);

// The font a paint uses for a font property: the point size rounded to whole
// points (ties to even, 8.25 gives 8), turned into pixels at dpiY, the face
// name cut to 32 characters; bold, italic, underline and strike-out kept.
QFont CreatePointFont(const QFont &source, int dpiY);

// 1-pixel edges; the outer one lies on the rectangle's outermost pixels, the
// inner one just inside (a lone inner edge takes the outer place).
enum Edge {
    RaisedOuter = 0x1,
    SunkenOuter = 0x2,
    RaisedInner = 0x4,
    SunkenInner = 0x8,
    EdgeRaised = RaisedOuter | RaisedInner,
    EdgeSunken = SunkenOuter | SunkenInner,
    EdgeEtched = SunkenOuter | RaisedInner,
};
void DrawEdge(QPainter &painter, const QRect &rect, int edges, const QPalette &palette);

// A 1-pixel frame just inside rect.
void FrameRect(QPainter &painter, const QRect &rect, const QColor &color);

// The dotted focus frame: every other device pixel of the rectangle's outline
// inverted, in a checkerboard fixed to the canvas.
void DrawFocusRect(QPainter &painter, const QRect &rect);

// A solid triangle pointing left or right, centred in rect, sized for the
// glyph size it stands in for.
void DrawArrow(QPainter &painter, const QRect &rect, bool pointsLeft, const QColor &color,
               int glyphPixels);

// The 7 x 7 menu check mark, centred in rect.
void DrawCheckMark(QPainter &painter, const QRect &rect, const QColor &color);

// One line centred both ways, with an ellipsis where it does not fit.
void DrawCentredText(QPainter &painter, const QRect &rect, const QString &text);

} // namespace CalendarDrawing
