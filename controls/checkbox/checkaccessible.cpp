#include "checkaccessible.h"

#include "check.h"

#include <QLabel>
#include <QTimer>

using namespace Qt::StringLiterals;

CheckAccessible::CheckAccessible(Check *box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

Check *CheckAccessible::box() const
{
    return static_cast<Check *>(widget());
}

QString CheckAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && box()->accessibleName().isEmpty() && box()->CaptionLabel())
        return box()->CaptionLabel()->text().remove(u'&');
    return QAccessibleWidget::text(t);
}

QAccessible::State CheckAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = true;
    s.checked = box()->Value();
    s.pressed = box()->Pressed();
    return s;
}

QStringList CheckAccessible::actionNames() const
{
    QStringList names;
    if (box()->isEnabled())
        names << toggleAction();
    return names + QAccessibleWidget::actionNames();
}

void CheckAccessible::doAction(const QString &actionName)
{
    if (actionName != toggleAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    // Later, from the event loop, as Qt's own buttons do: the host's Click
    // handler may open a dialog, which must not hold up the tool's call.
    QTimer::singleShot(0, box(), [target = box()] { target->Toggle(); });
}

QStringList CheckAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == toggleAction())
        return {u"Space"_s};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
