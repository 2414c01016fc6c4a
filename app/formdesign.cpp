#include "formdesign.h"

#include <QFont>

#include <array>

using namespace Qt::StringLiterals;

namespace FormDesign {

namespace {

struct Placement
{
    QStringView name;
    QRect rect;
};

// Twips of the original layout divided by 15.
constexpr std::array<Placement, 21> placements = {{
    {u"Text1", QRect(8, 8, 61, 21)},
    {u"Combo1", QRect(76, 8, 149, 21)},
    {u"Command1", QRect(232, 8, 93, 21)},
    {u"List1", QRect(8, 40, 321, 169)},
    {u"Cal", QRect(8, 8, 322, 224)},
    {u"Check1", QRect(8, 216, 13, 13)},
    {u"Label2", QRect(24, 216, 65, 13)},
    {u"Check2", QRect(100, 216, 13, 13)},
    {u"Label3", QRect(116, 216, 77, 13)},
    {u"Check3", QRect(204, 216, 13, 13)},
    {u"Label4", QRect(220, 216, 107, 13)},
    {u"Text2", QRect(8, 236, 301, 19)},
    {u"XpB1", QRect(309, 236, 19, 19)},
    {u"Progress", QRect(8, 264, 321, 21)},
    {u"ImagPr", QRect(0, 0, 0, 21)},
    {u"PercLabel", QRect(148, 2, 26, 13)},
    {u"PercLabel2", QRect(149, 3, 26, 13)},
    {u"G", QRect(305, 4, 9, 9)},
    {u"st", QRect(8, 284, 322, 13)},
    {u"bg", QRect(QPoint(0, 0), ClientSize)},
    {u"Main", QRect(QPoint(0, 0), ClientSize)},
}};

QFont formFont(bool bold)
{
    // Stands in for "MS Sans Serif" 8.25 pt, Cyrillic.
    QFont font(u"MS Sans Serif"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

} // namespace

QRect Geometry(QStringView name)
{
    for (const Placement &p : placements) {
        if (p.name == name)
            return p.rect;
    }
    return {};
}

PropertyBag SavedProperties(QStringView name)
{
    PropertyBag bag;
    if (name == u"Command1") {
        bag.WriteProperty(u"Caption"_s, u"Старт!"_s);
        bag.WriteProperty(u"ButtonStyle"_s, 1);
        bag.WriteProperty(u"Enabled"_s, false);
    } else if (name == u"XpB1") {
        bag.WriteProperty(u"Caption"_s, u"..."_s);
        bag.WriteProperty(u"ButtonStyle"_s, 1);
    } else if (name == u"Cal") {
        // Keys as the saved instance carries them: in lower case.
        bag.WriteProperty(u"font"_s, formFont(false));
        bag.WriteProperty(u"activedayfont"_s, formFont(true));
        bag.WriteProperty(u"monthnamefont"_s, formFont(true));
        bag.WriteProperty(u"activedate"_s, u"18.06.2014"_s);
        bag.WriteProperty(u"linestyle"_s, 3);
        bag.WriteProperty(u"borderstyle"_s, 0);
        bag.WriteProperty(u"firstdayofweek"_s, 2);
    }
    // Check1 to Check3 were saved with their defaults: nothing stored.
    return bag;
}

} // namespace FormDesign
