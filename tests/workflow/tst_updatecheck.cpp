#include "updatecheck.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_UpdateCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readReply_data();
    void readReply();
    void message();
};

void tst_UpdateCheck::readReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("offered");

    const QString head = u"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n"_s;
    QTest::newRow("same version") << head + u"#version info\r\n1.1\r\nhttp://h/d/\r\n"_s << u"1.1"_s
                                  << u"http://h/d/"_s << false;
    QTest::newRow("newer") << head + u"#version info\r\n1.2\r\nhttp://h/d/\r\n"_s << u"1.2"_s
                           << u"http://h/d/"_s << true;
    QTest::newRow("older is offered too") << head + u"#version info\r\n1.0\r\nhttp://h/d/\r\n"_s
                                          << u"1.0"_s << u"http://h/d/"_s << true;
    QTest::newRow("no marker") << head + u"1.2\r\nhttp://h/d/\r\n"_s << u""_s << u"http://h/d/"_s
                               << false;
    QTest::newRow("nothing after marker")
        << head + u"#version info\r\n"_s << u""_s << u"http://"_s << false;
    QTest::newRow("no address gives bare scheme")
        << head + u"#version info\r\n2.0\r\n"_s << u"2.0"_s << u"http://"_s << true;
    QTest::newRow("address in a header comes first")
        << u"HTTP/1.0 200 OK\r\nX-Mirror: http://mirror/\r\n\r\n#version info\r\n2.0\r\n"
           "http://h/d/\r\n"_s
        << u"2.0"_s << u"http://mirror/"_s << true;
    QTest::newRow("https address") << head + u"#version info\r\n1.2\r\nhttps://h/d/\r\n"_s
                                   << u"1.2"_s << u"https://h/d/"_s << true;
    QTest::newRow("the first address of either scheme")
        << head + u"#version info\r\n1.2\r\nhttp://a/\r\nhttps://b/\r\n"_s << u"1.2"_s
        << u"http://a/"_s << true;
    QTest::newRow("empty reply") << u""_s << u""_s << u"http://"_s << false;
}

void tst_UpdateCheck::readReply()
{
    QFETCH(QString, reply);
    QFETCH(QString, version);
    QFETCH(QString, link);
    QFETCH(bool, offered);
    const VersionReply read = ReadVersionReply(reply);
    QCOMPARE(read.version, version);
    QCOMPARE(read.link, link);
    QCOMPARE(OffersUpdate(read, u"1.1"_s), offered);
}

void tst_UpdateCheck::message()
{
    QCOMPARE(UpdateMessage({u"1.2"_s, u"http://h/d/"_s}),
             u"Обнаружена более новая версия программы - 1.2\r\n"
             "Перейти к странице загрузки http://h/d/"_s);
    // An absurd reply is cut in the question; the link itself is left as it came.
    const QString huge = QString(100000, u'9');
    const QString text = UpdateMessage({huge, u"http://h/"_s + huge});
    QVERIFY(text.size() < 500);
    QVERIFY(text.contains(u"- 9999"_s));
}

QTEST_GUILESS_MAIN(tst_UpdateCheck)
#include "tst_updatecheck.moc"
