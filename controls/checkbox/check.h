#pragma once

#include "checkpicture.h"

#include <QWidget>

class PropertyBag;
class PictureBox;
class QTimer;

// A two-state check box drawn from state pictures, without a caption. The
// value flips when the left button goes down; Click follows on the release
// and on every write of Value.
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

    // The left button went down on the box and has not come up yet.
    bool Pressed() const { return pressed; }

    CheckPicture ShownPicture() const { return shown; }

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

private:
    void Picture1_MouseDown(const QMouseEvent &event);
    void Picture1_MouseMove();
    void Picture1_MouseUp(Qt::MouseButton button);
    void Picture1_DblClick(Qt::MouseButton button);

    // A release of a button, and the tail of every write of Value.
    void releaseHandling();
    void startPolling();
    void showPicture(CheckPicture picture);

    bool value = false;
    bool pressed = false;
    CheckPicture shown = CheckPicture::IdleNoValue;
};
