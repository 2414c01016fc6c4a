#include "progressaccessible.h"

#include "progressbox.h"

using namespace Qt::StringLiterals;

ProgressAccessible::ProgressAccessible(ProgressBox *box)
    : QAccessibleWidget(box, QAccessible::ProgressBar)
{}

ProgressBox *ProgressAccessible::box() const
{
    return static_cast<ProgressBox *>(widget());
}

void *ProgressAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString ProgressAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return QString::number(box()->ShownPercent()) + u'%';
    return QAccessibleWidget::text(t);
}

QVariant ProgressAccessible::currentValue() const
{
    return box()->ShownPercent();
}
