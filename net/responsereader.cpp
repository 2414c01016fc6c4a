#include "responsereader.h"

#include "bytesink.h"
#include "redirectmarker.h"

namespace {

constexpr QByteArrayView HeadEnd("\r\n\r\n");
// One less than the longest status text taken as a redirect ("303 See Other").
constexpr qsizetype MarkerCarry = 12;

} // namespace

void ResponseReader::resumeFrom(const ResumePoint &point)
{
    if (Keeping != Keep::BodyOnly)
        return;
    Resuming = true;
    Point = point;
}

bool ResponseReader::decideResume()
{
    if (!Resuming)
        return true;
    Decided = Point.verdict(Fields);
    switch (*Decided) {
    case ResumePoint::Verdict::Append:
        return true;
    case ResumePoint::Verdict::Restart:
        return !Sink || Sink->restart();
    case ResumePoint::Verdict::StartOver:
        Discarding = true;
        return !Sink || Sink->restart();
    case ResumePoint::Verdict::Aside:
        Discarding = true;
        return true;
    }
    return true;
}

bool ResponseReader::feed(QByteArrayView bytes)
{
    if (bytes.isEmpty() || Complete)
        return true;
    Received += bytes.size();
    QByteArrayView rest = bytes;
    bool kept = !HeadDone && !Headless ? takeHead(rest) : true;
    qsizetype unused = 0;
    if (kept && !rest.isEmpty())
        kept = Headless ? deliver(rest) : takeBody(rest, unused);
    // Bytes after the end of a framed body belong to no response. Reading them for
    // markers would make a redirect of a page depending on whether they came in
    // the same arrival as its last bytes.
    scanForMarkers(bytes.chopped(unused));
    return kept;
}

void ResponseReader::scanForMarkers(QByteArrayView bytes)
{
    if (MarkerSeen)
        return;
    if (!Tail.isEmpty()) {
        QByteArray border = Tail;
        border += bytes.first(qMin(bytes.size(), MarkerCarry));
        MarkerSeen = HasRedirectMarker(border);
    }
    MarkerSeen = MarkerSeen || HasRedirectMarker(bytes);
    if (bytes.size() >= MarkerCarry) {
        Tail = bytes.last(MarkerCarry).toByteArray();
    } else {
        Tail += bytes;
        Tail = Tail.right(MarkerCarry);
    }
}

// Moves the bytes of the head out of bytes; what is left is body.
bool ResponseReader::takeHead(QByteArrayView &bytes)
{
    const qsizetype searchFrom = qMax<qsizetype>(0, Head.size() - 3);
    const qsizetype room = MaxHead - Head.size();
    const QByteArrayView part = bytes.first(qMin(bytes.size(), room));
    Head += part;
    const qsizetype end = QByteArrayView(Head).indexOf(HeadEnd, searchFrom);
    if (end < 0) {
        if (Head.size() < MaxHead) {
            bytes = {};
            return Keeping == Keep::BodyOnly || deliver(part);
        }
        // No head end where one must be: keep it all as it came, or refuse a body.
        Headless = true;
        if (Keeping == Keep::BodyOnly)
            return false;
        const QByteArrayView rest = bytes.sliced(part.size());
        bytes = {};
        return deliver(part) && deliver(rest);
    }
    const qsizetype headBytesHere = end + HeadEnd.size() - (Head.size() - part.size());
    Head.truncate(end + HeadEnd.size());
    HeadDone = true;
    Fields = HeaderFields::parse(QByteArrayView(Head).first(end));
    if (Fields.transfer() == HeaderFields::Transfer::Chunked)
        Framing = Frame::Chunked;
    else if (Fields.transfer() == HeaderFields::Transfer::Identity &&
             Fields.lengthKind() == HeaderFields::Length::Valid)
        Framing = Frame::Length;
    if (Keeping == Keep::WholeResponse && !deliver(bytes.first(headBytesHere)))
        return false;
    if (!decideResume())
        return false;
    bytes = bytes.sliced(headBytesHere);
    Complete = Framing == Frame::Length && Fields.length() == 0;
    return true;
}

bool ResponseReader::takeBody(QByteArrayView bytes, qsizetype &unused)
{
    switch (Framing) {
    case Frame::UntilClose:
        BodySize += bytes.size();
        return deliverBody(bytes);
    case Frame::Length: {
        // Bytes past the declared length belong to no body.
        const QByteArrayView body =
            bytes.first(qMin<qint64>(bytes.size(), Fields.length() - BodySize));
        BodySize += body.size();
        Complete = BodySize == Fields.length();
        unused = bytes.size() - body.size();
        return deliverBody(body);
    }
    case Frame::Chunked: {
        bool kept = true;
        const qsizetype used = Chunks.feed(bytes, [this, &kept](QByteArrayView data) {
            BodySize += data.size();
            kept = deliverBody(data);
            return kept;
        });
        Complete = Chunks.done();
        // Broken framing leaves the response's end unknown: all of it still counts.
        if (Complete)
            unused = bytes.size() - used;
        return kept;
    }
    }
    return true;
}

bool ResponseReader::deliver(QByteArrayView bytes)
{
    return bytes.isEmpty() || !Sink || Sink->write(bytes);
}

bool ResponseReader::deliverBody(QByteArrayView bytes)
{
    for (qsizetype i = 0; FirstVisible == 0 && i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            FirstVisible = c;
    }
    return Discarding || deliver(bytes);
}

void ResponseReader::finishHead()
{
    if (HeadDone || Headless)
        return;
    const qsizetype lastLineEnd = Head.lastIndexOf("\r\n");
    Fields = HeaderFields::parse(QByteArrayView(Head).first(qMax<qsizetype>(0, lastLineEnd)));
}
