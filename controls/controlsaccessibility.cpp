#include "controlsaccessibility.h"

#include "calendaraccessible.h"
#include "check.h"
#include "checkaccessible.h"
#include "uccalendar.h"
#include "xpb.h"
#include "xpbaccessible.h"

namespace {

QAccessibleInterface *ControlsFactory(const QString &, QObject *object)
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

void InstallControlsAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(ControlsFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
