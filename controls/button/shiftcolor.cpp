#include "shiftcolor.h"

#include <algorithm>

QColor ShiftColor(const QColor &color, int d)
{
    const auto shift = [d](int channel) { return std::clamp(channel + d, 0, 255); };
    return QColor(shift(color.red()), shift(color.green()), shift(color.blue()));
}
