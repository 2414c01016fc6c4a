#pragma once

#include "partfile.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>

// Commits whole part files beside the caller, so that fetching the next song need
// not wait for the disk: each file's data is synced and the file renamed to its
// name (PartFile::commit) on a few threads of its own. Syncs under way together
// share the disk's flushes, so many cost little more than one. Each result comes
// back to the caller's thread as committed().
class CommitQueue : public QObject
{
    Q_OBJECT

public:
    // At most this many commits are under way at once; the rest wait their turn.
    explicit CommitQueue(int parallel = 8, QObject *parent = nullptr);
    // Lets the commits under way and waiting finish; their results are dropped.
    ~CommitQueue() override;

    // Takes over a part file holding a whole song, to be committed under name in its
    // folder; tag comes back with the result.
    void commit(std::shared_ptr<PartFile> part, const QString &name, int tag);

    // Commits not come back yet.
    int pending() const { return int(Pending.size()); }
    // A commit to name has not come back yet.
    bool holds(const QString &name) const { return Pending.contains(name); }

Q_SIGNALS:
    void committed(int tag, PartFile::Commit result);

private:
    void report(const QString &name, int tag, PartFile::Commit result);

    QThreadPool Pool;
    QStringList Pending; // names, on the caller's thread only
};
