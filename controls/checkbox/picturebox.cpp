#include "picturebox.h"

#include "checkartwork.h"

#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {}

void PictureBox::setLook(CheckPicture picture, bool focus)
{
    if (picture == shown && focus == focused)
        return;
    shown = picture;
    focused = focus;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    const QColor frame = focused ? palette().color(QPalette::Highlight) : QColor();
    QPainter painter(this);
    painter.drawImage(0, 0, DrawCheckPicture(shown, devicePixelRatioF(), frame));
}
