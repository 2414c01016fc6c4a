#pragma once

#include <Qt>

// The numbers the controls' mouse and key events carry, as hosts of such controls
// expect them.

// Shift 1, Ctrl 2, Alt 4.
qint16 ShiftMask(Qt::KeyboardModifiers modifiers);

// Left 1, right 2, middle 4.
qint16 ButtonMask(Qt::MouseButtons buttons);

// The Windows virtual-key code of a Qt key: letters and digits as their
// upper-case characters, Space 32, the editing, cursor, function and modifier
// keys by their codes; 0 for keys without one here.
qint16 WindowsKeyCode(int qtKey);
