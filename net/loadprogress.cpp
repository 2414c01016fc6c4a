#include "loadprogress.h"

#include <cmath>
#include <limits>
#include <string_view>

namespace {

constexpr std::string_view marker = "Content-Length: ";

} // namespace

std::optional<qint16> LoadProgress::update(QByteArrayView received)
{
    const std::string_view text(received.data(), size_t(received.size()));
    if (!Settled && ValueAt < 0) {
        const size_t at = text.find(marker, size_t(SearchFrom));
        if (at == std::string_view::npos) {
            // A name cut by the end of this arrival is found on the next one.
            SearchFrom = qMax<qsizetype>(0, received.size() - qsizetype(marker.size()) + 1);
        } else {
            ValueAt = qsizetype(at + marker.size());
            LineEndFrom = ValueAt;
        }
    }
    if (!Settled && ValueAt >= 0) {
        const size_t end = text.find("\r\n", size_t(LineEndFrom));
        if (end == std::string_view::npos) {
            LineEndFrom = qMax(ValueAt, received.size() - 1);
        } else {
            ContentLength = parseLength(received.sliced(ValueAt, qsizetype(end) - ValueAt));
            Settled = true;
        }
    }
    if (ContentLength > 0)
        return percent(received.size(), ContentLength);
    return std::nullopt;
}

qint16 LoadProgress::percent(qint64 received, qint64 length)
{
    const double value = std::floor(double(received) / double(length) * 100.0);
    if (value >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    if (value <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    return qint16(value);
}

qint64 LoadProgress::parseLength(QByteArrayView value)
{
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qsizetype i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    qint64 length = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        const int digit = value[i] - '0';
        if (length > (limit - digit) / 10)
            return limit;
        length = length * 10 + digit;
    }
    return length;
}
