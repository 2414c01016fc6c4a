#include "xpbaccessible.h"

#include "accesskey.h"
#include "xpb.h"

#include <QKeySequence>
#include <QTimer>

using namespace Qt::StringLiterals;

XpBAccessible::XpBAccessible(XpB *button) : QAccessibleWidget(button, QAccessible::Button) {}

XpB *XpBAccessible::button() const
{
    return static_cast<XpB *>(widget());
}

QString XpBAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return CaptionText(button()->Caption());
    if (t == QAccessible::Accelerator && !button()->accessKey().isNull())
        return QKeySequence(QKeyCombination(Qt::AltModifier,
                                            Qt::Key(button()->accessKey().toUpper().unicode())))
            .toString(QKeySequence::NativeText);
    return QAccessibleWidget::text(t);
}

QAccessible::State XpBAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = button()->PressState() != 0;
    return s;
}

QStringList XpBAccessible::actionNames() const
{
    QStringList names;
    if (button()->isEnabled())
        names << pressAction();
    return names + QAccessibleWidget::actionNames();
}

void XpBAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    // Later, from the event loop, as Qt's own buttons do: the host's Click
    // handler may open a dialog, which must not hold up the tool's call.
    QTimer::singleShot(0, button(), [target = button()] { target->ClickAsAccessKey(); });
}

QStringList XpBAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName != pressAction())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    QStringList keys{u"Space"_s};
    if (const QString key = text(QAccessible::Accelerator); !key.isEmpty())
        keys << key;
    return keys;
}
