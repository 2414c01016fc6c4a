#include "pathutil.h"
#include "textutil.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_TextUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cutAtMarker_data();
    void cutAtMarker();
    void extractBetween_data();
    void extractBetween();
    void withTrailingSeparator_data();
    void withTrailingSeparator();
};

void tst_TextUtil::cutAtMarker_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("a=b") << u"a=b"_s << u"="_s << u"a"_s << u"b"_s;
    QTest::newRow("marker absent") << u"abc"_s << u"="_s << u"abc"_s << u"abc"_s;
    QTest::newRow("first occurrence") << u"a=b=c"_s << u"="_s << u"a"_s << u"b=c"_s;
    QTest::newRow("marker at start") << u"=b"_s << u"="_s << u""_s << u"b"_s;
    QTest::newRow("marker at end") << u"a="_s << u"="_s << u"a"_s << u""_s;
    QTest::newRow("case matters") << u"aDb"_s << u"d"_s << u"aDb"_s << u"aDb"_s;
    QTest::newRow("empty marker") << u"abc"_s << u""_s << u"abc"_s << u"abc"_s;
    QTest::newRow("long marker") << u"x\r\n\r\nbody"_s << u"\r\n\r\n"_s << u"x"_s << u"body"_s;
}

void tst_TextUtil::cutAtMarker()
{
    QFETCH(QString, text);
    QFETCH(QString, marker);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QCOMPARE(CutAtMarker(text, marker, CutMode::KeepBefore), before);
    QCOMPARE(CutAtMarker(text, marker, CutMode::KeepAfter), after);
}

void tst_TextUtil::extractBetween_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("expected");

    const QString q = u"\""_s;
    QTest::newRow("attribute") << u"<a data-x=\"val\" y=\"z\">"_s << u"data-x=\""_s << q
                               << u"val"_s;
    QTest::newRow("markers touch") << u"data-x=\"\""_s << u"data-x=\""_s << q << u""_s;
    QTest::newRow("start missing") << u"abc\""_s << u"data-x=\""_s << q << u""_s;
    QTest::newRow("end missing") << u"data-x=abc"_s << u"data-x="_s << q << u""_s;
    QTest::newRow("end only before start") << u"\"data-x=abc"_s << u"data-x="_s << q << u""_s;
    QTest::newRow("case of marker matters") << u"Data-x=\"v\""_s << u"data-x=\""_s << q << u""_s;
    QTest::newRow("first start marker counts") << u"k=\"1\" k=\"2\""_s << u"k=\""_s << q << u"1"_s;
    QTest::newRow("version line") << u"x\r\n#version info\r\n1.2\r\nhttp://a\r\n"_s
                                  << u"#version info\r\n"_s << u"\r\n"_s << u"1.2"_s;
}

void tst_TextUtil::extractBetween()
{
    QFETCH(QString, text);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, expected);
    QCOMPARE(ExtractBetween(text, start, end), expected);
}

void tst_TextUtil::withTrailingSeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    const QString sep = FolderSeparator();
    QTest::newRow("folder") << u"/tmp/music"_s << u"/tmp/music"_s + sep;
    QTest::newRow("root keeps one separator") << u"/"_s << u"/"_s;
    QTest::newRow("already ends in separator") << u"/tmp/"_s << u"/tmp/"_s;
    QTest::newRow("empty stays empty") << u""_s << u""_s;
#ifdef Q_OS_WIN
    QTest::newRow("drive root") << u"C:\\"_s << u"C:\\"_s;
#endif
}

void tst_TextUtil::withTrailingSeparator()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(WithTrailingSeparator(path), expected);
}

QTEST_GUILESS_MAIN(tst_TextUtil)
#include "tst_textutil.moc"
