#pragma once

#include "buttonsnapshot.h"

#include <QSize>

class QPainter;

// Draws the button from a snapshot, at the painter's origin, without clipping.
void PaintButton(QPainter &p, const ButtonSnapshot &s);

// Width and height of the caption block when wrapped to availableWidth, as
// PaintButton draws it ("&" marks the access key, "&&" is one ampersand).
QSize MeasureCaption(const QFont &font, const QString &caption, int availableWidth);
