#include "datetext.h"

using namespace Qt::StringLiterals;

QString DateText(QDate date)
{
    return date.toString(u"dd.MM.yyyy"_s);
}

QString TodayText()
{
    return DateText(QDate::currentDate());
}
