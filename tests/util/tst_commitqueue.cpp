#include "commitqueue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <numeric>

using namespace Qt::StringLiterals;

class tst_CommitQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everySongIsCommittedUnderItsName();
    void anExistingNameIsLeftAlone();
    void aPathIsHeldUntilItsCommitCameBack();
    void leavingEarlyLetsTheCommitsFinish();
    void neverMoreUnderWayThanAllowed();
};

namespace {

std::unique_ptr<PartFile> WholeSong(const QString &folder, const QByteArray &bytes)
{
    auto part = std::make_unique<PartFile>(folder);
    if (!part->open() || !part->write(bytes))
        return nullptr;
    return part;
}

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QStringList PartFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(u".part"_s);
}

} // namespace

void tst_CommitQueue::everySongIsCommittedUnderItsName()
{
    QTemporaryDir dir;
    CommitQueue queue(4);
    for (int i = 0; i < 20; ++i) {
        auto part = WholeSong(dir.path(), "song " + QByteArray::number(i));
        QVERIFY(part);
        queue.commit(std::move(part), dir.filePath(u"%1.mp3"_s.arg(i)), i);
    }
    queue.waitForAll();
    QCOMPARE(queue.pending(), 0);

    const QList<CommitQueue::Finished> finished = queue.takeFinished();
    QList<int> tags;
    for (const CommitQueue::Finished &done : finished) {
        QCOMPARE(int(done.result), int(PartFile::Commit::Done));
        tags.append(done.tag);
    }
    std::sort(tags.begin(), tags.end());
    QList<int> expected(20);
    std::iota(expected.begin(), expected.end(), 0);
    QCOMPARE(tags, expected);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(Read(dir.filePath(u"%1.mp3"_s.arg(i))), "song " + QByteArray::number(i));
    QCOMPARE(PartFiles(dir.path()), QStringList());
    QVERIFY(queue.takeFinished().isEmpty()); // each result is told once
}

void tst_CommitQueue::anExistingNameIsLeftAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"song.mp3"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    CommitQueue queue;
    queue.commit(WholeSong(dir.path(), "new"), path, 7);
    queue.waitForAll();
    const QList<CommitQueue::Finished> finished = queue.takeFinished();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0].tag, 7);
    QCOMPARE(int(finished[0].result), int(PartFile::Commit::Present));
    QCOMPARE(Read(path), QByteArray("old"));
    QCOMPARE(PartFiles(dir.path()), QStringList());
}

void tst_CommitQueue::aPathIsHeldUntilItsCommitCameBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"song.mp3"_s);
    CommitQueue queue;
    queue.commit(WholeSong(dir.path(), "song"), path, 1);
    QVERIFY(queue.holds(path));
    QVERIFY(!queue.holds(dir.filePath(u"other.mp3"_s)));
    queue.waitFor(path);
    QVERIFY(!queue.holds(path));
    QCOMPARE(Read(path), QByteArray("song"));
    QCOMPARE(queue.takeFinished().size(), 1);
}

void tst_CommitQueue::leavingEarlyLetsTheCommitsFinish()
{
    QTemporaryDir dir;
    {
        CommitQueue queue;
        for (int i = 0; i < 5; ++i)
            queue.commit(WholeSong(dir.path(), "song"), dir.filePath(u"%1.mp3"_s.arg(i)), i);
    }
    for (int i = 0; i < 5; ++i)
        QCOMPARE(Read(dir.filePath(u"%1.mp3"_s.arg(i))), QByteArray("song"));
    QCOMPARE(PartFiles(dir.path()), QStringList());
}

void tst_CommitQueue::neverMoreUnderWayThanAllowed()
{
    QTemporaryDir dir;
    CommitQueue queue(2);
    for (int i = 0; i < 10; ++i) {
        queue.commit(WholeSong(dir.path(), "song"), dir.filePath(u"%1.mp3"_s.arg(i)), i);
        QVERIFY(queue.pending() <= 2);
    }
    queue.waitForAll();
    QCOMPARE(queue.takeFinished().size(), 10);
}

QTEST_GUILESS_MAIN(tst_CommitQueue)
#include "tst_commitqueue.moc"
