#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// The job a command line asks for: which day's page, which of its songs, where
// they go, and what is printed. What it leaves unset comes from the settings.
struct JobRequest
{
    int station = -1;     // index in the station table
    QString date;         // dd.MM.yyyy
    bool list = false;    // print the day's songs instead of fetching any
    bool json = false;    // that list as JSON
    QList<int> positions; // the songs asked for by position; none: every song with an address
    bool onlyNew = false; // of those, only the songs the library lacks
    QString folder;       // "" for the stored one
    std::optional<bool> noNumbers;
    std::optional<bool> dayFolders;
    int parallel = -1; // songs at once, 0 for the run's choice, -1 for the stored setting
    bool quiet = false;

    // A station by its number in the list (1 to 7), its name or its path
    // segment on the site, letter case aside; -1 for none of them.
    static int stationFrom(const QString &text);
    // "today", "yesterday" or a real day as dd.MM.yyyy; "" for anything else.
    static QString dateFrom(const QString &text, QDate today);
    // "1,4,7-12": positions and ranges, each once, in the order given; nothing
    // for a text that is not such a list.
    static std::optional<QList<int>> positionsFrom(const QString &text);
};
