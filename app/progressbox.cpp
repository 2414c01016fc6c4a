#include "progressbox.h"

#include "controlsaccessibility.h"
#include "progressaccessible.h"

namespace {

QAccessibleInterface *MakeProgressAccessible(QObject *object)
{
    if (auto *box = qobject_cast<ProgressBox *>(object))
        return new ProgressAccessible(box);
    return nullptr;
}

} // namespace

ProgressBox::ProgressBox(QWidget *parent) : QLabel(parent)
{
    AddAccessibleMaker(MakeProgressAccessible);
}

void ProgressBox::setShownPercent(int percent)
{
    if (percent == shown)
        return;
    shown = percent;
    QAccessibleValueChangeEvent event(this, percent);
    QAccessible::updateAccessibility(&event);
}
