#include "loadprogress.h"

#include <cmath>
#include <limits>

namespace LoadProgress {

qint16 percent(qint64 received, qint64 length)
{
    const double value = std::floor(double(received) / double(length) * 100.0);
    if (value >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    if (value <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    return qint16(value);
}

} // namespace LoadProgress
