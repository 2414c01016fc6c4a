#include "calendarmenu.h"

#include "calendarmenustyle.h"

#include <QCoreApplication>
#include <QStyleOptionMenuItem>

namespace {
const char *const ItemIdProperty = "calendarItemId";
}

CalendarMenu::CalendarMenu(int id, const MenuCaptionTable *captions, QWidget *parent)
    : QMenu(parent), id(id), captions(captions)
{
    setTitle(captions->at(id));
    auto *menuStyle = new CalendarMenuStyle;
    menuStyle->setParent(this);
    setStyle(menuStyle);
}

QAction *CalendarMenu::AddItem(int itemId)
{
    QAction *action = addAction(captions->at(itemId));
    action->setCheckable(true);
    action->setProperty(ItemIdProperty, itemId);
    return action;
}

int CalendarMenu::ItemId(const QAction *action) const
{
    if (!action || !actions().contains(const_cast<QAction *>(action)))
        return -1;
    return action->property(ItemIdProperty).toInt();
}

QAction *CalendarMenu::Item(int position) const
{
    const QList<QAction *> items = actions();
    return position >= 0 && position < items.size() ? items[position] : nullptr;
}

void CalendarMenu::setOwnerDrawn(bool on)
{
    if (ownerDrawn == on)
        return;
    ownerDrawn = on;
    // The style measures the items: have them measured again.
    QEvent remeasure(QEvent::StyleChange);
    QCoreApplication::sendEvent(this, &remeasure);
    update();
}

const CalendarMenu *CalendarMenu::OwnerDrawnMenu(const QWidget *widget)
{
    const auto *menu = qobject_cast<const CalendarMenu *>(widget);
    return menu && menu->ownerDrawn ? menu : nullptr;
}

void CalendarMenu::initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const
{
    QMenu::initStyleOption(option, action);
    const int itemId = ItemId(action);
    if (itemId >= 0 && itemId < int(captions->size()))
        option->text = captions->at(itemId);
}
