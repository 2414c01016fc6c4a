#pragma once

#include "checkpicture.h"

#include <QPointer>
#include <QWidget>

class PropertyBag;
class PictureBox;
class QLabel;
class QMouseEvent;
class QTimer;

// A two-state check box drawn from state pictures, without a caption. The
// value flips when the left button or Space goes down; Click follows on the
// release and on every write of Value. A label may be named its caption: a
// click on it is a click on the box, and it names the box to assistive tools.
class Check : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Value READ Value WRITE setValue)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)

public:
    explicit Check(QWidget *parent = nullptr);

    bool Value() const { return value; }
    // Every write raises Click while the box is enabled, also when the value
    // does not change; a host writing Value from its Click handler is called again.
    void setValue(bool v);

    // Enabling goes through QWidget::setEnabled.
    bool Enabled() const { return isEnabled(); }

    // The left button or Space went down on the box and has not come up yet.
    bool Pressed() const { return pressed; }

    CheckPicture ShownPicture() const { return shown; }

    // A press and a release at once, as a keyboard or an assistive tool asks:
    // the value flips and Click follows. Nothing while disabled.
    void Toggle();

    // The label beside the box that reads as its caption (its buddy too).
    void setCaptionLabel(QLabel *label);
    QLabel *CaptionLabel() const;

    // Loading raises no Click.
    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

    // One hover poll: hover picture while the cursor is over the box, else the
    // idle picture and the polling stops.
    void Timer1_Timer();

    // Parts, by their designer names.
    PictureBox *const Picture1;
    QTimer *const Timer1;

Q_SIGNALS:
    void Click();
    void DblClick();
    // Button and Shift as bit sets (left 1, right 2, middle 4; Shift 1, Ctrl 2,
    // Alt 4); X and Y in Picture1's pixels.
    void MouseDown(qint16 Button, qint16 Shift, float X, float Y);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void Picture1_MouseDown(const QMouseEvent &event);
    void Picture1_MouseMove();
    void Picture1_MouseUp(Qt::MouseButton button);
    void Picture1_DblClick(Qt::MouseButton button);

    // The press of the left button or Space: the value flips now.
    void press();
    // A release of a button, and the tail of every write of Value.
    void releaseHandling();
    void startPolling();
    // The one door for the value: assistive tools hear of every change.
    void storeValue(bool v);
    void showPicture(CheckPicture picture);

    bool value = false;
    bool pressed = false;
    bool pressedByKey = false;
    CheckPicture shown = CheckPicture::IdleNoValue;
    QPointer<QLabel> caption;
};
