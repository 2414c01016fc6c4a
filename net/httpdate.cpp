#include "httpdate.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

int month(QStringView name)
{
    static const QStringList names = {u"Jan"_s, u"Feb"_s, u"Mar"_s, u"Apr"_s, u"May"_s, u"Jun"_s,
                                      u"Jul"_s, u"Aug"_s, u"Sep"_s, u"Oct"_s, u"Nov"_s, u"Dec"_s};
    return int(names.indexOf(name)) + 1;
}

std::optional<QDateTime> make(int year, int mon, int day, const QRegularExpressionMatch &m,
                              int timeAt)
{
    const QDate date(year, mon, day);
    const QTime time(m.captured(timeAt).toInt(), m.captured(timeAt + 1).toInt(),
                     m.captured(timeAt + 2).toInt());
    if (mon == 0 || !date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

} // namespace

namespace HttpDate {

std::optional<QDateTime> parse(QByteArrayView text)
{
    static const QRegularExpression fixed(
        u"^[A-Z][a-z]{2}, (\\d{2}) ([A-Z][a-z]{2}) (\\d{4}) (\\d{2}):(\\d{2}):(\\d{2}) GMT$"_s);
    static const QRegularExpression rfc850(
        u"^[A-Z][a-z]+, (\\d{2})-([A-Z][a-z]{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2}) GMT$"_s);
    static const QRegularExpression asctime(
        u"^[A-Z][a-z]{2} ([A-Z][a-z]{2}) ([ \\d]\\d) (\\d{2}):(\\d{2}):(\\d{2}) (\\d{4})$"_s);
    const QString value = QString::fromLatin1(text);
    if (const auto m = fixed.match(value); m.hasMatch())
        return make(m.captured(3).toInt(), month(m.captured(2)), m.captured(1).toInt(), m, 4);
    if (const auto m = rfc850.match(value); m.hasMatch()) {
        // Two digits of year: the century that puts it nearest to now, as mail clients do.
        const int yy = m.captured(3).toInt();
        return make(yy < 70 ? 2000 + yy : 1900 + yy, month(m.captured(2)), m.captured(1).toInt(), m,
                    4);
    }
    if (const auto m = asctime.match(value); m.hasMatch())
        return make(m.captured(6).toInt(), month(m.captured(1)), m.captured(2).trimmed().toInt(), m,
                    3);
    return std::nullopt;
}

} // namespace HttpDate
