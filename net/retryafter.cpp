#include "retryafter.h"

#include "headerfields.h"
#include "httpdate.h"

#include <algorithm>

namespace RetryAfter {

std::optional<qint64> delayMs(const HeaderFields &fields, const QDateTime &now)
{
    const std::optional<QByteArrayView> value = fields.value("Retry-After");
    if (!value || value->isEmpty())
        return std::nullopt;
    if (std::all_of(value->begin(), value->end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Any number of digits: a long one only means "the longest wait".
        const QByteArrayView digits = value->size() > 6 ? QByteArrayView("999999") : *value;
        return std::min(digits.toLongLong() * 1000, MaxMs);
    }
    const std::optional<QDateTime> until = HttpDate::parse(*value);
    if (!until)
        return std::nullopt;
    std::optional<QDateTime> from = HttpDate::parse(fields.value("Date").value_or(""));
    const qint64 ms = from ? from->msecsTo(*until) : now.msecsTo(*until);
    return std::clamp<qint64>(ms, 0, MaxMs);
}

} // namespace RetryAfter
