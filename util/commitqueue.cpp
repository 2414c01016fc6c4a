#include "commitqueue.h"

#include <QMetaObject>

CommitQueue::CommitQueue(int parallel, QObject *parent) : QObject(parent)
{
    Pool.setMaxThreadCount(qMax(1, parallel));
}

CommitQueue::~CommitQueue()
{
    Pool.waitForDone();
}

void CommitQueue::commit(std::shared_ptr<PartFile> part, const QString &name, int tag)
{
    Pending.append(name);
    Pool.start([this, file = std::move(part), name, tag] {
        const PartFile::Commit result = file->commit(name);
        // The queue outlives its tasks: its destructor waits for them. A result
        // still on its way then is dropped with the queue.
        QMetaObject::invokeMethod(
            this, [this, name, tag, result] { report(name, tag, result); }, Qt::QueuedConnection);
    });
}

void CommitQueue::report(const QString &name, int tag, PartFile::Commit result)
{
    Pending.removeOne(name);
    emit committed(tag, result);
}
