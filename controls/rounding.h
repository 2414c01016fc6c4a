#pragma once

#include <cmath>

// Nearest integer, halves to the even neighbour (2.5 -> 2, 7.5 -> 8), as the
// drawn controls' layout and colour arithmetic round; independent of the
// floating-point rounding mode.
inline int RoundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return int(lower) + 1;
    if (fraction < 0.5)
        return int(lower);
    return std::fmod(lower, 2.0) == 0.0 ? int(lower) : int(lower) + 1;
}
