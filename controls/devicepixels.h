#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// Small marks the drawn controls share, worked out in the device pixels of the
// painter's surface, so that at a ratio above 1 they are as fine as the screen
// and never a 1x drawing blown up. At ratio 1 they are the classic pixel marks.
namespace DevicePixels {

// Device pixels of the surface per logical pixel.
qreal RatioOf(const QPainter &painter);

// How many whole device pixels stand for a line one logical pixel wide.
int LineWidth(qreal ratio);

// The 7 x 7 check mark with its top left corner at topLeft: pixel for pixel at
// ratio 1, a smooth shape of the same outline above it.
void DrawTick(QPainter &painter, QPoint topLeft, const QColor &color);

// The dotted focus frame on the outline of rect (one logical pixel wide): every
// other device pixel inverted, in a checkerboard fixed to the surface.
void DrawFocusFrame(QPainter &painter, const QRect &rect);

// A solid triangle pointing left or right, height pixels high (odd) at ratio 1
// and half as wide, centred in rect.
void DrawTriangle(QPainter &painter, const QRect &rect, bool pointsLeft, int height,
                  const QColor &color);

} // namespace DevicePixels
