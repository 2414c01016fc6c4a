#include "calendaraccessible.h"

#include "calendardayaccessible.h"
#include "uccalendar.h"

#include <QLocale>

namespace {

// Day cells are numbered 7-48 in the grid, 0-41 here.
constexpr int FirstCell = 7;

} // namespace

CalendarAccessible::CalendarAccessible(ucCalendar *calendar)
    : QAccessibleWidget(calendar, QAccessible::Table)
{}

CalendarAccessible::~CalendarAccessible()
{
    for (const QAccessible::Id id : cellIds) {
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
    }
}

ucCalendar *CalendarAccessible::calendar() const
{
    return static_cast<ucCalendar *>(widget());
}

void *CalendarAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString CalendarAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && calendar()->accessibleName().isEmpty())
        return calendar()->Model().TitleText();
    if (t == QAccessible::Description && calendar()->accessibleDescription().isEmpty()) {
        const QDate selected = CalendarModel::ParseDate(calendar()->ActiveDate());
        return QLocale().toString(selected, QLocale::LongFormat);
    }
    return QAccessibleWidget::text(t);
}

QAccessibleInterface *CalendarAccessible::child(int index) const
{
    if (index < 0 || index >= Rows * Columns)
        return nullptr;
    QAccessible::Id &id = cellIds[std::size_t(index)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(new CalendarDayAccessible(calendar(), index));
    return QAccessible::accessibleInterface(id);
}

int CalendarAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child));
    for (int i = 0; i < Rows * Columns; ++i) {
        if (cellIds[std::size_t(i)] == id)
            return i;
    }
    return -1;
}

QAccessibleInterface *CalendarAccessible::childAt(int x, int y) const
{
    const QPoint at = calendar()->mapFromGlobal(QPoint(x, y));
    const int cell = calendar()->Geometry().HitTestCell(at);
    return cell >= FirstCell ? child(cell - FirstCell) : nullptr;
}

QAccessibleInterface *CalendarAccessible::focusChild() const
{
    return calendar()->QWidget::hasFocus() ? child(selectedIndex()) : nullptr;
}

QAccessibleInterface *CalendarAccessible::cellAt(int row, int column) const
{
    if (row < 0 || row >= Rows || column < 0 || column >= Columns)
        return nullptr;
    return child(row * Columns + column);
}

QList<QAccessibleInterface *> CalendarAccessible::selectedCells() const
{
    if (QAccessibleInterface *cell = child(selectedIndex()))
        return {cell};
    return {};
}

QString CalendarAccessible::columnDescription(int column) const
{
    if (column < 0 || column >= Columns)
        return {};
    const int first = int(DateGrid::FirstDay(calendar()->FirstDayOfWeek()));
    return QLocale().standaloneDayName((first - 1 + column) % 7 + 1, QLocale::LongFormat);
}

int CalendarAccessible::selectedIndex() const
{
    return calendar()->Model().ActiveCell() - FirstCell;
}
