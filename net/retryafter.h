#pragma once

#include <QDateTime>

#include <optional>

class HeaderFields;

// How long a server that answered 503 or 429 asks to be left alone.
namespace RetryAfter {

// No wait asked for is taken longer than this.
constexpr qint64 MaxMs = 120000;

// The Retry-After of a response in milliseconds, within 0..MaxMs: delay seconds,
// or a date counted from the response's own Date when it has one (the server's
// clock, whatever ours says), else from now. Nothing when there is none that
// can be read.
std::optional<qint64> delayMs(const HeaderFields &fields, const QDateTime &now);

} // namespace RetryAfter
