#pragma once

#include "rounding.h"

#include <QRect>

#include <cmath>

// A rectangle as the button's drawing code thinks of it: left, top, right,
// bottom, with the right and bottom edges excluded.
struct WinRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr WinRect shifted(int d) const { return {left + d, top + d, right + d, bottom + d}; }
    QRect toRect() const { return QRect(left, top, width(), height()); }

    friend constexpr bool operator==(const WinRect &, const WinRect &) = default;
};
