#pragma once

#include "headerfields.h"

#include <QByteArray>

class ResponseReader;

// What a finished request tells its caller beside the bytes: whether a response
// came, its status, and whether its body surely arrived whole.
struct ResponseSummary
{
    // How the connection of the delivered response ended.
    enum class End {
        None,    // no response was delivered
        Framed,  // its declared length or last chunk arrived
        Orderly, // the server closed it (FIN)
        Reset,   // the server reset it, or the socket failed
        Unknown, // closed, but the platform cannot tell how
    };

    // Why an exchange fell short, in the terms a run acts on: back off, wait,
    // try again from where the body broke off.
    enum class Setback {
        None,    // whole, or a failure no retry mends (a 404, a bad certificate...)
        Refused, // the server refused or dropped the connection before a byte
        Busy,    // no first byte within the watchdog time: connecting, or connected and unanswered
        Broken,  // a 2xx body that ended before it was whole (reset, or closed short)
        Stalled, // no byte for the idle time, or a body slower than the floor
        Throttled, // 503 or 429; RetryAfterMs tells the wait the server asked for
    };

    bool Delivered = false;
    int Status = 0;
    bool HeadComplete = false;
    HeaderFields::Length LengthKind = HeaderFields::Length::Absent;
    qint64 Length = -1;
    HeaderFields::Transfer Transfer = HeaderFields::Transfer::Identity;
    bool IdentityContent = true;
    bool FramingBroken = false;
    bool HtmlDeclared = false;
    char FirstVisible = 0; // of the body
    qint64 BodySize = 0;
    End Ended = End::None;

    // Filled for every finished exchange, delivered or not; a retry needs them.
    Setback Trouble = Setback::None;
    qint64 RetryAfterMs = -1; // bounded (RetryAfter::MaxMs); -1 when none was given
    // A resumed body: the bytes the sink held before this response's (its
    // Content-Range starts there); 0 when the body began at its first byte.
    qint64 Offset = 0;
    qint64 Kept = 0;         // body bytes the sink holds at the end, Offset included
    qint64 TotalLength = -1; // of the whole body, where a 2xx told it
    QByteArray Validator;    // for a later If-Range: of the response the kept bytes are from

    static ResponseSummary of(const ResponseReader &reader, End ended);

    bool success() const { return Delivered && Status >= 200 && Status <= 299; }
    // The body is surely all there is: the head ended; the body has its declared
    // length, or all its chunks, or (with neither) ended by an orderly close; and it
    // is not content-coded. A resumed body also reaches its whole length; a 206
    // that was not asked for is never whole.
    bool whole() const;
    // A site's own page in place of the file asked for: declared text/html and
    // starting with markup. Sites answer a missing song that way, status 200.
    bool isHtmlPage() const { return HtmlDeclared && FirstVisible == '<'; }
};
