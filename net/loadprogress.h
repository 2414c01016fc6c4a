#pragma once

#include <QtGlobal>

// The percentage a transfer has reached: floor(received / length * 100) in double
// precision, the quotient formed first, kept within 16 bits. Received counts the
// status line and headers too, so the last values of a response pass 100.
namespace LoadProgress {

qint16 percent(qint64 received, qint64 length);

} // namespace LoadProgress
