#include "sizetext.h"

#include <QLocale>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString Scaled(double value)
{
    static const QString Units[] = {u"Б"_s, u"КБ"_s, u"МБ"_s, u"ГБ"_s, u"ТБ"_s};
    int unit = 0;
    // Never four digits, rounding included: 999,6 КБ is told as 1,0 МБ.
    while (unit < 4 && std::round(value) >= 1000.0) {
        value /= 1024.0;
        ++unit;
    }
    // The comma whatever the system's locale: the texts around it are Russian.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    // One decimal while it says something, and never "10,0": 9.96 rounds to 10.
    const bool decimal = unit > 0 && std::round(value * 10.0) < 100.0;
    const QString number = decimal ? russian.toString(std::round(value * 10.0) / 10.0, 'f', 1)
                                   : russian.toString(qint64(std::round(value)));
    return number + u' ' + Units[unit];
}

} // namespace

QString SizeText(qint64 bytes)
{
    return Scaled(double(std::max<qint64>(0, bytes)));
}

QString SpeedText(double bytesPerSecond)
{
    return Scaled(std::max(0.0, bytesPerSecond)) + u"/с"_s;
}

QString DurationText(qint64 seconds)
{
    seconds = std::max<qint64>(0, seconds);
    if (seconds < 60)
        return QString::number(seconds) + u" с"_s;
    // Whole minutes, up: a time left that says "0 мин" would be a promise broken.
    const qint64 minutes = (seconds + 59) / 60;
    if (minutes < 60)
        return QString::number(minutes) + u" мин"_s;
    const QString hours = QString::number(minutes / 60) + u" ч"_s;
    return minutes % 60 == 0 ? hours : hours + u' ' + QString::number(minutes % 60) + u" мин"_s;
}
