#pragma once

#include <QByteArrayView>

// Where a response goes as it arrives: memory for pages, a file for songs.
class ResponseSink
{
public:
    virtual ~ResponseSink() = default;

    // Another response begins (a new attempt, or a redirect's target): what was
    // written for the earlier one goes. False when that cannot be done.
    virtual bool restart() = 0;
    // False when the bytes cannot be kept; the request then fails.
    virtual bool write(QByteArrayView bytes) = 0;
};
