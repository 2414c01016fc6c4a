#include "eventcodes.h"

#include <QKeyEvent>

KeyOrigin KeyOriginOf(const QKeyEvent &event)
{
    KeyOrigin origin;
    origin.keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    // The window system's own virtual-key code, as the codes here are.
    origin.virtualKey = event.nativeVirtualKey();
    return origin;
}
