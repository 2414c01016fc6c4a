#include "progressreadout.h"

#include <QtGlobal>

#include <cmath>

ProgressReadout ProgressFor(qint16 percent, int barWidth)
{
    if (percent == 0 || percent > 100)
        return {};
    // Single precision, truncated towards minus infinity, as the bar always did.
    const float width = float(barWidth) / 100.0f * float(percent);
    return {true, QString::number(percent) + QLatin1Char('%'), qMax(0, int(std::floor(width)))};
}
