#include "songlibrary.h"
#include "songlist.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Five songs: 1 plain, 2 without an address, 3 failed in the last run, 4 in the
// library, 5 with the title of 4 under another number.
void Fill(SongList &list)
{
    list.setSongs({{1, u"A - One"_s, u"http://h/1"_s},
                   {2, u"A - Two"_s, u""_s},
                   {3, u"A - Three"_s, u"http://h/3"_s},
                   {4, u"A - Four"_s, u"http://h/4"_s},
                   {5, u"A - Four"_s, u"http://h/5"_s}});
    list.setOutcome(list.id(2), SongOutcome::failed(u"Сервер ответил 404"_s));
}

QString Marks(const SongList &list)
{
    QString marks;
    for (int row = 0; row < list.count(); ++row)
        marks += list.isMarked(row) ? u'x' : u'.';
    return marks;
}

} // namespace

class tst_SongList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void idsOutliveNoList();
    void marking_data();
    void marking();
    void aStoredSongIsInTheLibraryWithItsTwins();
    void transferText_data();
    void transferText();
    void transferIsToldOnlyWhenItsTextChanges();
};

void tst_SongList::idsOutliveNoList()
{
    SongList list;
    Fill(list);
    const SongId first = list.id(0);
    const SongId last = list.id(4);
    QCOMPARE(list.rowOf(last), 4);
    list.setSongs({{1, u"B - One"_s, u"http://h/b"_s}});
    // The new list's ids are its own: the old ones name none of its songs.
    QCOMPARE(list.rowOf(first), -1);
    QCOMPARE(list.rowOf(last), -1);
    QVERIFY(list.id(0) > last);
    QVERIFY(!list.isMarked(first));
    list.setOutcome(last, SongOutcome::stored());
    QVERIFY(!list.anyOutcome());
}

void tst_SongList::marking_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("act");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("changes"); // dataChanged signals

    QTest::newRow("all, the one without an address too")
        << u"....."_s << u"all"_s << u"xxxxx"_s << 1;
    QTest::newRow("none") << u"x.x.x"_s << u"none"_s << u"....."_s << 1;
    QTest::newRow("none of none tells nothing") << u"....."_s << u"none"_s << u"....."_s << 0;
    QTest::newRow("failed join the marks") << u"x...."_s << u"failed"_s << u"x.x.."_s << 1;
    // 4 is in the library, and so is 5 by its title.
    QTest::newRow("only new: an address and no file yet")
        << u".xxxx"_s << u"new"_s << u"x.x.."_s << 1;
}

void tst_SongList::marking()
{
    QFETCH(QString, before);
    QFETCH(QString, act);
    QFETCH(QString, after);
    QFETCH(int, changes);
    SongList list;
    Fill(list);
    list.addToLibrary(list.id(3), u"/music/0004 A - Four.mp3"_s);
    for (int row = 0; row < list.count(); ++row)
        list.setMarked(row, before[row] == u'x');
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    if (act == u"all")
        list.markAll();
    else if (act == u"none")
        list.markNone();
    else if (act == u"failed")
        list.markFailed();
    else
        list.markOnlyNew();
    QCOMPARE(Marks(list), after);
    QCOMPARE(list.markedCount(), int(after.count(u'x')));
    QCOMPARE(changed.count(), changes);
    if (changes > 0)
        QCOMPARE(changed[0][2].value<QList<int>>(), QList<int>{SongList::MarkRole});
}

void tst_SongList::aStoredSongIsInTheLibraryWithItsTwins()
{
    SongList list;
    Fill(list);
    list.addToLibrary(list.id(4), u"/music/0005 A - Four.mp3"_s);
    QCOMPARE(list.libraryPath(3), u"/music/0005 A - Four.mp3"_s);
    // A later copy does not move where the first was found.
    list.addToLibrary(list.id(3), u"/music/day/0004 A - Four.mp3"_s);
    QCOMPARE(list.libraryPath(3), u"/music/day/0004 A - Four.mp3"_s);
    QCOMPARE(list.libraryPath(4), u"/music/0005 A - Four.mp3"_s);
    QCOMPARE(list.libraryPath(0), QString());
    // How the run left a song tells more than where a copy lies.
    const QModelIndex failed = list.index(2);
    list.addToLibrary(list.id(2), u"/music/0003 A - Three.mp3"_s);
    QCOMPARE(failed.data(Qt::ToolTipRole).toString(), u"Сервер ответил 404"_s);
    QCOMPARE(list.index(3).data(Qt::ToolTipRole).toString(),
             u"Уже есть: /music/day/0004 A - Four.mp3"_s);
}

void tst_SongList::transferText_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("text");
    QTest::newRow("percent") << qint64(47) << qint64(100) << u"47%"_s;
    QTest::newRow("never rounded up to whole") << qint64(999) << qint64(1000) << u"99%"_s;
    QTest::newRow("more than announced") << qint64(120) << qint64(100) << u"100%"_s;
    QTest::newRow("no length: bytes") << qint64(10 * 1024 - 1) << qint64(-1) << u"10 КБ"_s;
    QTest::newRow("never four digits") << qint64(1024 * 1000 - 1) << qint64(-1) << u"1,0 МБ"_s;
}

void tst_SongList::transferText()
{
    QFETCH(qint64, bytes);
    QFETCH(qint64, length);
    QFETCH(QString, text);
    SongList list;
    Fill(list);
    list.setTransfer(list.id(0), bytes, length);
    QCOMPARE(list.index(0).data(SongList::TransferRole).toString(), text);
}

void tst_SongList::transferIsToldOnlyWhenItsTextChanges()
{
    SongList list;
    Fill(list);
    QSignalSpy changes(&list, &QAbstractItemModel::dataChanged);
    for (const qint64 bytes : {10, 19, 20}) // 1%, 1% again, 2%
        list.setTransfer(list.id(0), bytes, 1000);
    QCOMPARE(changes.size(), 2);
    // The outcome takes the figure's place; the tip tells the stored size.
    list.setOutcome(list.id(0), {SongOutcome::Kind::Stored, {}, {}, 4404019});
    QCOMPARE(list.index(0).data(SongList::TransferRole).toString(), QString());
    QCOMPARE(list.index(0).data(Qt::ToolTipRole).toString(), u"Скачано, 4,2 МБ"_s);
    // More than one request is worth telling, stored or not.
    list.setOutcome(list.id(1), {SongOutcome::Kind::Stored, {}, {}, 4404019, 2});
    QCOMPARE(list.index(1).data(Qt::ToolTipRole).toString(), u"Скачано, 4,2 МБ, попыток: 2"_s);
    list.setOutcome(list.id(2), {SongOutcome::Kind::Failed, u"Соединение прервано"_s, {}, -1, 3});
    QCOMPARE(list.index(2).data(Qt::AccessibleDescriptionRole).toString(),
             u"Соединение прервано, попыток: 3"_s);
    // A song stopped in flight has no outcome; the end of the run clears it.
    list.setTransfer(list.id(3), 5, -1);
    list.clearTransfers();
    QCOMPARE(list.index(3).data(SongList::TransferRole).toString(), QString());
}

QTEST_GUILESS_MAIN(tst_SongList)
#include "tst_songlist.moc"
