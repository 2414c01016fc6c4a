#include "artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace Artwork {

QPixmap windowBackground(QSize size, int bandTop)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient face(0, 0, 0, bandTop);
    face.setColorAt(0.0, QColor(0xf3, 0xf6, 0xfa));
    face.setColorAt(1.0, QColor(0xd4, 0xde, 0xea));
    p.fillRect(QRect(0, 0, size.width(), bandTop), face);

    QLinearGradient band(0, bandTop, 0, size.height());
    band.setColorAt(0.0, QColor(0x2c, 0x4a, 0x6e));
    band.setColorAt(1.0, QColor(0x17, 0x2b, 0x44));
    p.fillRect(QRect(0, bandTop, size.width(), size.height() - bandTop), band);
    p.setPen(QColor(0x9d, 0xb3, 0xcc));
    p.drawLine(0, bandTop, size.width(), bandTop);
    return pixmap;
}

QPixmap progressBackground(QSize size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0.0, QColor(0xc9, 0xd3, 0xdf));
    face.setColorAt(0.5, QColor(0xe8, 0xed, 0xf2));
    face.setColorAt(1.0, QColor(0xf6, 0xf8, 0xfa));
    p.fillRect(pixmap.rect(), face);
    p.setPen(QColor(0x0f, 0x1e, 0x30));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return pixmap;
}

QPixmap progressFill(QSize size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0.0, QColor(0xa8, 0xe0, 0x8c));
    fill.setColorAt(0.45, QColor(0x6c, 0xc2, 0x4a));
    fill.setColorAt(0.55, QColor(0x55, 0xb0, 0x34));
    fill.setColorAt(1.0, QColor(0x7c, 0xc8, 0x5c));
    p.fillRect(pixmap.rect(), fill);
    return pixmap;
}

QIcon windowIcon()
{
    QIcon icon;
    for (const int side : {16, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF disc(0.5, 0.5, side - 1.0, side - 1.0);
        // A record with a blue label and a down arrow: songs to disk.
        QRadialGradient vinyl(disc.center(), side / 2.0);
        vinyl.setColorAt(0.0, QColor(0x40, 0x40, 0x48));
        vinyl.setColorAt(1.0, QColor(0x10, 0x10, 0x14));
        p.setPen(Qt::NoPen);
        p.setBrush(vinyl);
        p.drawEllipse(disc);
        p.setPen(QPen(QColor(0x5a, 0x5a, 0x66), side / 32.0));
        p.setBrush(Qt::NoBrush);
        for (double r : {0.40, 0.32})
            p.drawEllipse(disc.center(), side * r, side * r);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x3a, 0x8e, 0xe6));
        p.drawEllipse(disc.center(), side * 0.22, side * 0.22);
        QPainterPath arrow;
        const double c = side / 2.0, w = side * 0.12, h = side * 0.16;
        arrow.moveTo(c - w / 2, c - h);
        arrow.lineTo(c + w / 2, c - h);
        arrow.lineTo(c + w / 2, c);
        arrow.lineTo(c + w * 1.2, c);
        arrow.lineTo(c, c + h);
        arrow.lineTo(c - w * 1.2, c);
        arrow.lineTo(c - w / 2, c);
        arrow.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(arrow);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace Artwork
