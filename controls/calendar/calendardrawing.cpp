#include "calendardrawing.h"

#include "devicepixels.h"
#include "resolvecolor.h"

#include <QPainter>

#include <cmath>

namespace CalendarDrawing {

QColor BlendColors(quint32 a, quint32 b, int weight, const QPalette &palette)
{
    const QColor ca = ResolveColor(a, palette);
    const QColor cb = ResolveColor(b, palette);
    const auto mix = [weight](int x, int y) {
        return RoundHalfEven((255 - weight) * double(y) / 255.0 + weight * double(x) / 255.0);
    };
    return QColor(mix(ca.red(), cb.red()), mix(ca.green(), cb.green()), mix(ca.blue(), cb.blue()));
}

QFont CreatePointFont(const QFont &source, int dpiY)
{
    QFont font(source.family().left(32));
    font.setStyleHint(source.styleHint());
    if (source.pointSizeF() > 0) {
        const int points = RoundHalfEven(source.pointSizeF());
        font.setPixelSize(qMax(1, RoundHalfEven(points * double(dpiY) / 72.0)));
    } else {
        font.setPixelSize(qMax(1, source.pixelSize()));
    }
    font.setWeight(source.bold() ? QFont::Bold : QFont::Normal);
    font.setItalic(source.italic());
    font.setUnderline(source.underline());
    font.setStrikeOut(source.strikeOut());
    return font;
}

namespace {

struct EdgeColors
{
    quint32 topLeft;
    quint32 bottomRight;
};

EdgeColors ColorsOf(int edge)
{
    switch (edge) {
    case RaisedOuter:
        return {SysColor::Light3D, SysColor::DarkShadow3D};
    case SunkenOuter:
        return {SysColor::ButtonShadow, SysColor::ButtonHighlight};
    case RaisedInner:
        return {SysColor::ButtonHighlight, SysColor::ButtonShadow};
    default: // SunkenInner
        return {SysColor::DarkShadow3D, SysColor::Light3D};
    }
}

// Top and left first; bottom and right over them, so the bottom-right colour
// owns the top-right and bottom-left corners.
void DrawOneEdge(QPainter &painter, const QRect &r, int edge, const QPalette &palette)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const EdgeColors colors = ColorsOf(edge);
    const QColor tl = ResolveColor(colors.topLeft, palette);
    const QColor br = ResolveColor(colors.bottomRight, palette);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), tl);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), tl);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
}

} // namespace

void DrawEdge(QPainter &painter, const QRect &rect, int edges, const QPalette &palette)
{
    const int outer = edges & (RaisedOuter | SunkenOuter);
    const int inner = edges & (RaisedInner | SunkenInner);
    if (outer && inner) {
        DrawOneEdge(painter, rect, outer & RaisedOuter ? RaisedOuter : SunkenOuter, palette);
        DrawOneEdge(painter, rect.adjusted(1, 1, -1, -1),
                    inner & RaisedInner ? RaisedInner : SunkenInner, palette);
    } else if (outer) {
        DrawOneEdge(painter, rect, outer & RaisedOuter ? RaisedOuter : SunkenOuter, palette);
    } else if (inner) {
        DrawOneEdge(painter, rect, inner & RaisedInner ? RaisedInner : SunkenInner, palette);
    }
}

void FrameRect(QPainter &painter, const QRect &r, const QColor &color)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), color);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), color);
}

void DrawFocusRect(QPainter &painter, const QRect &r)
{
    DevicePixels::DrawFocusFrame(painter, r);
}

void DrawArrow(QPainter &painter, const QRect &rect, bool pointsLeft, const QColor &color,
               int glyphPixels)
{
    // The glyph's triangle is about half its cell high, and half as wide as high.
    const int height = qMax(3, (glyphPixels * 7 + 6) / 13) | 1;
    DevicePixels::DrawTriangle(painter, rect, pointsLeft, height, color);
}

void DrawCheckMark(QPainter &painter, const QRect &rect, const QColor &color)
{
    const QPoint topLeft(rect.left() + (rect.width() - 7) / 2,
                         rect.top() + (rect.height() - 7) / 2);
    DevicePixels::DrawTick(painter, topLeft, color);
}

void DrawCentredText(QPainter &painter, const QRect &rect, const QString &text)
{
    if (rect.width() <= 0 || rect.height() <= 0 || text.isEmpty())
        return;
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

} // namespace CalendarDrawing
