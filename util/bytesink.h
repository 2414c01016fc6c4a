#pragma once

#include <QByteArrayView>

// Where bytes go as they arrive: memory for pages, a file for songs.
class ByteSink
{
public:
    virtual ~ByteSink() = default;

    // Starting over (for a response: a new attempt, or a redirect's target): what
    // was written goes. False when that cannot be done.
    virtual bool restart() = 0;
    // False when the bytes cannot be kept; the request then fails.
    virtual bool write(QByteArrayView bytes) = 0;
    // A hint: the whole will be about this many bytes.
    virtual void expect(qint64 total) { Q_UNUSED(total); }
};
