#include "savetofile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_SaveToFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void writesBytesUnchanged();
    void replacesLongerFileWithExactLength();
    void createsMissingFolderOneLevel();
    void refusesWhenParentOfFolderIsMissing();
    void leavesReadOnlyFileAlone();
    void refusesFolderAsTarget();
    void leavesNoTemporaryFiles();

private:
    static QByteArray read(const QString &path);
    std::unique_ptr<QTemporaryDir> dir;
};

void tst_SaveToFile::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

QByteArray tst_SaveToFile::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void tst_SaveToFile::writesBytesUnchanged()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    all += all;
    const QString path = dir->filePath(u"song.mp3"_s);
    QVERIFY(SaveToFile(path, all));
    QCOMPARE(read(path), all);
}

void tst_SaveToFile::replacesLongerFileWithExactLength()
{
    const QString path = dir->filePath(u"song.mp3"_s);
    QVERIFY(SaveToFile(path, QByteArray(1000, 'x')));
    QVERIFY(SaveToFile(path, "short"));
    QCOMPARE(read(path), QByteArray("short"));
}

void tst_SaveToFile::createsMissingFolderOneLevel()
{
    const QString path = dir->path() + u"/station/0001 A - B.mp3"_s;
    QVERIFY(SaveToFile(path, "data"));
    QCOMPARE(read(path), QByteArray("data"));
}

void tst_SaveToFile::refusesWhenParentOfFolderIsMissing()
{
    const QString path = dir->path() + u"/a/b/song.mp3"_s;
    QVERIFY(!SaveToFile(path, "data"));
    QVERIFY(!QFile::exists(path));
}

void tst_SaveToFile::leavesReadOnlyFileAlone()
{
    const QString path = dir->filePath(u"kept.mp3"_s);
    QVERIFY(SaveToFile(path, "original"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(!SaveToFile(path, "replacement"));
    QCOMPARE(read(path), QByteArray("original"));
}

void tst_SaveToFile::refusesFolderAsTarget()
{
    QVERIFY(QDir(dir->path()).mkdir(u"taken"_s));
    QVERIFY(!SaveToFile(dir->filePath(u"taken"_s), "data"));
    QVERIFY(QFileInfo(dir->filePath(u"taken"_s)).isDir());
#ifndef Q_OS_WIN // QFile::link makes a shortcut there, which is a file like any other
    // Nor is a link that leads nowhere followed to write elsewhere.
    QVERIFY(QFile::link(dir->filePath(u"elsewhere"_s), dir->filePath(u"link.mp3"_s)));
    QVERIFY(!SaveToFile(dir->filePath(u"link.mp3"_s), "data"));
    QVERIFY(!QFileInfo::exists(dir->filePath(u"elsewhere"_s)));
#endif
}

void tst_SaveToFile::leavesNoTemporaryFiles()
{
    const QString path = dir->filePath(u"song.mp3"_s);
    QVERIFY(SaveToFile(path, QByteArray(100000, 'a')));
    QVERIFY(SaveToFile(path, QByteArray(10, 'b')));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{u"song.mp3"_s});
}

QTEST_GUILESS_MAIN(tst_SaveToFile)
#include "tst_savetofile.moc"
