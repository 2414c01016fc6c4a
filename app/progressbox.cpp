#include "progressbox.h"

#include "progressaccessible.h"

namespace {

QAccessibleInterface *ProgressFactory(const QString &, QObject *object)
{
    if (auto *box = qobject_cast<ProgressBox *>(object))
        return new ProgressAccessible(box);
    return nullptr;
}

} // namespace

ProgressBox::ProgressBox(QWidget *parent) : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(ProgressFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void ProgressBox::setShownPercent(int percent)
{
    if (percent == shown)
        return;
    shown = percent;
    QAccessibleValueChangeEvent event(this, percent);
    QAccessible::updateAccessibility(&event);
}
