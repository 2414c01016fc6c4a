#include "chunkeddecoder.h"

namespace {

// Longer size or trailer lines are no honest framing.
constexpr qsizetype MaxLine = 4096;
constexpr qsizetype MaxTrailers = 64 * 1024;
constexpr qint64 MaxChunk = qint64(1) << 60;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

qsizetype ChunkedDecoder::feed(QByteArrayView in, const Output &out)
{
    qsizetype at = 0;
    while (at < in.size() && Step != State::Done && Step != State::Error) {
        switch (Step) {
        case State::Size:
        case State::Trailer: {
            const qsizetype lf = in.indexOf('\n', at);
            const qsizetype end = lf < 0 ? in.size() : lf + 1;
            Line += in.sliced(at, end - at);
            if (Step == State::Trailer)
                TrailerBytes += end - at;
            at = end;
            if (Line.size() > MaxLine || TrailerBytes > MaxTrailers) {
                Step = State::Error;
                break;
            }
            if (lf >= 0 && !(Step == State::Size ? endSizeLine() : endTrailerLine()))
                Step = State::Error;
            break;
        }
        case State::Data: {
            const qsizetype n = qsizetype(qMin<qint64>(Remaining, in.size() - at));
            if (!out(in.sliced(at, n)))
                return at;
            at += n;
            Remaining -= n;
            if (Remaining == 0)
                Step = State::DataEnd;
            break;
        }
        case State::DataEnd:
            Line += in[at++];
            if (Line.size() == 2) {
                Step = Line == "\r\n" ? State::Size : State::Error;
                Line.clear();
            }
            break;
        case State::Done:
        case State::Error:
            break;
        }
    }
    return at;
}

bool ChunkedDecoder::endSizeLine()
{
    if (!Line.endsWith("\r\n"))
        return false;
    qint64 size = 0;
    qsizetype i = 0;
    for (; i < Line.size(); ++i) {
        const int digit = hexValue(Line[i]);
        if (digit < 0)
            break;
        // Refused before it grows: a size past 64 bits would wrap to a negative one.
        if (size > (MaxChunk - digit) / 16)
            return false;
        size = size * 16 + digit;
    }
    // Digits, then optional blanks and ";extension", then CR LF.
    if (i == 0)
        return false;
    while (Line[i] == ' ' || Line[i] == '\t')
        ++i;
    if (Line[i] != ';' && i != Line.size() - 2)
        return false;
    Line.clear();
    Remaining = size;
    Step = size == 0 ? State::Trailer : State::Data;
    return true;
}

bool ChunkedDecoder::endTrailerLine()
{
    if (!Line.endsWith("\r\n"))
        return false;
    const bool last = Line.size() == 2;
    Line.clear();
    if (last)
        Step = State::Done;
    return true;
}
