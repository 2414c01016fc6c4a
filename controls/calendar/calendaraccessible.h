#pragma once

#include <QAccessibleWidget>

#include <array>

class ucCalendar;

// What assistive tools see of a ucCalendar: a table of 6 x 7 day cells named
// by their dates, titled with the month on show; the selected day is the
// selected cell, and the focused one while the calendar has the focus.
class CalendarAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    static constexpr int Rows = 6;
    static constexpr int Columns = 7;

    explicit CalendarAccessible(ucCalendar *calendar);
    ~CalendarAccessible() override;

    void *interface_cast(QAccessible::InterfaceType t) override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override { return Rows * Columns; }
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return Columns; }
    int rowCount() const override { return Rows; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

    // Index 0-41 of the cell the selected day lies in.
    int selectedIndex() const;

private:
    ucCalendar *calendar() const;

    // Made when first asked for; Qt keeps them by these ids.
    mutable std::array<QAccessible::Id, Rows * Columns> cellIds{};
};
