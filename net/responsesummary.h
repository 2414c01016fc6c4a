#pragma once

#include "headerfields.h"

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

    static ResponseSummary of(const ResponseReader &reader, End ended);

    bool success() const { return Delivered && Status >= 200 && Status <= 299; }
    // The body is surely all there is: the head ended; the body has its declared
    // length, or all its chunks, or (with neither) ended by an orderly close; and it
    // is not content-coded.
    bool whole() const;
    // A site's own page in place of the file asked for: declared text/html and
    // starting with markup. Sites answer a missing song that way, status 200.
    bool isHtmlPage() const { return HtmlDeclared && FirstVisible == '<'; }
};
