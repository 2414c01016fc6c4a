#include "stationtable.h"

using namespace Qt::StringLiterals;

const std::array<Station, 7> &StationTable()
{
    static const std::array<Station, 7> table = {{
        {u"Радио Европа Плюс"_s, u"europaplus"_s},
        {u"Радио DFM"_s, u"dinamit"_s},
        {u"Русское Радио"_s, u"rusradio"_s},
        {u"Love Radio"_s, u"loveradio"_s},
        {u"Радио Maximum"_s, u"maximum"_s},
        {u"Наше Радио"_s, u"nashe"_s},
        {u"Радио Шансон"_s, u"chanson"_s},
    }};
    return table;
}
