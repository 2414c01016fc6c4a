#include "check.h"

#include "propertybag.h"

#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

Check::Check(QWidget *parent) : QWidget(parent)
{
    setFixedSize(13, 13);
}

void Check::setValue(bool v)
{
    value = v;
    update();
    if (isEnabled())
        Q_EMIT Click();
}

void Check::ReadProperties(const PropertyBag &bag)
{
    value = bag.ReadProperty(u"Value"_s, false).toBool();
    setEnabled(bag.ReadProperty(u"Enabled"_s, true).toBool());
}

void Check::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(u"Value"_s, value, false);
    bag.WriteProperty(u"Enabled"_s, isEnabled(), true);
}

void Check::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(QRect(0, 0, 12, 12), Qt::white);
    p.setPen(Qt::darkGray);
    p.drawRect(QRect(0, 0, 11, 11));
    if (value)
        p.fillRect(QRect(3, 3, 6, 6), Qt::black);
}

void Check::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setValue(!value);
}
