#include "calendardayaccessible.h"

#include "uccalendar.h"

#include <QLocale>

namespace {

constexpr int FirstCell = 7;

} // namespace

CalendarDayAccessible::CalendarDayAccessible(ucCalendar *calendar, int index)
    : calendar(calendar), index(index)
{}

QWindow *CalendarDayAccessible::window() const
{
    return calendar ? calendar->window()->windowHandle() : nullptr;
}

void *CalendarDayAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    return nullptr;
}

QAccessibleInterface *CalendarDayAccessible::parent() const
{
    return calendar ? QAccessible::queryAccessibleInterface(calendar.data()) : nullptr;
}

QString CalendarDayAccessible::text(QAccessible::Text t) const
{
    if (!calendar || t != QAccessible::Name)
        return {};
    const QDate date = calendar->Model().Grid().DateFromCell(FirstCell + index);
    return QLocale().toString(date, QLocale::LongFormat);
}

QRect CalendarDayAccessible::rect() const
{
    if (!calendar || !calendar->isVisible())
        return {};
    const QRect cell = calendar->Geometry().DayCell(FirstCell + index);
    return QRect(calendar->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::State CalendarDayAccessible::state() const
{
    QAccessible::State s;
    if (!calendar)
        return s;
    s.selectable = true;
    s.focusable = true;
    s.selected = isSelected();
    s.focused = s.selected && calendar->QWidget::hasFocus();
    s.invisible = !calendar->isVisible();
    s.disabled = !calendar->isEnabled();
    return s;
}

bool CalendarDayAccessible::isSelected() const
{
    return calendar && calendar->Model().ActiveCell() == FirstCell + index;
}
