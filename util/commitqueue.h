#pragma once

#include "partfile.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <memory>

class QEventLoop;

// Commits whole part files beside the caller, so that fetching the next song need
// not wait for the disk: each file's data is synced and the file renamed to its
// name (PartFile::commit) on a few threads of its own. Syncs under way together
// share the disk's flushes, so many cost little more than one. Results come back
// to the caller's thread; its waits run the event loop, so a window stays live.
class CommitQueue : public QObject
{
    Q_OBJECT

public:
    struct Finished
    {
        int tag;
        PartFile::Commit result;
    };

    // At most this many commits are under way at once.
    explicit CommitQueue(int parallel = 8, QObject *parent = nullptr);
    // Lets the commits under way finish; their results are dropped.
    ~CommitQueue() override;

    // Takes over a part file holding a whole song, to be committed at path; tag
    // comes back with the result. Waits first while the queue is full.
    void commit(std::unique_ptr<PartFile> part, const QString &path, int tag);

    int pending() const;
    // A commit to path has not come back yet.
    bool holds(const QString &path) const;
    // Until no commit to path is under way.
    void waitFor(const QString &path);
    void waitForAll();

    // The results that came back since the last call, in the order they came.
    QList<Finished> takeFinished();

private:
    template<class Condition> void waitUntil(Condition condition);
    void wake();

    const int Parallel;
    QThreadPool Pool;
    mutable QMutex Lock;
    QList<QString> Pending;  // paths of the commits under way, guarded by Lock
    QList<Finished> Results; // guarded by Lock
    QEventLoop *WaitLoop = nullptr;
    bool Woken = false;
};
