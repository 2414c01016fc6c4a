#include "closedecision.h"

#include "redirecttarget.h"
#include "requesttext.h"
#include "responsereader.h"

CloseDecision CloseDecision::decide(const ResponseReader &response, QStringView currentUrl,
                                    int redirectCount, int sendsMade, int maxSends)
{
    if (response.received() == 0)
        return {sendsMade < maxSends ? SendAgain : GiveUp, {}};
    if (redirectCount >= MaxRedirects)
        return {UnlimitedRedirect, {}};
    if (!response.redirectMarkerSeen())
        return {Deliver, {}};
    // A redirect that names no usable target is a page like any other.
    const std::optional<QString> location = RedirectTarget::location(response.fields());
    if (!location)
        return {Deliver, {}};
    const QString target = RedirectTarget::resolve(currentUrl, *location);
    // Nor does one the client would refuse to send: a control character in a
    // Location value (a lone LF, a NUL, a tab) would end the request as a failure.
    if (target.isEmpty() || !RequestText::isSendable(target))
        return {Deliver, {}};
    return {Redirect, target};
}

CloseDecision CloseDecision::decide(const QByteArray &received, QStringView currentUrl,
                                    int redirectCount, int sendsMade, int maxSends)
{
    ResponseReader reader;
    reader.feed(received);
    reader.finishHead();
    return decide(reader, currentUrl, redirectCount, sendsMade, maxSends);
}
