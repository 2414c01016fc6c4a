#pragma once

#include "buttongeometry.h"

#include <QSize>

// Where the caption and the picture go inside the content rectangle.
struct ButtonLayoutInput
{
    WinRect content; // (4, 4, width - 4, height - 4)
    bool hasCaption = false;
    QSize captionBlock; // the wrapped caption's measured width and height
    bool hasPicture = false;
    QSize picture;    // the stored picture size
    int position = 1; // 0 above, 1 left, 2 right, 3 below the caption
};

struct ButtonLayoutResult
{
    WinRect caption;
    WinRect picture;

    friend bool operator==(const ButtonLayoutResult &, const ButtonLayoutResult &) = default;
};

// Gap between the picture and the caption.
constexpr int PictureGap = 4;

// Arranges caption and picture. A rectangle the step has no reason to touch
// keeps its previous value: with no caption the caption rectangle, with no
// picture or an unknown position the picture rectangle.
ButtonLayoutResult LayoutContent(const ButtonLayoutInput &in, const ButtonLayoutResult &previous);
