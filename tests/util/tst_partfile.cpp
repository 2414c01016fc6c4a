#include "partfile.h"
#include "readfile.h"
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
    void longCyrillicPath();
    void heldFolderStaysPut();
};

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
        QCOMPARE(ReadFile(path), QByteArray("the song"));
    if (atTarget == u"file")
        QCOMPARE(ReadFile(path), QByteArray("old"));
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
    // Another instance writing: a process of its own holds its part file.
    QProcess other;
    other.start(QStringLiteral(HOLDPARTFILE_PROGRAM), {dir.path()});
    QVERIFY2(other.waitForReadyRead(20000), qPrintable(other.errorString()));
    const QString othersName = QFileInfo(QString::fromUtf8(other.readLine().trimmed())).fileName();
    QVERIFY(TargetFolder::isPartFileName(othersName));
    const std::shared_ptr<TargetFolder> folder = TargetFolder::open(dir.path());
    QVERIFY(folder);
    PartFile ours(folder); // this instance's, being written
    QVERIFY(ours.open());

    QCOMPARE(folder->removeStaleParts(), 1);
    const auto present = [&dir] {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    };
    QStringList expected{QFileInfo(ours.temporaryPath()).fileName(), u".tunetrawl-another.part"_s,
                         othersName};
    QStringList found = present();
    expected.sort();
    found.sort();
    QCOMPARE(found, expected);

    // Killed mid-song, it leaves its part file behind, for the next run to take.
    other.kill();
    QVERIFY(other.waitForFinished());
    QVERIFY(present().contains(othersName));
    QCOMPARE(folder->removeStaleParts(), 1);
    QVERIFY(!present().contains(othersName));
}

void tst_PartFile::longCyrillicPath()
{
    QTemporaryDir dir;
    // Well past the 260 characters a Windows path had to keep to.
    const QStringList levels{u"Радио DFM"_s, QString(120, u'ё'), QString(120, u'Ж'),
                             QString(120, u'я')};
    const std::shared_ptr<TargetFolder> folder = TargetFolder::open(dir.path(), levels);
    QVERIFY(folder);
    QVERIFY(folder->path().size() > 300);
    PartFile part(folder);
    QVERIFY(part.open());
    QVERIFY(part.write("песня"));
    const QString name = u"0001 Ёлка - Прованс.mp3"_s;
    QCOMPARE(int(part.commit(name)), int(PartFile::Commit::Done));
    QCOMPARE(folder->entryAt(name), TargetFolder::Entry::File);
    QCOMPARE(ReadFile(folder->path() + name), QByteArray("песня"));
    QCOMPARE(folder->removeStaleParts(), 0);
}

void tst_PartFile::heldFolderStaysPut()
{
    QTemporaryDir dir;
    const QString station = dir.filePath(u"Радио"_s);
    const QString moved = dir.filePath(u"moved"_s);
    const std::shared_ptr<TargetFolder> folder = TargetFolder::open(dir.path(), {u"Радио"_s});
    QVERIFY(folder);
    PartFile part(folder);
    QVERIFY(part.open());
    QVERIFY(part.write("x"));
#ifdef Q_OS_WIN
    // Held without delete sharing, the folder cannot be renamed under the run.
    QVERIFY(!QDir().rename(station, moved));
    QCOMPARE(int(part.commit(u"a.mp3"_s)), int(PartFile::Commit::Done));
    QCOMPARE(ReadFile(station + u"/a.mp3"_s), QByteArray("x"));
#else
    // Renamed under the run, the song still lands in the folder the run holds.
    QVERIFY(QDir().rename(station, moved));
    QVERIFY(QDir().mkdir(station));
    QCOMPARE(int(part.commit(u"a.mp3"_s)), int(PartFile::Commit::Done));
    QCOMPARE(ReadFile(moved + u"/a.mp3"_s), QByteArray("x"));
    QVERIFY(!QFileInfo::exists(station + u"/a.mp3"_s));
#endif
}

QTEST_GUILESS_MAIN(tst_PartFile)
#include "tst_partfile.moc"
