#pragma once

#include <QObject>

// The button's state flags and the events they raise, apart from any window.
// The widget hands over each mouse, key and focus notification; this class
// alone decides which flags change and in which order the events come.
//
// "Tracking" stands for holding the mouse capture: it starts when the pointer
// enters and ends when it leaves or a button or Space is released. While
// tracking, a move outside means the pointer has left; without it, mouse input
// from outside the button belongs to someone else and is dropped.
class ButtonInput : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // 0 not pressed; 1 pressed by the left button or Space; the mask of the
    // buttons held (1 left, 2 right, 4 middle) when the pointer entered with them.
    int pressState() const { return press; }
    bool hovering() const { return hover; }
    bool hasFocus() const { return focus; }
    bool tracking() const { return captured; }

    // `over`: the pointer lies over the button.
    void mouseMove(qint16 button, qint16 shift, float x, float y, bool over);
    void mouseDown(qint16 button, qint16 shift, float x, float y, bool over);
    void mouseUp(qint16 button, qint16 shift, float x, float y, bool over);
    // The pointer went away without a move reaching the button.
    void pointerLeft(qint16 shift);
    void keyDown(qint16 keyCode, qint16 shift);
    void keyUp(qint16 keyCode, qint16 shift);
    void accessKey(bool enabled);
    void focusIn();
    void focusOut();
    // Enabling or disabling drops every flag.
    void reset();

Q_SIGNALS:
    // Same names, arguments and order as the button's own events.
    void Click();
    void KeyDown(qint16 KeyCode, qint16 Shift);
    void KeyUp(qint16 KeyCode, qint16 Shift);
    void MouseDown(qint16 Button, qint16 Shift, float X, float Y);
    void MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void MouseUp(qint16 Button, qint16 Shift, float X, float Y);
    void MouseIn(qint16 Shift);
    void MouseOut(qint16 Shift);
    // The look changed: repaint.
    void changed();

private:
    void leave(qint16 shift);

    int press = 0;
    bool hover = false;
    bool focus = false;
    bool captured = false;
};
