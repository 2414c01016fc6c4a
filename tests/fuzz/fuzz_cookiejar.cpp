// The cookie jar through any sequence of responses and merges. Whatever arrives,
// the jar stays pieces "name=value;" that fit in one header line: no CR, LF or
// other control character, so the Cookie line never ends early or starts another.
//
// Input: records separated by "\n--\n". A record starting with 'A' is merged as
// it stands (AddCookies); one starting with 'U' is a response read as UTF-8; any
// other is a response read as Windows-1251, as the client reads heads.

#include "ansicodec.h"
#include "cookiejar.h"
#include "fuzzcheck.h"
#include "requesttext.h"

#include <QList>

#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

// The pairs of a merge that count: a name, a value, followed by ";", sendable.
QList<QStringView> ValidPairs(QStringView merge)
{
    QList<QStringView> pairs = merge.split(u';');
    pairs.removeLast();
    QList<QStringView> valid;
    for (const QStringView pair : pairs) {
        const QList<QStringView> parts = pair.split(u'=');
        if (parts.size() >= 2 && !parts[0].isEmpty() && !parts[1].isEmpty() &&
            RequestText::isSendable(pair))
            valid.append(pair);
    }
    return valid;
}

QList<QStringView> Pieces(QStringView jar)
{
    QList<QStringView> pieces = jar.split(u';');
    pieces.removeLast();
    return pieces;
}

void CheckJar(const QString &jar)
{
    FUZZ_CHECK(jar.isEmpty() || jar.endsWith(u';'));
    FUZZ_CHECK(RequestText::isSendable(jar));
    FUZZ_CHECK(!jar.contains(u'\r') && !jar.contains(u'\n'));
    const QList<QStringView> pieces = Pieces(jar);
    FUZZ_CHECK(ValidPairs(jar).size() == pieces.size());

    // Sent, it is one header line more, and that line is "Cookie: " and the jar.
    RequestText request;
    request.Url = u"http://h.com/a"_s;
    const QByteArray without = request.toBytes();
    request.Cookies = jar;
    const QByteArray with = request.toBytes();
    if (jar.isEmpty()) {
        FUZZ_SAME(with, without);
    } else {
        FUZZ_CHECK(with.count("\r\n") == without.count("\r\n") + 1);
        FUZZ_CHECK(with.count('\n') == with.count("\r\n") &&
                   with.count('\r') == with.count("\r\n"));
        FUZZ_CHECK(with.contains("\r\nCookie: " + Ansi::toBytes(jar) + "\r\n"));
    }
}

void Merge(CookieJar &jar, QStringView merge)
{
    const QString before = jar.text();
    jar.AddCookies(merge);
    CheckJar(jar.text());

    const QList<QStringView> pairs = ValidPairs(merge);
    const QList<QStringView> pieces = Pieces(jar.text());
    if (pairs.isEmpty()) {
        FUZZ_SAME(jar.text(), before);
        return;
    }
    // The last pair is in, and every piece that no merged name occurs in stays,
    // in its order.
    FUZZ_CHECK(pieces.contains(pairs.last()));
    qsizetype at = 0;
    for (const QStringView old : Pieces(before)) {
        bool touched = false;
        for (const QStringView pair : pairs)
            touched = touched || old.contains(pair.first(pair.indexOf(u'=')));
        if (touched)
            continue;
        while (at < pieces.size() && pieces[at] != old)
            ++at;
        FUZZ_CHECK(at < pieces.size());
        ++at;
    }
}

void CheckGetCookies(const QString &response)
{
    const QString cookies = CookieJar::GetCookies(response);
    FUZZ_CHECK(cookies.isEmpty() || cookies.endsWith(u';'));
    const qsizetype headEnd = response.indexOf(u"\r\n\r\n");
    if (headEnd < 0) {
        FUZZ_CHECK(cookies.isEmpty());
        return;
    }
    // Only the head is read: what follows it changes nothing.
    const QString head = response.first(headEnd + 4);
    FUZZ_SAME(CookieJar::GetCookies(head + u"Set-Cookie: body=1\r\n\r\n"_s), cookies);
    // Every piece is taken from a line of the head, up to its first ";".
    for (const QStringView piece : Pieces(cookies)) {
        FUZZ_CHECK(head.contains(piece));
        FUZZ_CHECK(!piece.contains(u"\r\n"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArrayView> records;
    for (qsizetype at = 0;;) {
        const qsizetype end = input.indexOf("\n--\n", at);
        records.append(QByteArrayView(input).sliced(at, (end < 0 ? input.size() : end) - at));
        if (end < 0)
            break;
        at = end + 4;
    }
    CookieJar jar;
    for (const QByteArrayView record : records) {
        if (record.startsWith('A')) {
            Merge(jar, Ansi::toText(record.sliced(1).toByteArray()));
            continue;
        }
        const QString response = record.startsWith('U') ? QString::fromUtf8(record.sliced(1))
                                                        : Ansi::toText(record.toByteArray());
        CheckGetCookies(response);
        Merge(jar, CookieJar::GetCookies(response));
    }
    return 0;
}
