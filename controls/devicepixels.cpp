#include "devicepixels.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace DevicePixels {

namespace {

constexpr std::array<const char *, 7> TickPattern = {{
    "......#",
    ".....##",
    "#...###",
    "##.###.",
    "#####..",
    ".###...",
    "..#....",
}};

// Runs draw(ratio) with the painter scaled so that one unit is one device pixel.
template<typename Draw> void InDevicePixels(QPainter &painter, Draw draw)
{
    const qreal ratio = RatioOf(painter);
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    draw(ratio);
    painter.restore();
}

} // namespace

qreal RatioOf(const QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    return device ? device->devicePixelRatioF() : 1.0;
}

int LineWidth(qreal ratio)
{
    return std::max(1, int(std::lround(ratio)));
}

void DrawTick(QPainter &painter, QPoint topLeft, const QColor &color)
{
    if (RatioOf(painter) == 1.0) {
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 7; ++x) {
                if (TickPattern[y][x] == '#')
                    painter.fillRect(QRect(topLeft.x() + x, topLeft.y() + y, 1, 1), color);
            }
        }
        return;
    }
    // The pattern's outline: a band three pixels high down to (2.5, 5.5) and up
    // to the top right corner, cut to the 7 x 7 box.
    QPainterPath band;
    band.moveTo(0, 1.5);
    band.lineTo(2.5, 4.0);
    band.lineTo(7, -0.5);
    band.lineTo(7, 2.5);
    band.lineTo(2.5, 7.0);
    band.lineTo(0, 4.5);
    band.closeSubpath();
    QPainterPath box;
    box.addRect(0, 0, 7, 7);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(topLeft);
    painter.fillPath(band.intersected(box), color);
    painter.restore();
}

void DrawFocusFrame(QPainter &painter, const QRect &rect)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    InDevicePixels(painter, [&painter, &rect](qreal ratio) {
        const int left = int(std::lround(rect.left() * ratio));
        const int top = int(std::lround(rect.top() * ratio));
        const int right = int(std::lround((rect.left() + rect.width()) * ratio)) - 1;
        const int bottom = int(std::lround((rect.top() + rect.height()) * ratio)) - 1;
        const int band = std::min({LineWidth(ratio), right - left + 1, bottom - top + 1});
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                const bool edge =
                    y < top + band || y > bottom - band || x < left + band || x > right - band;
                if (edge && (x + y) % 2 == 0)
                    painter.fillRect(QRect(x, y, 1, 1), Qt::white);
            }
        }
    });
    painter.restore();
}

void DrawTriangle(QPainter &painter, const QRect &rect, bool pointsLeft, int height,
                  const QColor &color)
{
    InDevicePixels(painter, [&](qreal ratio) {
        // Odd in device pixels too, so the tip is one pixel.
        const int h = 2 * int(std::lround((height * ratio - 1) / 2)) + 1;
        const int w = (h + 1) / 2;
        const int rectLeft = int(std::lround(rect.left() * ratio));
        const int rectTop = int(std::lround(rect.top() * ratio));
        const int rectWidth = int(std::lround(rect.width() * ratio));
        const int rectHeight = int(std::lround(rect.height() * ratio));
        const int left = rectLeft + (rectWidth - w) / 2;
        const int middle = rectTop + (rectHeight - 1) / 2;
        for (int i = 0; i < w; ++i) {
            const int x = pointsLeft ? left + i : left + w - 1 - i;
            painter.fillRect(QRect(x, middle - i, 1, 2 * i + 1), color);
        }
    });
}

} // namespace DevicePixels
