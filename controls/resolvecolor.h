#pragma once

#include <QColor>
#include <QPalette>

// Colour values of the drawn controls are 32-bit: with the top bit set the low
// byte names a Windows system colour (COLOR_BTNFACE = 15 and so on), resolved
// against the widget's palette when drawing; otherwise the value is 0x00BBGGRR.
constexpr quint32 SystemColorFlag = 0x80000000u;

constexpr quint32 SystemColor(int index)
{
    return SystemColorFlag | quint32(index);
}

// The Windows system colour indices the controls use by name.
namespace SysColor {
enum : quint32 {
    Menu = SystemColor(4),
    Window = SystemColor(5),
    MenuText = SystemColor(7),
    WindowText = SystemColor(8),
    Highlight = SystemColor(13),
    HighlightText = SystemColor(14),
    ButtonFace = SystemColor(15),
    ButtonShadow = SystemColor(16),
    GrayText = SystemColor(17),
    ButtonText = SystemColor(18),
    ButtonHighlight = SystemColor(20),
    DarkShadow3D = SystemColor(21),
    Light3D = SystemColor(22),
    MenuHighlight = SystemColor(29),
};
}

constexpr quint32 RGBValue(int r, int g, int b)
{
    return quint32(r) | (quint32(g) << 8) | (quint32(b) << 16);
}

// System colours map to palette roles by this table (index: role):
//   4 menu: Window            5 window: Base             7 menu text: WindowText
//   8 window text: Text       13 highlight: Highlight    14 highlight text: HighlightedText
//   15 button face: Button    16 button shadow: Dark     17 grey text: disabled Text
//   18 button text: ButtonText 20 button highlight: Light 21 3D dark shadow: Shadow
//   22 3D light: Midlight     29 menu highlight: Highlight
// and, less used: 0 scroll bar: Button; 1 desktop, 12 app workspace: Dark;
// 2 active caption, 27 gradient: Highlight; 3 inactive caption, 28: Mid;
// 6 window frame: Shadow; 9 caption text: HighlightedText; 10, 11 borders: Button;
// 19 inactive caption text: Light; 23 info text: ToolTipText; 24 info: ToolTipBase;
// 26 hot light: Link; 30 menu bar: Window. Unknown indices are black.
QColor ResolveColor(quint32 value, const QPalette &palette);

// 0x00BBGGRR of a colour (alpha dropped).
quint32 ColorValue(const QColor &color);
