#pragma once

#include <QObject>

#include <functional>

class QWidget;

// The date box and its calendar from the keyboard. Return, Space, F4 and
// Alt+Down in the box open the calendar as a click does; the calendar takes
// the focus when it opens; Escape closes it; whenever it closes with the focus
// in it, the focus goes back to the box.
class DatePickerKeys : public QObject
{
public:
    DatePickerKeys(QWidget *box, QWidget *calendar, std::function<void()> open, QObject *parent);

    static bool OpensCalendar(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *box;
    QWidget *calendar;
    std::function<void()> open;
};
