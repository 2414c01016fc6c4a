#include "datepickerkeys.h"

#include <QKeyEvent>
#include <QWidget>

DatePickerKeys::DatePickerKeys(QWidget *box, QWidget *calendar, std::function<void()> open,
                               QObject *parent)
    : QObject(parent), box(box), calendar(calendar), open(std::move(open))
{
    box->installEventFilter(this);
    calendar->installEventFilter(this);
}

bool DatePickerKeys::OpensCalendar(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_F4:
        return held == Qt::NoModifier;
    case Qt::Key_Down:
        return held == Qt::AltModifier;
    default:
        return false;
    }
}

bool DatePickerKeys::eventFilter(QObject *watched, QEvent *event)
{
    const auto isEscape = [event] {
        return static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
    };
    if (watched == box && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!OpensCalendar(key->key(), key->modifiers()))
            return false;
        open();
        return true;
    }
    if (watched != calendar)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        calendar->setFocus(Qt::OtherFocusReason);
        break;
    case QEvent::Hide:
        // Before Qt hands the focus of a hidden widget to the next one.
        if (calendar->hasFocus())
            box->setFocus(Qt::OtherFocusReason);
        break;
    case QEvent::ShortcutOverride:
        // Escape here is the calendar's, not the window's shortcut.
        if (isEscape()) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (isEscape()) {
            calendar->hide();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}
