#include "songfiles.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_SongFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileName_data();
    void fileName();
    void longTitlesAreCappedKeepingExtension_data();
    void longTitlesAreCappedKeepingExtension();
    void folders();
};

void tst_SongFiles::fileName_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("noNumbers");
    QTest::addColumn<QString>("expected");

    QTest::newRow("numbered") << 3 << u"Adele - Hello"_s << false << u"0003 Adele - Hello.mp3"_s;
    QTest::newRow("not numbered") << 3 << u"Adele - Hello"_s << true << u"Adele - Hello.mp3"_s;
    QTest::newRow("NUL replaced") << 1 << u"A\u0000B - C"_s << true << u"A_B - C.mp3"_s;
    QTest::newRow("control characters replaced")
        << 1 << u"A\tB\nC\u001F\u007F - D"_s << true << u"A_B_C__ - D.mp3"_s;
    // "0001 " and ".mp3" take 9 of the 255.
    QTest::newRow("numbered name of exactly 255 bytes keeps its last character")
        << 1 << QString(246, u'a') << false << u"0001 "_s + QString(246, u'a') + u".mp3"_s;
    QTest::newRow("one byte over loses one character")
        << 1 << QString(246, u'a') + u'b' << false << u"0001 "_s + QString(246, u'a') + u".mp3"_s;
#ifdef Q_OS_WIN
    QTest::newRow("refused characters replaced")
        << 1 << u"Who? - \"x\" <y> |z|\t"_s << true << u"Who_ - _x_ _y_ _z__.mp3"_s;
#else
    QTest::newRow("characters Linux accepts stay")
        << 1 << u"Who? - \"x\" <y> |z|"_s << true << u"Who? - \"x\" <y> |z|.mp3"_s;
#endif
}

void tst_SongFiles::fileName()
{
    QFETCH(int, position);
    QFETCH(QString, title);
    QFETCH(bool, noNumbers);
    QFETCH(QString, expected);
    QCOMPARE(SongFileName({position, title, u"http://x/"_s}, noNumbers), expected);
}

void tst_SongFiles::longTitlesAreCappedKeepingExtension_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("latin") << QString(400, u'a');
    QTest::newRow("cyrillic, two bytes each") << QString(300, u'ж');
    QTest::newRow("very long title") << QString(400000, u'ж');
    QTest::newRow("surrogate pairs are not split") << QString(240, u'x').append(
        QString::fromUcs4(U"\U0001F3B5\U0001F3B5\U0001F3B5\U0001F3B5\U0001F3B5"));
}

void tst_SongFiles::longTitlesAreCappedKeepingExtension()
{
    QFETCH(QString, title);
    const QString name = SongFileName({12, title, QString()}, false);
    QVERIFY(name.endsWith(u".mp3"_s));
    QVERIFY(name.startsWith(u"0012 "_s));
#ifdef Q_OS_WIN
    QVERIFY(name.size() <= MaxFileNameLength);
#else
    QVERIFY(name.toUtf8().size() <= MaxFileNameLength);
    QVERIFY(name.toUtf8().size() > MaxFileNameLength - 4); // no more cut than needed
#endif
    QVERIFY(!name.chopped(4).back().isHighSurrogate());
    QCOMPARE(QString::fromUtf8(name.toUtf8()), name);
}

void tst_SongFiles::folders()
{
    const QString sep = QDir::separator();
    QCOMPARE(StationFolder(u"/music"_s + sep, u"Наше Радио"_s),
             u"/music"_s + sep + u"Наше Радио"_s + sep);
    // A folder without its trailing separator still gets a sub-folder, not a sibling.
    QCOMPARE(StationFolder(u"/music"_s, u"Наше Радио"_s),
             u"/music"_s + sep + u"Наше Радио"_s + sep);
    QCOMPARE(DateFolder(u"/m/S"_s + sep, u"16.06.2014"_s), u"/m/S"_s + sep + u"16.06.2014"_s + sep);
}

QTEST_GUILESS_MAIN(tst_SongFiles)
#include "tst_songfiles.moc"
