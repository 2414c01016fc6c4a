#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

// Follows a response as it arrives: reads its Content-Length once the header line
// is complete and turns the bytes received into a percentage of it.
class LoadProgress
{
public:
    // Call after each arrival with everything received so far on this connection.
    // Gives the percentage once a length above 0 is known. Only the bytes that
    // arrived since the last call are searched.
    std::optional<qint16> update(QByteArrayView received);

    // The declared length; 0 while unknown (or declared as 0).
    qint64 contentLength() const { return ContentLength; }

    // floor(received / length * 100) in double precision, kept within 16 bits.
    static qint16 percent(qint64 received, qint64 length);

    // The decimal number at the start of a header value; saturates at the 64-bit limit.
    static qint64 parseLength(QByteArrayView value);

private:
    qint64 ContentLength = 0;
    qsizetype SearchFrom = 0; // where the search for the header name goes on
    qsizetype ValueAt = -1;   // start of the header's value once the name is found
    qsizetype LineEndFrom = 0;
    bool Settled = false; // the value's line is complete and has been read
};
