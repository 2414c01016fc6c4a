#include "commitqueue.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

CommitQueue::CommitQueue(int parallel, QObject *parent)
    : QObject(parent), Parallel(qMax(1, parallel))
{
    Pool.setMaxThreadCount(Parallel);
}

CommitQueue::~CommitQueue()
{
    Pool.waitForDone();
}

void CommitQueue::commit(std::unique_ptr<PartFile> part, const QString &path, int tag)
{
    waitUntil([this] { return pending() < Parallel; });
    {
        const QMutexLocker locker(&Lock);
        Pending.append(path);
    }
    Pool.start([this, file = std::shared_ptr<PartFile>(std::move(part)), path, tag] {
        const PartFile::Commit result = file->commit(path);
        {
            const QMutexLocker locker(&Lock);
            Pending.removeOne(path);
            Results.append({tag, result});
        }
        // The queue outlives its tasks: its destructor waits for them.
        QMetaObject::invokeMethod(this, &CommitQueue::wake, Qt::QueuedConnection);
    });
}

int CommitQueue::pending() const
{
    const QMutexLocker locker(&Lock);
    return int(Pending.size());
}

bool CommitQueue::holds(const QString &path) const
{
    const QMutexLocker locker(&Lock);
    return Pending.contains(path);
}

void CommitQueue::waitFor(const QString &path)
{
    waitUntil([this, &path] { return !holds(path); });
}

void CommitQueue::waitForAll()
{
    waitUntil([this] { return pending() == 0; });
}

QList<CommitQueue::Finished> CommitQueue::takeFinished()
{
    const QMutexLocker locker(&Lock);
    return std::exchange(Results, {});
}

template<class Condition> void CommitQueue::waitUntil(Condition condition)
{
    while (!condition()) {
        // A wake posted before the loop exists is handled inside it.
        QEventLoop loop;
        WaitLoop = &loop;
        Woken = false;
        loop.exec();
        WaitLoop = nullptr;
        // Ended otherwise than by a commit coming back: the application is on its
        // way out and no loop runs any more. Commits are short; wait for them here.
        if (!Woken)
            Pool.waitForDone();
    }
}

void CommitQueue::wake()
{
    Woken = true;
    if (WaitLoop)
        WaitLoop->quit();
}
