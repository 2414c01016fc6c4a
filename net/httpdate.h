#pragma once

#include <QByteArrayView>
#include <QDateTime>

#include <optional>

// The dates of HTTP headers (Date, Retry-After, Last-Modified): the fixed form
// "Sun, 06 Nov 1994 08:49:37 GMT" and the two old ones a server may still send,
// "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994". Always UTC.
namespace HttpDate {

std::optional<QDateTime> parse(QByteArrayView text);

} // namespace HttpDate
