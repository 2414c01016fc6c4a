#pragma once

#include <QAccessibleInterface>
#include <QPointer>

class ucCalendar;

// One day cell of the calendar's table, by its place in the grid: what it
// shows follows the month on show.
class CalendarDayAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    // index 0-41, row by row.
    CalendarDayAccessible(ucCalendar *calendar, int index);

    bool isValid() const override { return !calendar.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;

    bool isSelected() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return index % 7; }
    int rowIndex() const override { return index / 7; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QPointer<ucCalendar> calendar;
    int index;
};
