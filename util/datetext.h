#pragma once

#include <QDate>
#include <QString>

// Dates travel as "dd.MM.yyyy" whatever the locale: they go into web addresses,
// folder names and the settings, where another form would break them.
QString DateText(QDate date);
QString TodayText();
