#include "receivebuffer.h"

#include <cstring>
#include <new>
#include <utility>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

void adviseHugePages(const QByteArray &block)
{
#ifdef Q_OS_LINUX
    constexpr quintptr huge = quintptr(2) << 20;
    const quintptr data = quintptr(block.constData());
    const quintptr begin = (data + huge - 1) & ~(huge - 1);
    const quintptr end = (data + quintptr(block.capacity())) & ~(huge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(block);
#endif
}

} // namespace

char *ReceiveBuffer::prepare(qsizetype n, qsizetype limit)
{
    Pending = Bytes.size();
    const qsizetype needed = Pending + n;
    if (needed > Bytes.capacity() && !growTo(nextCapacity(needed, limit)) && !growTo(needed))
        return nullptr;
    Bytes.resize(needed);
    return Bytes.data() + Pending;
}

qsizetype ReceiveBuffer::nextCapacity(qsizetype needed, qsizetype limit) const
{
    if (needed < LargeBlock)
        return qMax(needed, 2 * Bytes.capacity());
#ifdef Q_OS_LINUX
    // Only the pages written take memory: a large response of unknown length gets
    // all the room it may use at once and is never copied again.
    return qMax(needed, limit);
#else
    return qMax(needed, qMin(2 * Bytes.capacity(), limit));
#endif
}

void ReceiveBuffer::commit(qsizetype written)
{
    Bytes.resize(Pending + qMax<qsizetype>(0, written));
}

bool ReceiveBuffer::reserve(qsizetype total)
{
    return total <= Bytes.capacity() || growTo(total);
}

QByteArray ReceiveBuffer::take()
{
    if (Bytes.capacity() < LargeBlock)
        Bytes.squeeze();
    return std::exchange(Bytes, QByteArray());
}

bool ReceiveBuffer::growTo(qsizetype capacity)
{
    try {
#ifdef Q_OS_LINUX
        const bool plainRealloc = capacity < LargeBlock;
#else
        const bool plainRealloc = true;
#endif
        if (plainRealloc) {
            Bytes.reserve(capacity);
            return true;
        }
        QByteArray block;
        block.reserve(capacity);
        adviseHugePages(block);
        block.resize(Bytes.size());
        std::memcpy(block.data(), Bytes.constData(), size_t(Bytes.size()));
        Bytes = std::move(block);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}
