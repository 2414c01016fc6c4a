#pragma once

#include "buttongeometry.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

// Colours a paint uses, already resolved.
struct ButtonColors
{
    QColor background = QColor(240, 240, 240); // what the surface is cleared to
    QColor face = QColor(240, 240, 240);       // button face
    QColor frame = QColor(0, 0, 0);            // 3D dark shadow: the gradient styles' frame
    QColor highlight = QColor(255, 255, 255);  // button highlight
    QColor shadow = QColor(160, 160, 160);     // button shadow
    QColor text = QColor(0, 0, 0);             // button text
    QColor hover = QColor(225, 153, 71);       // the hover frame of the gradient style
};

// Everything one paint of the button needs, collected before painting.
struct ButtonSnapshot
{
    int width = 0;
    int height = 0;
    int style = 0;
    int pressState = 0;
    bool hovering = false;
    bool hasFocus = false;
    bool enabled = true;
    bool showFocusRect = false;
    QString caption;
    QFont font;
    WinRect captionRect;
    WinRect pictureRect;
    WinRect focusRect;
    QImage picture;        // null when there is none
    QSize pictureSize;     // the stored picture size: source area of an icon
    quint32 maskColor = 0; // transparent colour of a bitmap, enabled or not
    ButtonColors colors;
};
