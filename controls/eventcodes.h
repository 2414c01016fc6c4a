#pragma once

#include <Qt>

class QKeyEvent;

// The numbers the controls' mouse and key events carry, as hosts of such controls
// expect them.

// Shift 1, Ctrl 2, Alt 4.
qint16 ShiftMask(Qt::KeyboardModifiers modifiers);

// Left 1, right 2, middle 4.
qint16 ButtonMask(Qt::MouseButtons buttons);

// Where a key press came from, beyond Qt's key code.
struct KeyOrigin
{
    bool keypad = false;    // on the numeric keypad
    quint32 scanCode = 0;   // XKB key code (evdev code + 8), from X11 or Wayland; 0 if unknown
    quint32 virtualKey = 0; // the platform's own Windows key code; 0 if it has none
};

KeyOrigin KeyOriginOf(const QKeyEvent &event);

// The Windows virtual-key code of a key. Those name the key, not the character:
// the A key gives 65 and the minus key 189 in a Russian layout as in a US one.
// Latin letters and digits go by the layout, as Windows has it; other characters
// by the physical key where the scan code tells it, else by the key that carries
// them in the Russian or US layout. Space, editing, cursor, function and
// modifier keys by their codes; 0 for keys without one here.
qint16 WindowsKeyCode(int qtKey, const KeyOrigin &origin = {});
