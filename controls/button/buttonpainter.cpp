#include "buttonpainter.h"

#include "buttonpicture.h"
#include "devicepixels.h"
#include "shiftcolor.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr int CaptionFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap |
                             Qt::TextShowMnemonic | Qt::TextDontClip;
// Left and right margin of the caption block.
constexpr int CaptionMargin = 1;

const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);

void Fill(QPainter &p, const WinRect &r, const QColor &color)
{
    if (r.width() > 0 && r.height() > 0)
        p.fillRect(r.toRect(), color);
}

// A one-pixel frame just inside r.
void Frame(QPainter &p, const WinRect &r, const QColor &color)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    Fill(p, {r.left, r.top, r.right, r.top + 1}, color);
    Fill(p, {r.left, r.bottom - 1, r.right, r.bottom}, color);
    Fill(p, {r.left, r.top, r.left + 1, r.bottom}, color);
    Fill(p, {r.right - 1, r.top, r.right, r.bottom}, color);
}

// A horizontal or vertical line from (x1, y1) up to, not including, (x2, y2).
void Line(QPainter &p, int x1, int y1, int x2, int y2, const QColor &color)
{
    const auto span = [](int from, int to) {
        return from <= to ? std::pair{from, to} : std::pair{to + 1, from + 1};
    };
    if (y1 == y2) {
        const auto [a, b] = span(x1, x2);
        Fill(p, {a, y1, b, y1 + 1}, color);
    } else {
        const auto [a, b] = span(y1, y2);
        Fill(p, {x1, a, x1 + 1, b}, color);
    }
}

void Pixel(QPainter &p, int x, int y, const QColor &color)
{
    Fill(p, {x, y, x + 1, y + 1}, color);
}

void RaisedBorder(QPainter &p, const ButtonSnapshot &s)
{
    Frame(p, {0, 0, s.width, s.height}, Black);
    Frame(p, {0, 0, s.width + 1, s.height + 1}, s.colors.highlight);
}

void SunkenBorder(QPainter &p, const ButtonSnapshot &s)
{
    Frame(p, {0, 0, s.width, s.height}, s.colors.highlight);
    Frame(p, {0, 0, s.width + 1, s.height + 1}, Black);
}

// Style 0: always a border, sunken while pressed.
void PaintClassicFace(QPainter &p, const ButtonSnapshot &s)
{
    if (s.pressState == 1)
        SunkenBorder(p, s);
    else
        RaisedBorder(p, s);
}

// Styles 1 and 2: a border only under the pointer or while pressed.
void PaintFlatFace(QPainter &p, const ButtonSnapshot &s)
{
    if (s.pressState == 1)
        SunkenBorder(p, s);
    else if (s.hovering)
        RaisedBorder(p, s);
}

void PaintHoverFrame(QPainter &p, const ButtonSnapshot &s)
{
    const int W = s.width;
    const int H = s.height;
    const QColor &hc = s.colors.hover;
    Frame(p, {1, 2, W - 1, H - 2}, hc);
    Line(p, 2, H - 2, W - 2, H - 2, ShiftColor(hc, -40));
    Line(p, 2, 1, W - 2, 1, ShiftColor(hc, 90));
    Line(p, 1, 2, W - 1, 2, ShiftColor(hc, 35));
    Line(p, 2, 3, 2, H - 3, ShiftColor(hc, 20));
    Line(p, W - 3, 3, W - 3, H - 3, ShiftColor(hc, 20));
    Pixel(p, 3, H - 4, hc);
    Pixel(p, W - 4, H - 4, hc);
    Pixel(p, W - 4, 3, ShiftColor(hc, 35));
    Pixel(p, 3, 3, ShiftColor(hc, 35));
}

// Rounds the four corners: the three outer pixels of each in the face colour,
// the inner one in the dot colour.
void PaintCorners(QPainter &p, const ButtonSnapshot &s, const QColor &face, const QColor &dot)
{
    const int W = s.width;
    const int H = s.height;
    for (const auto &[x, y] :
         {std::pair{0, 0}, std::pair{0, H - 2}, std::pair{W - 2, 0}, std::pair{W - 2, H - 2}})
        Fill(p, {x, y, x + 2, y + 2}, face);
    Pixel(p, 1, 1, dot);
    Pixel(p, 1, H - 2, dot);
    Pixel(p, W - 2, 1, dot);
    Pixel(p, W - 2, H - 2, dot);
}

// Style 3: a gradient face, one line per pixel row, with a dark frame.
void PaintXpFace(QPainter &p, const ButtonSnapshot &s)
{
    const int W = s.width;
    const int H = s.height;
    const QColor &face = s.colors.face;
    const QColor light = ShiftColor(face, 48);
    QColor dot = s.colors.frame;

    if (!s.enabled) {
        Fill(p, {0, 0, W, H}, ShiftColor(light, -24));
        Frame(p, {0, 0, W, H}, ShiftColor(light, -84));
        dot = ShiftColor(light, -72);
    } else if (H == 0) {
        return;
    } else if (s.pressState != 0) {
        // Darkest at the top; the steps are computed in single precision.
        const QColor base = ShiftColor(light, -32);
        const float step = 25.0f / float(H);
        for (int i = 1; i <= H; ++i)
            Line(p, 0, H - i, W, H - i, ShiftColor(base, RoundHalfEven(-step * float(i))));
        Frame(p, {0, 0, W, H}, s.colors.frame);
    } else {
        const float step = 50.0f / float(H);
        for (int i = 1; i <= H; ++i)
            Line(p, 0, i, W, i, ShiftColor(White, RoundHalfEven(-step * float(i))));
        Frame(p, {0, 0, W, H}, s.colors.frame);
        if (s.hovering)
            PaintHoverFrame(p, s);
    }
    PaintCorners(p, s, face, dot);
}

void DrawText(QPainter &p, const WinRect &r, const QColor &color, const QString &text)
{
    p.setPen(color);
    p.drawText(r.toRect().adjusted(CaptionMargin, 0, -CaptionMargin, 0), CaptionFlags, text);
}

void DrawCaption(QPainter &p, const ButtonSnapshot &s)
{
    p.setFont(s.font);
    if (s.enabled) {
        const WinRect r = s.pressState == 1 ? s.captionRect.shifted(1) : s.captionRect;
        DrawText(p, r, s.colors.text, s.caption);
    } else {
        // Engraved: a light copy one pixel right and down under a shadow copy.
        DrawText(p, s.captionRect.shifted(1), s.colors.highlight, s.caption);
        DrawText(p, s.captionRect, s.colors.shadow, s.caption);
    }
}

void DrawPicture(QPainter &p, const ButtonSnapshot &s)
{
    const WinRect r = s.pictureRect.shifted(s.pressState);
    const QPoint at(r.left, r.top);
    if (!s.enabled) {
        // A bitmap's transparent colour is background here too, not part of the shape.
        const QImage shape = IsBitmap(s.picture) ? MaskedBitmap(s.picture, s.maskColor,
                                                                s.picture.size(), s.colors.face)
                                                 : s.picture;
        p.drawImage(at, EmbossedPicture(shape, s.colors.highlight, s.colors.shadow));
    } else if (IsBitmap(s.picture)) {
        // Through a hidden surface cleared to button face: where the stored size
        // exceeds the bitmap, that face shows.
        if (r.width() > 0 && r.height() > 0)
            p.drawImage(at, MaskedBitmap(s.picture, s.maskColor, QSize(r.width(), r.height()),
                                         s.colors.face));
    } else {
        p.drawImage(r.toRect(), s.picture, QRect(QPoint(0, 0), s.pictureSize));
    }
}

} // namespace

void PaintButton(QPainter &p, const ButtonSnapshot &s)
{
    Fill(p, {0, 0, s.width, s.height}, s.colors.background);
    switch (s.style) {
    case 0:
        PaintClassicFace(p, s);
        break;
    case 3:
        PaintXpFace(p, s);
        break;
    default:
        PaintFlatFace(p, s);
        break;
    }
    if (!s.caption.isEmpty())
        DrawCaption(p, s);
    if (!s.picture.isNull())
        DrawPicture(p, s);
    if (s.hasFocus && s.showFocusRect && s.style != 3)
        DevicePixels::DrawFocusFrame(p, s.focusRect.toRect());
}

QSize MeasureCaption(const QFont &font, const QString &caption, int availableWidth)
{
    const QFontMetricsF metrics(font);
    const qreal wrap = std::max(availableWidth - 2 * CaptionMargin, 1);
    const QRectF block = metrics.boundingRect(QRectF(0, 0, wrap, 1e6), CaptionFlags, caption);
    return QSize(int(std::ceil(block.width())) + 2 * CaptionMargin, int(std::ceil(block.height())));
}
