#include "check.h"

#include "eventcodes.h"
#include "picturebox.h"
#include "propertybag.h"

#include <QApplication>
#include <QCursor>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmapCache>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int PictureSide = 13;
constexpr int PollInterval = 50;

// Read as PNG outright: a reader left to guess the format first asks every image
// plugin installed, loading each one, which the program's start waited for.
QPixmap LoadPicture(CheckPicture picture)
{
    const QString path = PictureResource(picture);
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    pixmap = QPixmap::fromImage(reader.read());
    if (!pixmap.isNull())
        QPixmapCache::insert(path, pixmap);
    return pixmap;
}

} // namespace

Check::Check(QWidget *parent)
    : QWidget(parent), Picture1(new PictureBox(this)), Timer1(new QTimer(this))
{
    setFixedSize(PictureSide, PictureSide);

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
    value = v;
    showPicture(ChoosePicture(Enabled(), value, false, false));
    releaseHandling();
}

void Check::ReadProperties(const PropertyBag &bag)
{
    // Straight into the fields: a loaded box raises no Click.
    value = bag.ReadProperty(u"Value"_s, false).toBool();
    pressed = false;
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
        }
        showPicture(ChoosePicture(Enabled(), value, false, false));
    }
    QWidget::changeEvent(event);
}

bool Check::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != Picture1)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        Picture1_MouseDown(*static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonRelease:
        Picture1_MouseUp(static_cast<QMouseEvent *>(event)->button());
        return true;
    case QEvent::MouseButtonDblClick:
        Picture1_DblClick(static_cast<QMouseEvent *>(event)->button());
        return true;
    case QEvent::MouseMove:
        Picture1_MouseMove();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void Check::Picture1_MouseDown(const QMouseEvent &event)
{
    if (event.button() != Qt::LeftButton || !Enabled())
        return;
    const QPointF at = event.position();
    Q_EMIT MouseDown(ButtonMask(event.button()), ShiftMask(event.modifiers()), float(at.x()),
                     float(at.y()));
    Timer1->stop();
    // The value flips now, on the press; the pressed picture keeps showing the
    // old value until the release lets the hover polling take over.
    value = !value;
    pressed = true;
    showPicture(ChoosePicture(Enabled(), value, false, pressed));
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

void Check::showPicture(CheckPicture picture)
{
    if (picture == shown && !Picture1->picture().isNull())
        return;
    const QPixmap pixmap = LoadPicture(picture);
    // A picture that does not load leaves the previous one in place.
    if (pixmap.isNull())
        return;
    Picture1->setPicture(pixmap);
    shown = picture;
}
