#pragma once

#include <QIcon>
#include <QPixmap>

// The window's pictures, drawn in code so that they scale with the screen and
// need no files.
namespace Artwork {

// Light face for the controls above bandTop, a dark band below it for the
// progress bar and the white status line.
QPixmap windowBackground(QSize size, int bandTop);
QPixmap progressBackground(QSize size);
QPixmap progressFill(QSize size);
QIcon windowIcon();

} // namespace Artwork
