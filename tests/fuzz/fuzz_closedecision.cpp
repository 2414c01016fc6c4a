// What the client does with a finished connection, from any response: nothing
// received is sent again while attempts are left; too many redirects end the
// chain; only a response holding one of the redirect status texts is followed, and
// only to an http:// or https:// target that can go into a request line.
//
// Input: one byte (bits 0-2: redirects followed so far, bits 3-4: attempts made
// minus one), the current URL up to the first LF, the response.

#include "closedecision.h"
#include "fuzzcheck.h"
#include "redirectmarker.h"
#include "redirecttarget.h"
#include "requesttext.h"
#include "responsereader.h"

#include "ansicodec.h"

#include <array>
#include <cstdint>
#include <string_view>

using namespace Qt::StringLiterals;
using namespace std::string_view_literals;

namespace {

bool HasMarker(QByteArrayView response)
{
    static constexpr std::array markers = {
        "302 Found"sv,    "301 Moved"sv,    "302 Moved"sv,
        "HTTP/1.1 302"sv, "HTTP/1.0 302"sv, "303 See Other"sv,
    };
    const std::string_view text(response.data(), size_t(response.size()));
    for (const std::string_view marker : markers) {
        if (text.find(marker) != std::string_view::npos)
            return true;
    }
    return false;
}

bool StartsWithHttp(QStringView url)
{
    return url.startsWith(u"http://") || url.startsWith(u"https://");
}

void CheckResolve(QStringView current, const QString &location)
{
    const QString target = RedirectTarget::resolve(current, location);
    if (target.isEmpty())
        return;
    FUZZ_CHECK(StartsWithHttp(target));
    QString asked = location;
    asked.replace(u"rstart"_s, u"c_start"_s).replace(u"&amp;"_s, u"&"_s);
    if (StartsWithHttp(asked)) {
        FUZZ_SAME(target, asked);
        return;
    }
    const QString scheme = RequestText::isHttps(current) ? u"https://"_s : u"http://"_s;
    if (asked.startsWith(u"//")) {
        // A network path: the server it names, with the current scheme.
        FUZZ_SAME(target, scheme + asked.sliced(2));
        FUZZ_CHECK(!RequestText::host(target).isEmpty());
        return;
    }
    // Anything else stays on the current host, with the current scheme.
    const QString origin = scheme + RequestText::host(current);
    FUZZ_CHECK(target.startsWith(origin + u'/'));
    FUZZ_CHECK(target.endsWith(asked));
    if (asked.startsWith(u'/'))
        FUZZ_SAME(target, origin + asked);
    // Nothing that could end the request line comes from the current URL.
    if (RequestText::isSendable(asked))
        FUZZ_CHECK(RequestText::isSendable(target));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int redirects = data[0] & 7;
    const int sends = (data[0] >> 3 & 3) + 1;
    const QByteArrayView rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype lf = rest.indexOf('\n');
    QString current = Ansi::toText(rest.first(lf < 0 ? 0 : lf).toByteArray());
    // The client never connects to a URL that is not sendable, so none is current.
    if (!RequestText::isSendable(current) || current.isEmpty())
        current = u"http://h.com/a/b"_s;
    const QByteArray received = rest.sliced(lf + 1).toByteArray();

    FUZZ_CHECK(HasRedirectMarker(received) == HasMarker(received));

    const CloseDecision decision = CloseDecision::decide(received, current, redirects, sends);
    if (received.isEmpty()) {
        FUZZ_CHECK(decision.What == (sends < CloseDecision::MaxSends ? CloseDecision::SendAgain
                                                                     : CloseDecision::GiveUp));
    } else if (redirects >= CloseDecision::MaxRedirects) {
        FUZZ_CHECK(decision.What == CloseDecision::UnlimitedRedirect);
    } else if (!HasMarker(received)) {
        FUZZ_CHECK(decision.What == CloseDecision::Deliver);
    } else {
        FUZZ_CHECK(decision.What == CloseDecision::Deliver ||
                   decision.What == CloseDecision::Redirect);
    }
    if (decision.What == CloseDecision::Redirect) {
        // The next request goes there: a URL the client can ask, with no control
        // character (CR, LF, NUL, ...) to end its request line early.
        FUZZ_CHECK(StartsWithHttp(decision.Target));
        FUZZ_CHECK(!decision.Target.contains(u'\r') && !decision.Target.contains(u'\n'));
        FUZZ_CHECK(RequestText::isSendable(decision.Target));
    } else {
        FUZZ_CHECK(decision.Target.isEmpty());
    }

    // The Location value, if any, resolved against the current URL; and the response
    // itself taken as a value, to reach values no header gives.
    ResponseReader reader;
    reader.feed(received);
    reader.finishHead();
    if (const std::optional<QString> location = RedirectTarget::location(reader.fields())) {
        FUZZ_CHECK(!location->contains(u"\r\n"));
        CheckResolve(current, *location);
    }
    CheckResolve(current, Ansi::toText(received.left(512)));
    return 0;
}
