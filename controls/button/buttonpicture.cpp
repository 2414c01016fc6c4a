#include "buttonpicture.h"

#include "resolvecolor.h"

#include <QBuffer>

#include <utility>

QImage MaskedBitmap(const QImage &bitmap, quint32 maskColor, QSize size, const QColor &surface)
{
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32).copy(QRect(QPoint(0, 0), size));
    const bool masked = !(maskColor & SystemColorFlag);
    const QRgb mask =
        qRgb(int(maskColor & 0xFF), int((maskColor >> 8) & 0xFF), int((maskColor >> 16) & 0xFF));
    const QRgb cleared = surface.rgb();
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (x >= bitmap.width() || y >= bitmap.height())
                line[x] = cleared;
            if (masked && (line[x] & 0xFFFFFF) == (mask & 0xFFFFFF))
                line[x] = 0;
        }
    }
    return out;
}

QImage EmbossedPicture(const QImage &picture, const QColor &light, const QColor &shadow)
{
    const QImage src = picture.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.width() + 1, src.height() + 1, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    const auto inked = [&src](int x, int y) {
        const QRgb p = src.pixel(x, y);
        return qAlpha(p) >= 128 && (p & 0xFFFFFF) != 0xFFFFFF;
    };
    for (const auto &[color, offset] : {std::pair{light, 1}, std::pair{shadow, 0}}) {
        const QRgb rgb = color.rgb();
        for (int y = 0; y < src.height(); ++y) {
            for (int x = 0; x < src.width(); ++x) {
                if (inked(x, y))
                    out.setPixel(x + offset, y + offset, rgb);
            }
        }
    }
    return out;
}

QString PictureToText(const QImage &picture)
{
    if (picture.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return QString::fromLatin1(png.toBase64());
}

QImage PictureFromValue(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QImage:
        return value.value<QImage>();
    case QMetaType::QByteArray:
        return QImage::fromData(value.toByteArray());
    case QMetaType::QString:
        return QImage::fromData(QByteArray::fromBase64(value.toString().toLatin1()));
    default:
        return {};
    }
}
