#include "receivebuffer.h"

#include <new>
#include <utility>

bool ReceiveBuffer::restart()
{
    Bytes = QByteArray();
    return true;
}

bool ReceiveBuffer::write(QByteArrayView bytes)
{
    if (bytes.size() > Limit - Bytes.size())
        return false;
    try {
        Bytes.append(bytes);
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

void ReceiveBuffer::expect(qint64 total)
{
    const qint64 room = qMin(qMin(total, Limit), HintCap);
    if (room > Bytes.capacity()) {
        try {
            Bytes.reserve(qsizetype(room));
        } catch (const std::bad_alloc &) {
        }
    }
}

QByteArray ReceiveBuffer::take()
{
    if (Bytes.capacity() - Bytes.size() > Bytes.size() / 8)
        Bytes.squeeze();
    return std::exchange(Bytes, QByteArray());
}
