#include "check.h"

#include "controlsaccessibility.h"
#include "eventcodes.h"
#include "picturebox.h"
#include "propertybag.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int PictureSide = 13;
constexpr int PollInterval = 50;

} // namespace

Check::Check(QWidget *parent)
    : QWidget(parent), Picture1(new PictureBox(this)), Timer1(new QTimer(this))
{
    InstallControlsAccessibility();
    setFixedSize(PictureSide, PictureSide);
    // Reached by Tab and taken by a click, as a check box is.
    setFocusPolicy(Qt::StrongFocus);

    Picture1->setObjectName(u"Picture1"_s);
    Picture1->setGeometry(0, 0, PictureSide, PictureSide);
    Picture1->setMouseTracking(true);
    Picture1->installEventFilter(this);

    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(PollInterval);
    connect(Timer1, &QTimer::timeout, this, &Check::Timer1_Timer);

    showPicture(ChoosePicture(true, false, false, false));
}

void Check::setValue(bool v)
{
    storeValue(v);
    showPicture(ChoosePicture(Enabled(), value, false, false));
    releaseHandling();
}

void Check::Toggle()
{
    if (!Enabled())
        return;
    press();
    releaseHandling();
}

void Check::setCaptionLabel(QLabel *label)
{
    if (caption)
        caption->removeEventFilter(this);
    caption = label;
    if (!label)
        return;
    label->setBuddy(this);
    label->installEventFilter(this);
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
}

QLabel *Check::CaptionLabel() const
{
    return caption;
}

void Check::ReadProperties(const PropertyBag &bag)
{
    // Straight into the fields: a loaded box raises no Click.
    storeValue(bag.ReadProperty(u"Value"_s, false).toBool());
    pressed = false;
    pressedByKey = false;
    setEnabled(bag.ReadProperty(u"Enabled"_s, true).toBool());
    showPicture(ChoosePicture(Enabled(), value, false, false));
}

void Check::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(u"Value"_s, value, false);
    // The box's own setting, not whether a disabled parent greys it out.
    bag.WriteProperty(u"Enabled"_s, !testAttribute(Qt::WA_ForceDisabled), true);
}

void Check::Timer1_Timer()
{
    if (!Enabled()) {
        Timer1->stop();
        return;
    }
    const bool over = QApplication::widgetAt(QCursor::pos()) == Picture1;
    showPicture(ChoosePicture(true, value, over, false));
    if (!over)
        Timer1->stop();
}

void Check::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        if (!Enabled()) {
            Timer1->stop();
            // A release is not handled while disabled; a press left over would
            // keep hover polling off after the box is enabled again.
            pressed = false;
            pressedByKey = false;
        }
        showPicture(ChoosePicture(Enabled(), value, false, false));
    }
    QWidget::changeEvent(event);
}

bool Check::eventFilter(QObject *watched, QEvent *event)
{
    // The caption takes the clicks the box would take, nothing else.
    const bool onCaption = caption && watched == caption;
    if (watched != Picture1 && !onCaption)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (onCaption && Enabled())
            setFocus(Qt::MouseFocusReason);
        Picture1_MouseDown(*static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonRelease:
        Picture1_MouseUp(static_cast<QMouseEvent *>(event)->button());
        return true;
    case QEvent::MouseButtonDblClick:
        Picture1_DblClick(static_cast<QMouseEvent *>(event)->button());
        return true;
    case QEvent::MouseMove:
        if (onCaption)
            return false;
        Picture1_MouseMove();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void Check::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier) {
        event->ignore();
        return;
    }
    // A held Space repeats; only its first press counts.
    if (!event->isAutoRepeat() && !pressed) {
        pressedByKey = true;
        press();
    }
}

void Check::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        event->ignore();
        return;
    }
    if (event->isAutoRepeat() || !pressedByKey)
        return;
    pressedByKey = false;
    releaseHandling();
}

void Check::focusInEvent(QFocusEvent *event)
{
    showPicture(shown);
    QWidget::focusInEvent(event);
}

void Check::focusOutEvent(QFocusEvent *event)
{
    // Space went down here and comes up elsewhere: the click ends now.
    if (pressedByKey) {
        pressedByKey = false;
        releaseHandling();
    }
    showPicture(shown);
    QWidget::focusOutEvent(event);
}

void Check::Picture1_MouseDown(const QMouseEvent &event)
{
    if (event.button() != Qt::LeftButton || !Enabled())
        return;
    // In Picture1's pixels, also for a press on the caption.
    const QPointF at = Picture1->mapFromGlobal(event.globalPosition());
    Q_EMIT MouseDown(ButtonMask(event.button()), ShiftMask(event.modifiers()), float(at.x()),
                     float(at.y()));
    press();
}

void Check::Picture1_MouseMove()
{
    // A disabled box stops the polling again on its first tick.
    if (!pressed)
        startPolling();
}

void Check::Picture1_MouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        return;
    releaseHandling();
}

void Check::Picture1_DblClick(Qt::MouseButton button)
{
    // The second press of a double click arrives only as this event: it
    // neither flips the value nor raises MouseDown; its release clicks again.
    if (button == Qt::RightButton || !Enabled())
        return;
    Q_EMIT DblClick();
}

void Check::press()
{
    Timer1->stop();
    // The value flips now, on the press; the pressed picture keeps showing the
    // old value until the release lets the hover polling take over.
    storeValue(!value);
    pressed = true;
    showPicture(ChoosePicture(Enabled(), value, false, pressed));
}

void Check::releaseHandling()
{
    if (!Enabled())
        return;
    Q_EMIT Click();
    pressed = false;
    startPolling();
}

void Check::startPolling()
{
    // Restarting a running timer would hold off its tick while the mouse moves.
    if (!Timer1->isActive())
        Timer1->start();
}

void Check::storeValue(bool v)
{
    if (v == value)
        return;
    value = v;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void Check::showPicture(CheckPicture picture)
{
    shown = picture;
    Picture1->setLook(picture, hasFocus());
}
