#pragma once

#include "bytesink.h"

#include <QByteArray>

// A response kept in memory, up to a limit. A declared length is taken as a hint
// only: room for at most HintCap bytes is reserved at once and the rest grows as
// it comes, so a false Content-Length costs nothing.
class ReceiveBuffer : public ByteSink
{
public:
    explicit ReceiveBuffer(qint64 limit = qint64(1) << 30) : Limit(limit) {}

    bool restart() override;
    // False, keeping nothing of bytes, when they would pass the limit.
    bool write(QByteArrayView bytes) override;

    // Room for a response of this many bytes in all, within HintCap.
    void expect(qint64 total) override;

    void setLimit(qint64 limit) { Limit = limit; }
    const QByteArray &bytes() const { return Bytes; }
    qsizetype size() const { return Bytes.size(); }
    // The bytes; the buffer is empty and holds no memory afterwards.
    QByteArray take();

    static constexpr qint64 HintCap = qint64(16) << 20;

private:
    QByteArray Bytes;
    qint64 Limit;
};
