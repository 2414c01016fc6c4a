#pragma once

#include <QString>

#include <array>

// A station of the chart site: the name shown in the list (also its folder
// name) and its path segment on the site.
struct Station
{
    QString name;
    QString slug;
};

// The seven stations, in list order.
const std::array<Station, 7> &StationTable();
