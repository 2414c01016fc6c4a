#pragma once

#include "checkpicture.h"

#include <QColor>
#include <QImage>

// Side of a state picture, in logical pixels.
constexpr int CheckPictureSide = 12;

// Draws one of the box's state pictures for a device pixel ratio. At ratio 1 it
// is the designed pixel art (the PNG files in pictures/ hold it); above 1 the
// frame keeps whole device pixels, the bevels and the glow are worked out per
// device pixel and the tick is a smooth shape of the same outline. A valid
// focus colour draws the frame in it.
QImage DrawCheckPicture(CheckPicture picture, qreal ratio = 1.0, const QColor &focusFrame = {});
