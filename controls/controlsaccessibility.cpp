#include "controlsaccessibility.h"

#include "calendaraccessible.h"
#include "check.h"
#include "checkaccessible.h"
#include "uccalendar.h"
#include "xpb.h"
#include "xpbaccessible.h"

#include <QAccessible>
#include <QList>

namespace {

QList<AccessibleMaker> &Makers()
{
    static QList<AccessibleMaker> makers;
    return makers;
}

QAccessibleInterface *Factory(const QString &, QObject *object)
{
    for (const AccessibleMaker maker : std::as_const(Makers())) {
        if (QAccessibleInterface *made = maker(object))
            return made;
    }
    return nullptr;
}

QAccessibleInterface *MakeForControl(QObject *object)
{
    if (auto *button = qobject_cast<XpB *>(object))
        return new XpBAccessible(button);
    if (auto *box = qobject_cast<Check *>(object))
        return new CheckAccessible(box);
    if (auto *calendar = qobject_cast<ucCalendar *>(object))
        return new CalendarAccessible(calendar);
    return nullptr;
}

} // namespace

void AddAccessibleMaker(AccessibleMaker maker)
{
    if (Makers().contains(maker))
        return;
    if (Makers().isEmpty())
        QAccessible::installFactory(Factory);
    Makers().append(maker);
}

void InstallControlsAccessibility()
{
    AddAccessibleMaker(MakeForControl);
}
