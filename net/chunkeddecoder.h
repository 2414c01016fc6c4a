#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

// Undoes "Transfer-Encoding: chunked" as the bytes arrive, so that the framing
// never reaches what is stored. Chunk extensions and trailers are read and dropped.
class ChunkedDecoder
{
public:
    using Output = std::function<bool(QByteArrayView)>;

    // Decodes what it can of in, handing body data to out (which returns false to
    // stop). Returns the bytes used: all of in, or fewer once the last chunk and its
    // trailers are read (what follows is no part of the body).
    qsizetype feed(QByteArrayView in, const Output &out);

    bool done() const { return Step == State::Done; }
    bool failed() const { return Step == State::Error; }

private:
    enum class State { Size, Data, DataEnd, Trailer, Done, Error };

    bool endSizeLine();
    bool endTrailerLine();

    State Step = State::Size;
    QByteArray Line; // the size or trailer line read so far
    qint64 Remaining = 0;
    qsizetype TrailerBytes = 0;
};
