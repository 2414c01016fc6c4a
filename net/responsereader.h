#pragma once

#include "chunkeddecoder.h"
#include "headerfields.h"
#include "resumepoint.h"

#include <QByteArray>
#include <QByteArrayView>

class ByteSink;

// Follows one response as it arrives: finds the end of its head, reads the header
// fields, frames the body (declared length, chunks, or until the close), watches
// the response's bytes (framing included, nothing after its end) for the status
// texts taken as redirects, and hands the sink either the whole response or the
// body alone. Chunk framing is removed on the way; nothing is kept but the head.
class ResponseReader
{
public:
    enum class Keep {
        WholeResponse, // head as received, then the body (pages, the version reply)
        BodyOnly,      // the body only (songs)
    };

    // Heads longer than this are no HTTP.
    static constexpr qsizetype MaxHead = 64 * 1024;

    ResponseReader() = default;
    ResponseReader(ByteSink *sink, Keep keep) : Sink(sink), Keeping(keep) {}

    // The sink holds the start of the body already (for a body alone): the head
    // decides whether the body is appended to it, starts it over, or stays out of
    // it (ResumePoint::verdict). Call before the first feed.
    void resumeFrom(const ResumePoint &point);
    // The head's verdict on a resumed body; nothing before the head or when not resuming.
    std::optional<ResumePoint::Verdict> verdict() const { return Decided; }
    const ResumePoint &resumePoint() const { return Point; }

    // False when the sink refused bytes or, for a body alone, the head never ended.
    bool feed(QByteArrayView bytes);
    // Reads what arrived of a head that never ended; call when the connection is over.
    void finishHead();

    // The body is whole by its own framing: the declared length arrived, or the
    // last chunk. Nothing more needs to be read.
    bool complete() const { return Complete; }

    qint64 received() const { return Received; }
    bool headComplete() const { return HeadDone; }
    const HeaderFields &fields() const { return Fields; }
    bool redirectMarkerSeen() const { return MarkerSeen; }
    // Body bytes after the framing was removed.
    qint64 bodySize() const { return BodySize; }
    // Chunk framing that could not be read.
    bool framingBroken() const { return Chunks.failed(); }
    bool chunked() const { return Framing == Frame::Chunked; }
    // The head as received (up to MaxHead), its end included once it came.
    QByteArrayView head() const { return Head; }
    // The first body byte that is no blank (space, tab, CR, LF); 0 while none came.
    char firstVisible() const { return FirstVisible; }

private:
    enum class Frame { UntilClose, Length, Chunked };

    void scanForMarkers(QByteArrayView bytes);
    bool takeHead(QByteArrayView &bytes);
    bool decideResume();
    // unused: the bytes after the end of a framed body, once it is complete.
    bool takeBody(QByteArrayView bytes, qsizetype &unused);
    bool deliver(QByteArrayView bytes);
    bool deliverBody(QByteArrayView bytes);

    ByteSink *Sink = nullptr;
    Keep Keeping = Keep::WholeResponse;
    qint64 Received = 0;
    QByteArray Head;
    bool HeadDone = false;
    bool Headless = false; // no head end within MaxHead: passed on as it came
    HeaderFields Fields;
    Frame Framing = Frame::UntilClose;
    ChunkedDecoder Chunks;
    qint64 BodySize = 0;
    char FirstVisible = 0;
    bool Complete = false;
    bool MarkerSeen = false;
    bool Resuming = false;
    ResumePoint Point;
    std::optional<ResumePoint::Verdict> Decided;
    bool Discarding = false; // the body is read but kept out of the sink
    QByteArray Tail;         // the last bytes, for markers cut by an arrival's border
};
