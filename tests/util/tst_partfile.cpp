#include "partfile.h"
#include "targetfolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_PartFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commit_data();
    void commit();
    void neverCommittedLeavesNothing();
    void staleOnesGoLiveOnesStay();
};

namespace {

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

} // namespace

void tst_PartFile::commit_data()
{
    QTest::addColumn<QString>("atTarget"); // what is at the final name before
    QTest::addColumn<int>("result");

    QTest::newRow("nothing there") << u""_s << int(PartFile::Commit::Done);
    QTest::newRow("a file there is kept") << u"file"_s << int(PartFile::Commit::Present);
    QTest::newRow("a dangling link is not followed")
        << u"dangling"_s << int(PartFile::Commit::Present);
    QTest::newRow("a folder there") << u"folder"_s << int(PartFile::Commit::Present);
    QTest::newRow("longest name a folder takes") << u"long"_s << int(PartFile::Commit::Done);
}

void tst_PartFile::commit()
{
    QFETCH(QString, atTarget);
    QFETCH(int, result);
    QTemporaryDir dir;
    const QString name =
        atTarget == u"long" ? QString(251, u'ж').left(125) + u".mp3"_s : u"song.mp3"_s;
    const QString path = dir.filePath(name);
    const QString elsewhere = dir.filePath(u"elsewhere"_s);
    if (atTarget == u"file") {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    } else if (atTarget == u"dangling") {
        QVERIFY(QFile::link(elsewhere, path));
    } else if (atTarget == u"folder") {
        QVERIFY(QDir(dir.path()).mkdir(name));
    }

    PartFile part(dir.path());
    QVERIFY(part.open());
    QVERIFY(QFileInfo(part.temporaryPath()).fileName().size() < 30);
    QVERIFY(part.write("first attempt"));
    QVERIFY(part.restart()); // a new attempt starts from nothing
    QVERIFY(part.write("the "));
    QVERIFY(part.write("song"));
    QCOMPARE(int(part.commit(name)), result);

    QCOMPARE(
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(u".part"_s),
        QStringList());
    QVERIFY(!QFileInfo::exists(elsewhere));
    if (result == int(PartFile::Commit::Done))
        QCOMPARE(Read(path), QByteArray("the song"));
    if (atTarget == u"file")
        QCOMPARE(Read(path), QByteArray("old"));
}

void tst_PartFile::neverCommittedLeavesNothing()
{
    QTemporaryDir dir;
    {
        PartFile part(dir.path());
        QVERIFY(part.open());
        QVERIFY(part.write(QByteArray(PartFile::WritebackStep + 5, 'x')));
        QVERIFY(QFileInfo::exists(part.temporaryPath()));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    PartFile missing(dir.filePath(u"no such folder"_s));
    QVERIFY(!missing.open());
}

void tst_PartFile::staleOnesGoLiveOnesStay()
{
    QTemporaryDir dir;
    const auto make = [&dir](const QString &name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::NewOnly) && file.write("x") == 1;
    };
    QVERIFY(make(u".tunetrawl-crashed0.part"_s)); // a killed run's: nobody holds it
    QVERIFY(make(u".tunetrawl-another.part"_s));  // the user's own: not our pattern
    QVERIFY(make(u".tunetrawl-otherrun.part"_s));
    // Another instance writing: a process of its own holds the lock.
    QProcess other;
    other.start(u"python3"_s, {u"-c"_s,
                               u"import fcntl, sys, time\n"
                               u"f = open(sys.argv[1], 'rb'); fcntl.flock(f, fcntl.LOCK_EX)\n"
                               u"print('locked', flush=True); time.sleep(60)"_s,
                               dir.filePath(u".tunetrawl-otherrun.part"_s)});
    QVERIFY(other.waitForReadyRead(10000));
    QCOMPARE(other.readAll().trimmed(), QByteArray("locked"));
    const std::shared_ptr<TargetFolder> folder = TargetFolder::open(dir.path());
    QVERIFY(folder);
    PartFile ours(folder); // this instance's, being written
    QVERIFY(ours.open());

    QCOMPARE(folder->removeStaleParts(), 1);
    const auto present = [&dir] {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    };
    QStringList expected{QFileInfo(ours.temporaryPath()).fileName(), u".tunetrawl-another.part"_s,
                         u".tunetrawl-otherrun.part"_s};
    QStringList found = present();
    expected.sort();
    found.sort();
    QCOMPARE(found, expected);

    // Killed mid-song, it leaves its part file behind, for the next run to take.
    other.kill();
    QVERIFY(other.waitForFinished());
    QCOMPARE(folder->removeStaleParts(), 1);
    QVERIFY(!present().contains(u".tunetrawl-otherrun.part"_s));
}

QTEST_GUILESS_MAIN(tst_PartFile)
#include "tst_partfile.moc"
