#pragma once

#include <QByteArray>

#include <optional>

class HeaderFields;

// Where a body that broke off can go on from: how many of its bytes the sink
// holds and what the response they came from said of the whole. A request from
// here asks only for the rest (Range), and only if the body has not changed
// (If-Range with the validator).
struct ResumePoint
{
    qint64 Offset = 0;    // body bytes the sink holds
    QByteArray Validator; // the strong ETag, else the Last-Modified, of that response
    qint64 Total = -1;    // the whole body's length, -1 when it was never known

    // Worth asking for the rest: bytes held, fewer than the known whole, and a
    // validator that can go into a header. Anything else starts over.
    bool usable() const;

    // What the response to a request from here means for the sink.
    enum class Verdict {
        Append,    // a 206 for exactly the rest of the same body
        Restart,   // another 2xx: the whole body, from its first byte
        Aside,     // no body of the song (a redirect, an error): the held bytes stay
        StartOver, // a part that does not continue them: ask again from the first byte
    };
    Verdict verdict(const HeaderFields &fields) const;

    // What a response gives a later request to resume with: its ETag unless that
    // is weak, else its Last-Modified; empty with neither.
    static QByteArray validatorOf(const HeaderFields &fields);

    // A Content-Range of "bytes first-last/complete"; complete -1 for "*".
    struct Range
    {
        qint64 First = 0, Last = 0, Complete = -1;
    };
    static std::optional<Range> contentRange(const HeaderFields &fields);
};
