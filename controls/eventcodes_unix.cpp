#include "eventcodes.h"

#include <QGuiApplication>
#include <QKeyEvent>

KeyOrigin KeyOriginOf(const QKeyEvent &event)
{
    KeyOrigin origin;
    origin.keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    // Both speak XKB key codes; other platforms' scan codes mean other things.
    const QString platform = QGuiApplication::platformName();
    if (platform == u"xcb" || platform.startsWith(u"wayland"))
        origin.scanCode = event.nativeScanCode();
    return origin;
}
