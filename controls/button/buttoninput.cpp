#include "buttoninput.h"

namespace {
constexpr qint16 SpaceKey = 32;
}

void ButtonInput::mouseMove(qint16 button, qint16 shift, float x, float y, bool over)
{
    if (!over && !captured)
        return;
    if (over && !hover) {
        captured = false;
        press = button;
        hover = true;
        Q_EMIT MouseIn(shift);
        Q_EMIT changed();
        captured = true;
    } else if (!over) {
        leave(shift);
    }
    Q_EMIT MouseMove(button, shift, x, y);
}

void ButtonInput::mouseDown(qint16 button, qint16 shift, float x, float y, bool over)
{
    if (!over && !captured)
        return;
    if (button < 2) {
        press = 1;
        Q_EMIT changed();
    }
    Q_EMIT MouseDown(button, shift, x, y);
}

void ButtonInput::mouseUp(qint16 button, qint16 shift, float x, float y, bool over)
{
    if (!over && !captured)
        return;
    captured = false;
    if (button < 2 && over)
        Q_EMIT Click();
    Q_EMIT MouseUp(button, shift, x, y);
    press = 0;
    hover = false;
    Q_EMIT changed();
}

void ButtonInput::pointerLeft(qint16 shift)
{
    if (captured)
        leave(shift);
}

void ButtonInput::leave(qint16 shift)
{
    captured = false;
    hover = false;
    press = 0;
    Q_EMIT MouseOut(shift);
    Q_EMIT changed();
}

void ButtonInput::keyDown(qint16 keyCode, qint16 shift)
{
    // A held Space repeats its key-down; only the first one presses.
    if (press == 0 && keyCode == SpaceKey) {
        press = 1;
        hover = true;
        Q_EMIT changed();
    }
    Q_EMIT KeyDown(keyCode, shift);
}

void ButtonInput::keyUp(qint16 keyCode, qint16 shift)
{
    if (keyCode == SpaceKey) {
        press = 0;
        hover = false;
        Q_EMIT changed();
        captured = false;
        Q_EMIT Click();
        Q_EMIT MouseUp(1, shift, 0, 0);
        // The host's Click may have pressed again (a nested event loop); the key is up.
        press = 0;
        hover = false;
        Q_EMIT changed();
    }
    Q_EMIT KeyUp(keyCode, shift);
}

void ButtonInput::accessKey(bool enabled)
{
    if (enabled)
        Q_EMIT Click();
}

void ButtonInput::focusIn()
{
    hover = false;
    focus = true;
    Q_EMIT changed();
}

void ButtonInput::focusOut()
{
    focus = false;
    press = 0;
    hover = false;
    Q_EMIT changed();
}

void ButtonInput::reset()
{
    focus = false;
    press = 0;
    hover = false;
    captured = false;
    Q_EMIT changed();
}
