// The response reader, fed one response whole and in fuzzer-chosen pieces, in
// both keeping modes. Both feeds must leave the same bytes in the sink and the
// same summary, and those bytes must be what a plain reading of the response
// gives: the head up to its CR LF CR LF, then the body as its framing has it (the
// declared length, the chunks undone by a decoder written here from the chunk
// grammar, or everything until the close).
//
// Input: one byte of options, then what they ask for, then the response.
//   bits 0-2  how many cuts; two bytes each follow (positions, taken modulo the size)
//   bit 3     one byte p follows: the response starts with a head line of
//             MaxHead - 256 + p bytes, so its end falls on either side of MaxHead
//   bit 4     two bytes follow: a sink limit, for a third feed into a small sink
//   bit 5     one byte follows: the rest is the body of a chunked response, sent in
//             chunks of that many bytes plus one (bit 6: sizes in upper case); no
//             long head then

#include "fuzzcheck.h"
#include "receivebuffer.h"
#include "redirectmarker.h"
#include "responsereader.h"
#include "responsesummary.h"

#include <QList>

#include <algorithm>
#include <cstdint>

using Keep = ResponseReader::Keep;
using End = ResponseSummary::End;

namespace {

struct Input
{
    const uint8_t *at;
    size_t left;

    bool has(size_t n) const { return left >= n; }
    unsigned byte()
    {
        if (!left)
            return 0;
        --left;
        return *at++;
    }
    unsigned twoBytes() { return byte() | byte() << 8; }
};

struct Dechunked
{
    QByteArray body;
    qsizetype used = 0; // wire bytes up to the end of the last chunk's trailers
    bool done = false;
    bool failed = false;
};

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Chunks as the grammar has them: a size line of hex digits, optional blanks and
// ";extension", CR LF; the data; CR LF; after the zero chunk, trailer lines up to
// an empty one. Lines longer than 4096 bytes, trailers beyond 64 KiB and sizes
// beyond 2^60 count as broken framing.
Dechunked Dechunk(QByteArrayView wire)
{
    constexpr qsizetype MaxLine = 4096;
    constexpr qsizetype MaxTrailers = 64 * 1024;
    constexpr qint64 MaxChunk = qint64(1) << 60;
    Dechunked out;
    bool trailers = false;
    qsizetype trailerBytes = 0;
    qsizetype at = 0;
    const auto fail = [&out] {
        out.failed = true;
        return out;
    };
    while (true) {
        const qsizetype lf = wire.indexOf('\n', at);
        const qsizetype lineSize = (lf < 0 ? wire.size() : lf + 1) - at;
        if (trailers)
            trailerBytes += lineSize;
        if (lineSize > MaxLine || trailerBytes > MaxTrailers)
            return fail();
        if (lf < 0)
            return out; // the line goes on in bytes not here yet
        const QByteArrayView line = wire.sliced(at, lineSize);
        at = lf + 1;
        if (!line.endsWith("\r\n"))
            return fail();
        if (trailers) {
            if (line.size() == 2) {
                out.done = true;
                out.used = at;
                return out;
            }
            continue;
        }
        qint64 size = 0;
        qsizetype i = 0;
        for (; HexValue(line[i]) >= 0; ++i) {
            if (size > MaxChunk / 16)
                return fail();
            size = size * 16 + HexValue(line[i]);
            if (size > MaxChunk)
                return fail();
        }
        if (i == 0)
            return fail();
        while (line[i] == ' ' || line[i] == '\t')
            ++i;
        if (line[i] != ';' && i != line.size() - 2)
            return fail();
        if (size == 0) {
            trailers = true;
            continue;
        }
        const qsizetype n = qsizetype(qMin<qint64>(size, wire.size() - at));
        out.body += wire.sliced(at, n);
        at += n;
        if (n < size || wire.size() - at < 2)
            return out;
        if (wire.sliced(at, 2) != "\r\n")
            return fail();
        at += 2;
    }
}

QByteArray Chunked(QByteArrayView body, qsizetype chunk, bool upperCase)
{
    QByteArray wire;
    bool extension = false;
    for (qsizetype at = 0; at < body.size(); at += chunk) {
        const QByteArrayView data = body.sliced(at, qMin(chunk, body.size() - at));
        QByteArray size = QByteArray::number(data.size(), 16);
        if (upperCase)
            size = size.toUpper();
        wire += size + (extension ? " ;ext=1\r\n" : "\r\n") + data.toByteArray() + "\r\n";
        extension = !extension;
    }
    return wire + "0\r\nX-Trailer: t\r\n\r\n";
}

struct Feed
{
    ReceiveBuffer sink;
    ResponseReader reader;
    bool fed = true;

    Feed(Keep keep, const QList<QByteArrayView> &pieces, qint64 limit = qint64(1) << 30)
        : sink(limit), reader(&sink, keep)
    {
        // As the client does: the first refusal ends the response.
        for (const QByteArrayView piece : pieces) {
            fed = reader.feed(piece);
            if (!fed)
                break;
        }
        reader.finishHead();
    }
};

// A head with one plain "Content-Length: N" line and no other framing header
// declares N, whatever else it holds.
void CheckDeclaredLength(QByteArrayView head, const HeaderFields &fields)
{
    const QByteArray lower = head.toByteArray().toLower();
    if (lower.count("content-length") != 1 || lower.contains("transfer-encoding"))
        return;
    const qsizetype at = head.indexOf("\r\nContent-Length: ");
    if (at < 0)
        return;
    const qsizetype start = at + 18;
    const QByteArrayView digits = head.sliced(start, head.indexOf("\r\n", start) - start);
    if (digits.isEmpty() || digits.size() > 18)
        return;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return;
    }
    FUZZ_CHECK(fields.lengthKind() == HeaderFields::Length::Valid);
    FUZZ_CHECK(fields.length() == digits.toByteArray().toLongLong());
}

void CheckSameSummary(const ResponseSummary &a, const ResponseSummary &b)
{
    FUZZ_CHECK(a.Delivered == b.Delivered);
    FUZZ_CHECK(a.Status == b.Status);
    FUZZ_CHECK(a.HeadComplete == b.HeadComplete);
    FUZZ_CHECK(a.LengthKind == b.LengthKind);
    FUZZ_CHECK(a.Length == b.Length);
    FUZZ_CHECK(a.Transfer == b.Transfer);
    FUZZ_CHECK(a.IdentityContent == b.IdentityContent);
    FUZZ_CHECK(a.FramingBroken == b.FramingBroken);
    FUZZ_CHECK(a.BodySize == b.BodySize);
    FUZZ_CHECK(a.Ended == b.Ended);
    FUZZ_CHECK(a.whole() == b.whole());
}

void CheckKeep(Keep keep, const QByteArray &response, const QList<QByteArrayView> &pieces,
               std::optional<qint64> limit)
{
    const Feed whole(keep, {response});
    const Feed cut(keep, pieces);
    const ResponseReader &reader = whole.reader;

    // Whole or in pieces, the same.
    FUZZ_CHECK(whole.fed == cut.fed);
    FUZZ_SAME(whole.sink.bytes(), cut.sink.bytes());
    FUZZ_CHECK(reader.headComplete() == cut.reader.headComplete());
    FUZZ_SAME(reader.head().toByteArray(), cut.reader.head().toByteArray());
    FUZZ_CHECK(reader.complete() == cut.reader.complete());
    FUZZ_CHECK(reader.bodySize() == cut.reader.bodySize());
    FUZZ_CHECK(reader.chunked() == cut.reader.chunked());
    FUZZ_CHECK(reader.framingBroken() == cut.reader.framingBroken());
    FUZZ_CHECK(reader.redirectMarkerSeen() == cut.reader.redirectMarkerSeen());
    for (const End ended : {End::Orderly, End::Reset, End::Unknown})
        CheckSameSummary(ResponseSummary::of(reader, ended),
                         ResponseSummary::of(cut.reader, ended));

    // What a plain reading of the response gives.
    const qsizetype headEnd = response.indexOf("\r\n\r\n");
    const bool headEnds = headEnd >= 0 && headEnd + 4 <= ResponseReader::MaxHead;
    FUZZ_CHECK(reader.headComplete() == headEnds);
    const QByteArray &kept = whole.sink.bytes();
    FUZZ_CHECK(keep == Keep::WholeResponse || kept.size() <= response.size());
    if (!headEnds) {
        // Held whole it is kept as it came; a body alone needs a head.
        const bool headless = response.size() >= ResponseReader::MaxHead;
        FUZZ_CHECK(whole.fed == (keep == Keep::WholeResponse || !headless));
        FUZZ_SAME(kept, keep == Keep::WholeResponse ? response : QByteArray());
        FUZZ_CHECK(!reader.complete());
        FUZZ_CHECK(!ResponseSummary::of(reader, End::Orderly).whole());
        FUZZ_CHECK(reader.redirectMarkerSeen() == HasRedirectMarker(response));
    } else {
        const QByteArray head = response.first(headEnd + 4);
        const QByteArrayView wire = QByteArrayView(response).sliced(head.size());
        FUZZ_SAME(reader.head().toByteArray(), head);
        const HeaderFields &fields = reader.fields();
        CheckDeclaredLength(head, fields);
        QByteArray body;
        bool complete = false;
        bool broken = false;
        qsizetype used = wire.size(); // wire bytes that belong to the response
        if (fields.transfer() == HeaderFields::Transfer::Chunked) {
            FUZZ_CHECK(reader.chunked());
            const Dechunked dechunked = Dechunk(wire);
            body = dechunked.body;
            complete = dechunked.done;
            broken = dechunked.failed;
            if (complete)
                used = dechunked.used;
        } else if (fields.transfer() == HeaderFields::Transfer::Identity &&
                   fields.lengthKind() == HeaderFields::Length::Valid) {
            FUZZ_CHECK(fields.length() >= 0);
            used = qsizetype(qMin<qint64>(fields.length(), wire.size()));
            body = wire.first(used).toByteArray();
            complete = wire.size() >= fields.length();
        } else {
            body = wire.toByteArray();
        }
        FUZZ_CHECK(whole.fed);
        FUZZ_SAME(kept, keep == Keep::WholeResponse ? head + body : body);
        FUZZ_CHECK(reader.bodySize() == body.size());
        FUZZ_CHECK(body.size() <= wire.size()); // never more than arrived
        FUZZ_CHECK(reader.complete() == complete);
        FUZZ_CHECK(reader.framingBroken() == broken);
        FUZZ_CHECK(reader.redirectMarkerSeen() ==
                   HasRedirectMarker(QByteArrayView(response).first(head.size() + used)));

        for (const End ended : {End::Orderly, End::Reset, End::Unknown}) {
            const ResponseSummary summary = ResponseSummary::of(reader, ended);
            if (!summary.whole())
                continue;
            FUZZ_CHECK(summary.IdentityContent && !broken);
            if (summary.Transfer == HeaderFields::Transfer::Chunked)
                FUZZ_CHECK(complete);
            else if (summary.LengthKind == HeaderFields::Length::Valid)
                FUZZ_CHECK(summary.BodySize == summary.Length && body.size() == summary.Length);
            else
                FUZZ_CHECK(ended == End::Orderly && body.size() == wire.size());
        }
    }

    if (limit) {
        // A sink that refuses: the response fails exactly when more would have to be
        // kept than fits, and what was kept is a beginning of the whole.
        const Feed small(keep, pieces, *limit);
        FUZZ_CHECK(small.sink.size() <= *limit);
        FUZZ_SAME(small.sink.bytes(), kept.first(small.sink.size()));
        FUZZ_CHECK(small.fed == (whole.fed && kept.size() <= *limit));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in{data, size};
    const unsigned options = in.byte();
    QList<unsigned> cuts;
    for (unsigned i = 0; i < (options & 7); ++i)
        cuts.append(in.twoBytes());
    const qsizetype longHead = options & 8 ? ResponseReader::MaxHead - 256 + in.byte() : 0;
    std::optional<qint64> limit;
    if (options & 16)
        limit = in.twoBytes();
    const int chunk = options & 32 ? int(in.byte()) + 1 : 0;

    QByteArray response(reinterpret_cast<const char *>(in.at), qsizetype(in.left));
    if (chunk) {
        response = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                   Chunked(response, chunk, options & 64);
    }
    if (longHead && !chunk) {
        QByteArray line = "HTTP/1.1 200 OK\r\nX-Filler: ";
        line += QByteArray(longHead - line.size(), 'x');
        response.prepend(line);
    }

    QList<qsizetype> at;
    for (const unsigned cut : cuts)
        at.append(qsizetype(cut) % (response.size() + 1));
    std::sort(at.begin(), at.end());
    QList<QByteArrayView> pieces;
    qsizetype from = 0;
    for (const qsizetype to : at) {
        pieces.append(QByteArrayView(response).sliced(from, to - from));
        from = to;
    }
    pieces.append(QByteArrayView(response).sliced(from));

    for (const Keep keep : {Keep::WholeResponse, Keep::BodyOnly})
        CheckKeep(keep, response, pieces, limit);

    if (chunk) {
        // Any body survives chunking and reading back.
        const Feed read(Keep::BodyOnly, pieces);
        FUZZ_SAME(read.sink.bytes(),
                  QByteArray(reinterpret_cast<const char *>(in.at), qsizetype(in.left)));
        FUZZ_CHECK(read.reader.complete());
        FUZZ_CHECK(ResponseSummary::of(read.reader, End::Reset).whole());
    }
    return 0;
}
