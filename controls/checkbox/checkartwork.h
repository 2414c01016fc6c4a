#pragma once

#include "checkpicture.h"

#include <QImage>

// Draws the box's 12 x 12 state pictures pixel by pixel. The program shows the
// PNG files made from these; the drawing lives here so they can be made again.
QImage DrawCheckPicture(CheckPicture picture);
