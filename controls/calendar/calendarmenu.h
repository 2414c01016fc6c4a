#pragma once

#include <QMenu>

#include <array>

// Captions of the calendar's menus and their items by item identifier.
using MenuCaptionTable = std::array<QString, 26>;

// A pop-up menu of the calendar. Its items carry identifiers into the
// calendar's caption table, which supplies every caption drawn or measured;
// once made owner-drawn, CalendarMenuStyle measures and draws the items.
class CalendarMenu : public QMenu
{
    Q_OBJECT

public:
    CalendarMenu(int id, const MenuCaptionTable *captions, QWidget *parent = nullptr);

    int Id() const { return id; }
    // A checkable item; its caption is the table's entry for itemId.
    QAction *AddItem(int itemId);
    // The identifier of an item of this menu, or -1.
    int ItemId(const QAction *action) const;
    QAction *Item(int position) const;

    bool OwnerDrawn() const { return ownerDrawn; }
    void setOwnerDrawn(bool on);
    // The style's look for owner-drawn items; null when not owner-drawn.
    static const CalendarMenu *OwnerDrawnMenu(const QWidget *widget);

protected:
    void initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const override;

private:
    int id;
    const MenuCaptionTable *captions;
    bool ownerDrawn = false;
};
