#pragma once

#include <QByteArray>

// The bytes of one response as they arrive. Grows to a declared size at once. Without
// one, a small response doubles its room; on Linux a large one then gets all the room
// it may use in one step (only the pages written are backed by memory, so the spare
// room costs address space, not RAM), elsewhere it keeps doubling. On Linux a large
// block also asks for huge pages: filling it then costs one page fault per 2 MiB
// instead of one per 4 KiB, which would take longer than receiving the data. Such a
// block is never handed to realloc (the advice splits its mapping, which realloc
// cannot move), so it grows by copying into a new block.
class ReceiveBuffer
{
public:
    // Space for n more bytes at the end, never growing the room beyond limit unless
    // the n bytes need it; write into it, then commit what was written. Null when
    // the memory cannot be had.
    char *prepare(qsizetype n, qsizetype limit);
    void commit(qsizetype written);

    // Room for a response of this many bytes in all. False when the memory cannot be had.
    bool reserve(qsizetype total);

    const QByteArray &bytes() const { return Bytes; }
    qsizetype size() const { return Bytes.size(); }
    // The bytes; the buffer is empty afterwards.
    QByteArray take();

    // Blocks from this size on get huge pages.
    static constexpr qsizetype LargeBlock = qsizetype(6) << 20;

private:
    qsizetype nextCapacity(qsizetype needed, qsizetype limit) const;
    bool growTo(qsizetype capacity);

    QByteArray Bytes;
    qsizetype Pending = 0; // size before the last prepare
};
