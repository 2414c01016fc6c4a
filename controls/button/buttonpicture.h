#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QVariant>

// The button's picture is either a bitmap (no alpha channel), drawn with one
// transparent colour, or an icon (with alpha), drawn as it is.
inline bool IsBitmap(const QImage &picture)
{
    return !picture.hasAlphaChannel();
}

// `size` pixels of a surface cleared to `surface` with the bitmap drawn at its
// top left, every pixel of maskColor (0x00BBGGRR) made transparent; a system
// colour value matches no pixel.
QImage MaskedBitmap(const QImage &bitmap, quint32 maskColor, QSize size, const QColor &surface);

// The disabled look: every inked pixel (opaque and not white) in `light` one
// pixel right and down, then in `shadow` in place. One pixel wider and taller.
QImage EmbossedPicture(const QImage &picture, const QColor &light, const QColor &shadow);

// Pictures travel in the property bag as base64 PNG text; a stored QImage or
// raw image file bytes are read as well.
QString PictureToText(const QImage &picture);
QImage PictureFromValue(const QVariant &value);
