#include "commitqueue.h"
#include "readfile.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
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
    void moreThanItsThreadsWaitTheirTurn();
};

namespace {

std::unique_ptr<PartFile> WholeSong(const QString &folder, const QByteArray &bytes)
{
    auto part = std::make_unique<PartFile>(folder);
    if (!part->open() || !part->write(bytes))
        return nullptr;
    return part;
}

QStringList PartFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(u".part"_s);
}

// Tag and result of each commit that came back.
QList<QPair<int, int>> Results(const QSignalSpy &spy)
{
    QList<QPair<int, int>> results;
    for (const QList<QVariant> &arguments : spy)
        results.append({arguments.at(0).toInt(), int(arguments.at(1).value<PartFile::Commit>())});
    return results;
}

} // namespace

void tst_CommitQueue::everySongIsCommittedUnderItsName()
{
    QTemporaryDir dir;
    CommitQueue queue(4);
    QSignalSpy committed(&queue, &CommitQueue::committed);
    for (int i = 0; i < 20; ++i) {
        auto part = WholeSong(dir.path(), "song " + QByteArray::number(i));
        QVERIFY(part);
        queue.commit(std::move(part), u"%1.mp3"_s.arg(i), i);
    }
    QTRY_COMPARE(committed.count(), 20);
    QCOMPARE(queue.pending(), 0);

    QList<int> tags;
    for (const auto &[tag, result] : Results(committed)) {
        QCOMPARE(result, int(PartFile::Commit::Done));
        tags.append(tag);
    }
    std::sort(tags.begin(), tags.end());
    QList<int> expected(20);
    std::iota(expected.begin(), expected.end(), 0);
    QCOMPARE(tags, expected); // each result is told once
    for (int i = 0; i < 20; ++i)
        QCOMPARE(ReadFile(dir.filePath(u"%1.mp3"_s.arg(i))), "song " + QByteArray::number(i));
    QCOMPARE(PartFiles(dir.path()), QStringList());
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
    QSignalSpy committed(&queue, &CommitQueue::committed);
    queue.commit(WholeSong(dir.path(), "new"), u"song.mp3"_s, 7);
    QVERIFY(committed.wait());
    QCOMPARE(Results(committed), (QList<QPair<int, int>>{{7, int(PartFile::Commit::Present)}}));
    QCOMPARE(ReadFile(path), QByteArray("old"));
    QCOMPARE(PartFiles(dir.path()), QStringList());
}

void tst_CommitQueue::aPathIsHeldUntilItsCommitCameBack()
{
    QTemporaryDir dir;
    CommitQueue queue;
    QSignalSpy committed(&queue, &CommitQueue::committed);
    queue.commit(WholeSong(dir.path(), "song"), u"song.mp3"_s, 1);
    QVERIFY(queue.holds(u"song.mp3"_s));
    QVERIFY(!queue.holds(u"other.mp3"_s));
    QVERIFY(committed.wait());
    QVERIFY(!queue.holds(u"song.mp3"_s));
    QCOMPARE(ReadFile(dir.filePath(u"song.mp3"_s)), QByteArray("song"));
}

void tst_CommitQueue::leavingEarlyLetsTheCommitsFinish()
{
    QTemporaryDir dir;
    {
        CommitQueue queue;
        for (int i = 0; i < 5; ++i)
            queue.commit(WholeSong(dir.path(), "song"), u"%1.mp3"_s.arg(i), i);
    }
    for (int i = 0; i < 5; ++i)
        QCOMPARE(ReadFile(dir.filePath(u"%1.mp3"_s.arg(i))), QByteArray("song"));
    QCOMPARE(PartFiles(dir.path()), QStringList());
}

void tst_CommitQueue::moreThanItsThreadsWaitTheirTurn()
{
    QTemporaryDir dir;
    CommitQueue queue(2);
    QSignalSpy committed(&queue, &CommitQueue::committed);
    for (int i = 0; i < 10; ++i)
        queue.commit(WholeSong(dir.path(), "song"), u"%1.mp3"_s.arg(i), i);
    QCOMPARE(queue.pending(), 10);
    QTRY_COMPARE(committed.count(), 10);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 10);
}

QTEST_GUILESS_MAIN(tst_CommitQueue)
#include "tst_commitqueue.moc"
