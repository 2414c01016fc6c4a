#include "songlibrary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Makes the entries under root: names ending in "/" are folders, "a -> b" a link
// at a to b.
bool Make(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = root + u'/' + entry.section(u" -> "_s, 0, 0);
        if (entry.endsWith(u'/')) {
            if (!QDir().mkpath(path))
                return false;
            continue;
        }
        if (!QDir().mkpath(QFileInfo(path).path()))
            return false;
        if (entry.contains(u" -> "_s)) {
            if (!QFile::link(entry.section(u" -> "_s, 1), path))
                return false;
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::NewOnly))
            return false;
    }
    return true;
}

} // namespace

class tst_SongLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void find_data();
    void find();
    void limitsEndTheScan();
    void linkToAFolderAboveIsNotFollowed();
};

void tst_SongLibrary::find_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("found"); // below the station's folder; "" for nothing

    QTest::newRow("without a number")
        << QStringList{u"A - B.mp3"_s} << u"A - B"_s << u"A - B.mp3"_s;
    QTest::newRow("numbered in a day folder") << QStringList{u"08.12.2026/0012 A - B.mp3"_s}
                                              << u"A - B"_s << u"08.12.2026/0012 A - B.mp3"_s;
    QTest::newRow("five-digit number")
        << QStringList{u"12345 A - B.mp3"_s} << u"A - B"_s << u"12345 A - B.mp3"_s;
    QTest::newRow("three digits are no number")
        << QStringList{u"123 A - B.mp3"_s} << u"A - B"_s << u""_s;
    QTest::newRow("a title of four digits and a blank")
        << QStringList{u"1999 X - Y.mp3"_s} << u"1999 X - Y"_s << u"1999 X - Y.mp3"_s;
    QTest::newRow("that title numbered")
        << QStringList{u"0003 1999 X - Y.mp3"_s} << u"1999 X - Y"_s << u"0003 1999 X - Y.mp3"_s;
    QTest::newRow("another title is another song")
        << QStringList{u"A - Bb.mp3"_s} << u"A - B"_s << u""_s;
    QTest::newRow("part file") << QStringList{u".tunetrawl-1a2b3c4d.part"_s} << u"A - B"_s << u""_s;
    QTest::newRow("a folder of the name") << QStringList{u"A - B.mp3/"_s} << u"A - B"_s << u""_s;
    QTest::newRow("three folders down")
        << QStringList{u"a/b/c/A - B.mp3"_s} << u"A - B"_s << u"a/b/c/A - B.mp3"_s;
    QTest::newRow("four folders down is past the depth")
        << QStringList{u"a/b/c/d/A - B.mp3"_s} << u"A - B"_s << u""_s;
    QTest::newRow("a dangling link counts as a file")
        << QStringList{u"A - B.mp3 -> /nowhere/at/all"_s} << u"A - B"_s << u"A - B.mp3"_s;
    QTest::newRow("the shallower of two")
        << QStringList{u"01.12.2026/0001 A - B.mp3"_s, u"A - B.mp3"_s} << u"A - B"_s
        << u"A - B.mp3"_s;
    QTest::newRow("a character refused in names")
        << QStringList{u"A_B - C.mp3"_s} << u"A\u0001B - C"_s << u"A_B - C.mp3"_s;
}

void tst_SongLibrary::find()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, title);
    QFETCH(QString, found);
    QTemporaryDir dir;
    const QString station = dir.filePath(u"Наше Радио"_s);
    QVERIFY(Make(station, entries));
    const SongLibrary library = SongLibrary::scan(station + u'/');
    const QString expected =
        found.isEmpty() ? QString() : QDir::toNativeSeparators(station + u'/' + found);
    QCOMPARE(library.find({7, title, u"http://h/s.mp3"_s}), expected);
}

void tst_SongLibrary::limitsEndTheScan()
{
    QTemporaryDir dir;
    QStringList entries;
    for (int i = 0; i < 10; ++i)
        entries.append(u"%1 - song.mp3"_s.arg(i));
    QVERIFY(Make(dir.path(), entries));
    const SongLibrary cut = SongLibrary::scan(dir.path(), {3, 4});
    QCOMPARE(cut.entriesRead(), 4);
    QVERIFY(!cut.complete());
    const SongLibrary whole = SongLibrary::scan(dir.path(), {3, 10});
    QCOMPARE(whole.entriesRead(), 10);
    QVERIFY(whole.complete());
    QVERIFY(SongLibrary::scan(dir.filePath(u"missing"_s)).complete());
}

void tst_SongLibrary::linkToAFolderAboveIsNotFollowed()
{
    QTemporaryDir dir;
    QVERIFY(Make(dir.path(), {u"day/loop -> "_s + dir.path(), u"day/A - B.mp3"_s}));
    const SongLibrary library = SongLibrary::scan(dir.path(), {50, 1000});
    QCOMPARE(library.entriesRead(), 3); // day, day/loop, day/A - B.mp3
    QVERIFY(!library.find({1, u"A - B"_s, {}}).isEmpty());
}

QTEST_GUILESS_MAIN(tst_SongLibrary)
#include "tst_songlibrary.moc"
