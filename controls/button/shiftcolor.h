#pragma once

#include <QColor>

// Adds d to each of red, green and blue, clamped to 0..255.
QColor ShiftColor(const QColor &color, int d);
