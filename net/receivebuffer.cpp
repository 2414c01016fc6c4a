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
    if (needed > Bytes.capacity()) {
        const qsizetype capacity = Bytes.capacity();
        const qsizetype grown =
            capacity < LargeBlock ? qMax(2 * capacity, qMin(needed, LargeBlock)) : 8 * capacity;
        if (!growTo(qMax(needed, qMin(grown, limit))) && !growTo(needed))
            return nullptr;
    }
    Bytes.resize(needed);
    return Bytes.data() + Pending;
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
        if (capacity < LargeBlock) {
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
        return false; // a declared length the machine cannot hold fails the request
    }
}
