#pragma once

#include <QEvent>

class QMenu;

// Sent to the calendar when one of its pop-up menus is about to open, so that
// the calendar's hooks see it like any other event of the control.
class MenuPopupEvent : public QEvent
{
public:
    explicit MenuPopupEvent(QMenu *menu) : QEvent(EventType()), menu(menu) {}

    static QEvent::Type EventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

    QMenu *Menu() const { return menu; }

private:
    QMenu *menu;
};
