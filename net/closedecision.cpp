#include "closedecision.h"

#include "redirecttarget.h"
#include "requesttext.h"
#include "responsereader.h"

#include <array>
#include <cstring>
#include <string_view>

using namespace std::string_view_literals;

bool CloseDecision::hasRedirectMarker(QByteArrayView response)
{
    static constexpr std::array markers = {
        "302 Found"sv,    "301 Moved"sv,    "302 Moved"sv,
        "HTTP/1.1 302"sv, "HTTP/1.0 302"sv, "303 See Other"sv,
    };
    // Each marker holds "30" exactly once; one pass over the '3's of a large body
    // costs far less than a search per marker.
    const char *begin = response.data();
    const char *end = begin + response.size();
    for (const char *p = begin; p < end; ++p) {
        p = static_cast<const char *>(std::memchr(p, '3', size_t(end - p)));
        if (!p)
            break;
        if (p + 1 == end || p[1] != '0')
            continue;
        for (const std::string_view marker : markers) {
            const size_t at = marker.find("30"sv);
            if (size_t(p - begin) < at)
                continue;
            const char *start = p - at;
            if (size_t(end - start) >= marker.size() &&
                std::memcmp(start, marker.data(), marker.size()) == 0)
                return true;
        }
    }
    return false;
}

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
