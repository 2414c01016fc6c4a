#include "cookiejar.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_CookieJar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getCookies_data();
    void getCookies();
    void addCookies_data();
    void addCookies();
};

void tst_CookieJar::getCookies_data()
{
    QTest::addColumn<QString>("response");
    QTest::addColumn<QString>("cookies");

    QTest::newRow("pair with path attribute")
        << u"HTTP/1.0 200 OK\r\nSet-Cookie: sid=42; path=/\r\n\r\nbody"_s << u"sid=42;"_s;
    QTest::newRow("no attributes, among headers")
        << u"HTTP/1.0 200 OK\r\nSet-Cookie: a=1\r\nServer: x\r\n\r\n"_s << u"a=1;"_s;
    QTest::newRow("no attributes, last header line")
        << u"HTTP/1.0 200 OK\r\nServer: x\r\nSet-Cookie: a=1\r\n\r\n"_s << u"a=1;"_s;
    QTest::newRow("several, in header order")
        << u"HTTP/1.0 302 Found\r\nSet-Cookie: b=2; path=/\r\nX: y\r\nSet-Cookie: a=1\r\n\r\n"_s
        << u"b=2;a=1;"_s;
    QTest::newRow("deleted cookie left out")
        << u"HTTP/1.0 200 OK\r\nSet-Cookie: a=deleted; expires=x\r\nSet-Cookie: b=2;\r\n\r\n"_s
        << u"b=2;"_s;
    QTest::newRow("any letter case, any blanks after the colon")
        << u"HTTP/1.0 200 OK\r\nset-cookie:a=1\r\nSET-COOKIE: \t b=2\r\n\r\n"_s << u"a=1;b=2;"_s;
    QTest::newRow("body is not read")
        << u"HTTP/1.0 200 OK\r\nX: y\r\n\r\nSet-Cookie: a=1\r\n"_s << u""_s;
    QTest::newRow("no header end") << u"HTTP/1.0 200 OK\r\nSet-Cookie: a=1\r\n"_s << u""_s;
    QTest::newRow("no cookies") << u"HTTP/1.0 200 OK\r\n\r\n"_s << u""_s;
}

void tst_CookieJar::getCookies()
{
    QFETCH(QString, response);
    QFETCH(QString, cookies);
    QCOMPARE(CookieJar::GetCookies(response), cookies);
}

void tst_CookieJar::addCookies_data()
{
    QTest::addColumn<QStringList>("merges");
    QTest::addColumn<QString>("jar");

    QTest::newRow("new pairs appended") << QStringList{u"a=1;b=2;"_s} << u"a=1;b=2;"_s;
    QTest::newRow("same name replaced") << QStringList{u"a=1;b=2;"_s, u"a=3;"_s} << u"a=3;b=2;"_s;
    QTest::newRow("one new, one replacing, in one call")
        << QStringList{u"a=1;"_s, u"c=9;a=2;"_s} << u"a=2;c=9;"_s;
    QTest::newRow("name inside another name replaces both")
        << QStringList{u"id=2;"_s, u"sid=1;"_s, u"id=7;"_s} << u"id=7;id=7;"_s;
    QTest::newRow("pair without final ; ignored") << QStringList{u"a=1;"_s, u"b=2"_s} << u"a=1;"_s;
    QTest::newRow("empty value skipped") << QStringList{u"a=;b=1;"_s} << u"b=1;"_s;
    QTest::newRow("empty name skipped") << QStringList{u"=1;b=1;"_s} << u"b=1;"_s;
    QTest::newRow("no = skipped") << QStringList{u"abc;b=1;"_s} << u"b=1;"_s;
    QTest::newRow("value holding = kept whole") << QStringList{u"t=a=b;"_s} << u"t=a=b;"_s;
    QTest::newRow("deleted response keeps old value")
        << QStringList{u"a=1;"_s,
                       CookieJar::GetCookies(u"HTTP/1.0 200 OK\r\nSet-Cookie: a=deleted\r\n\r\n"_s)}
        << u"a=1;"_s;
    QTest::newRow("line break in a pair refused")
        << QStringList{u"a=1\r\nX-Evil: 1;b=2;"_s} << u"b=2;"_s;
}

void tst_CookieJar::addCookies()
{
    QFETCH(QStringList, merges);
    QFETCH(QString, jar);
    CookieJar cookies;
    for (const QString &merge : merges)
        cookies.AddCookies(merge);
    QCOMPARE(cookies.text(), jar);
}

QTEST_APPLESS_MAIN(tst_CookieJar)
#include "tst_cookiejar.moc"
