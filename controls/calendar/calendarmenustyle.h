#pragma once

#include <QImage>
#include <QProxyStyle>

// Measures and draws the items of an owner-drawn CalendarMenu: a check box
// column on the left, a blended highlight and a drawn check mark. Everything
// else is left to the application style.
class CalendarMenuStyle : public QProxyStyle
{
    Q_OBJECT

public:
    struct Item
    {
        QString caption;
        bool selected = false;
        bool marked = false;
        bool themed = true;
    };

    CalendarMenuStyle();

    // Visual styles are on unless the plain Windows look is in use.
    static bool IsThemed(const QStyle *style);

    // Size of an item with this caption in the menu font.
    static QSize MeasureMenuItem(const QFont &menuFont, const QString &caption, bool themed);
    // The item drawn on a canvas of the given size, in device pixels of the ratio given.
    static QImage DrawMenuItem(QSize size, const Item &item, const QFont &menuFont,
                               const QPalette &palette, qreal ratio = 1.0);

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
};
