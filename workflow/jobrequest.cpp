#include "jobrequest.h"

#include "datetext.h"
#include "stationtable.h"

#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

int JobRequest::stationFrom(const QString &text)
{
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    const int stations = int(StationTable().size());
    if (isNumber)
        return number >= 1 && number <= stations ? number - 1 : -1;
    for (int i = 0; i < stations; ++i) {
        const Station &station = StationTable()[i];
        if (text.compare(station.name, Qt::CaseInsensitive) == 0 ||
            text.compare(station.slug, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString JobRequest::dateFrom(const QString &text, QDate today)
{
    if (text == u"today")
        return DateText(today);
    if (text == u"yesterday")
        return DateText(today.addDays(-1));
    const QDate day = QDate::fromString(text, u"dd.MM.yyyy"_s);
    return day.isValid() ? DateText(day) : QString();
}

std::optional<QList<int>> JobRequest::positionsFrom(const QString &text)
{
    // A list longer than any page is refused before it is spelled out.
    constexpr int MaxPosition = 32767;
    const auto position = [](QStringView digits) {
        bool isNumber = false;
        const int value = digits.toInt(&isNumber);
        // Only digits: toInt() would take "+3" and " 3" too.
        const bool plain =
            !digits.isEmpty() && std::all_of(digits.begin(), digits.end(),
                                             [](QChar c) { return c >= u'0' && c <= u'9'; });
        return isNumber && plain && value >= 1 && value <= MaxPosition ? value : 0;
    };
    QList<int> positions;
    QSet<int> seen;
    for (const QStringView part : QStringView(text).split(u',')) {
        const qsizetype dash = part.indexOf(u'-');
        const int first = position(dash < 0 ? part : part.first(dash));
        const int last = dash < 0 ? first : position(part.sliced(dash + 1));
        if (first == 0 || last == 0 || last < first)
            return std::nullopt;
        for (int p = first; p <= last; ++p) {
            if (!seen.contains(p)) {
                seen.insert(p);
                positions.append(p);
            }
        }
    }
    return positions;
}
