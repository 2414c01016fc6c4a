#include "closedecision.h"
#include "redirectmarker.h"
#include "redirecttarget.h"
#include "responsereader.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_CloseDecision : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void redirectTarget_data();
    void redirectTarget();
    void locationValue_data();
    void locationValue();
    void redirectMarkers_data();
    void redirectMarkers();
    void decision_data();
    void decision();
};

void tst_CloseDecision::redirectTarget_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("target");

    QTest::newRow("absolute") << u"http://a.com/x/y"_s << u"http://b.com/z"_s
                              << u"http://b.com/z"_s;
    QTest::newRow("/x from /a/b") << u"http://h.com/a/b"_s << u"/x"_s << u"http://h.com/x"_s;
    QTest::newRow("y from /a/b") << u"http://h.com/a/b"_s << u"y"_s << u"http://h.com/a/y"_s;
    QTest::newRow("port kept on the same host")
        << u"http://h.com:8080/a/b"_s << u"/x"_s << u"http://h.com:8080/x"_s;
    QTest::newRow("rstart asked as c_start")
        << u"http://h.com/a"_s << u"/get?rstart=5"_s << u"http://h.com/get?c_start=5"_s;
    QTest::newRow("rstart in an absolute value")
        << u"http://h.com/a"_s << u"http://c.com/?rstart=1"_s << u"http://c.com/?c_start=1"_s;
    QTest::newRow("/x from a bare host") << u"http://h.com"_s << u"/x"_s << u"http://h.com/x"_s;
    QTest::newRow("y from a bare host") << u"http://h.com"_s << u"y"_s << u"http://h.com/y"_s;
    QTest::newRow("/x without scheme") << u"h.com/a/b"_s << u"/x"_s << u"http://h.com/x"_s;
    QTest::newRow("to https") << u"http://h.com/a"_s << u"https://h.com/a"_s
                              << u"https://h.com/a"_s;
    QTest::newRow("https, /x") << u"https://h.com:8443/a/b"_s << u"/x"_s
                               << u"https://h.com:8443/x"_s;
    QTest::newRow("https, y") << u"https://h.com/a/b"_s << u"y"_s << u"https://h.com/a/y"_s;
    QTest::newRow("https bare host, y") << u"https://h.com"_s << u"y"_s << u"https://h.com/y"_s;
    QTest::newRow("other scheme refused") << u"http://h.com/a"_s << u"ftp://h.com/a"_s << u""_s;
    QTest::newRow("scheme only at the start counts")
        << u"http://h.com/a"_s << u"/login?next=https://o/x"_s
        << u"http://h.com/login?next=https://o/x"_s;
    QTest::newRow("http:// later in the value is a path")
        << u"http://h.com/a/b"_s << u"go?to=http://o/x"_s << u"http://h.com/a/go?to=http://o/x"_s;
    QTest::newRow("&amp; becomes &")
        << u"http://h.com/a"_s << u"/x?a=1&amp;b=2"_s << u"http://h.com/x?a=1&b=2"_s;
    QTest::newRow("//host:port/path is another server")
        << u"http://a.com:80/x/y"_s << u"//127.0.0.1:18538/song.mp3"_s
        << u"http://127.0.0.1:18538/song.mp3"_s;
    QTest::newRow("//host from https stays https")
        << u"https://a.com/x"_s << u"//b.com/z?u=http://o"_s << u"https://b.com/z?u=http://o"_s;
    QTest::newRow("//host alone") << u"http://a.com/x"_s << u"//b.com"_s << u"http://b.com"_s;
    QTest::newRow("/// names no host") << u"http://a.com/x"_s << u"///z"_s << u""_s;
}

void tst_CloseDecision::redirectTarget()
{
    QFETCH(QString, current);
    QFETCH(QString, location);
    QFETCH(QString, target);
    QCOMPARE(RedirectTarget::resolve(current, location), target);
}

void tst_CloseDecision::locationValue_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    QTest::newRow("header") << QByteArray("HTTP/1.0 302 Found\r\nLocation: /x\r\n\r\n") << true
                            << u"/x"_s;
    QTest::newRow("first of two") << QByteArray("Location: /a\r\nLocation: /b\r\n\r\n") << true
                                  << u"/a"_s;
    QTest::newRow("any letter case, no blank after the colon")
        << QByteArray("HTTP/1.0 302 Found\r\nlocation:/x\r\n\r\n") << true << u"/x"_s;
    QTest::newRow("in the body only")
        << QByteArray("HTTP/1.0 302 Found\r\n\r\nLocation: /x\r\n") << false << u""_s;
    QTest::newRow("no line end") << QByteArray("HTTP/1.0 302 Found\r\nLocation: /x") << false
                                 << u""_s;
    QTest::newRow("windows-1251 value")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: /\xdf\r\n\r\n") << true << u"/Я"_s;
    QTest::newRow("utf-8 value of a utf-8 response")
        << QByteArray("HTTP/1.0 302 Found\r\nContent-Type: text/html; charset=utf-8\r\n"
                      "Location: /\xd0\xaf\r\n\r\n")
        << true << u"/Я"_s;
}

void tst_CloseDecision::locationValue()
{
    QFETCH(QByteArray, response);
    QFETCH(bool, found);
    QFETCH(QString, value);
    ResponseReader reader;
    reader.feed(response);
    reader.finishHead();
    const std::optional<QString> location = RedirectTarget::location(reader.fields());
    QCOMPARE(location.has_value(), found);
    if (found)
        QCOMPARE(*location, value);
}

void tst_CloseDecision::redirectMarkers_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<bool>("redirect");

    QTest::newRow("302 Found") << QByteArray("HTTP/1.1 302 Found\r\n") << true;
    QTest::newRow("301 Moved") << QByteArray("HTTP/1.1 301 Moved Permanently\r\n") << true;
    QTest::newRow("302 Moved") << QByteArray("HTTP/1.0 302 Moved Temporarily\r\n") << true;
    QTest::newRow("HTTP/1.1 302") << QByteArray("HTTP/1.1 302 Whatever\r\n") << true;
    QTest::newRow("HTTP/1.0 302") << QByteArray("HTTP/1.0 302") << true;
    QTest::newRow("303 See Other") << QByteArray("HTTP/1.1 303 See Other\r\n") << true;
    QTest::newRow("307") << QByteArray("HTTP/1.1 307 Temporary Redirect\r\n") << false;
    QTest::newRow("308") << QByteArray("HTTP/1.1 308 Permanent Redirect\r\n") << false;
    QTest::newRow("303 other text") << QByteArray("HTTP/1.1 303 Elsewhere\r\n") << false;
    QTest::newRow("200") << QByteArray("HTTP/1.0 200 OK\r\n\r\n30 302Found 301") << false;
    QTest::newRow("marker only in body")
        << QByteArray("HTTP/1.0 200 OK\r\n\r\nthe server said 302 Found") << true;
    QTest::newRow("marker at the very end") << QByteArray(5000, 'x') + "303 See Other" << true;
    QTest::newRow("marker cut by the end") << QByteArray(5000, 'x') + "303 See Othe" << false;
    QTest::newRow("3 as last byte") << QByteArray("abc3") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void tst_CloseDecision::redirectMarkers()
{
    QFETCH(QByteArray, response);
    QFETCH(bool, redirect);
    QCOMPARE(HasRedirectMarker(response), redirect);
}

void tst_CloseDecision::decision_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<int>("redirects");
    QTest::addColumn<int>("sends");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("target");

    const QByteArray moved = "HTTP/1.1 301 Moved Permanently\r\nLocation: /x\r\n\r\n";
    QTest::newRow("nothing, first attempt")
        << QByteArray() << 0 << 1 << int(CloseDecision::SendAgain) << u""_s;
    QTest::newRow("nothing, second attempt")
        << QByteArray() << 3 << 2 << int(CloseDecision::SendAgain) << u""_s;
    QTest::newRow("nothing, third attempt")
        << QByteArray() << 0 << 3 << int(CloseDecision::GiveUp) << u""_s;
    QTest::newRow("page") << QByteArray("HTTP/1.0 200 OK\r\n\r\nhi") << 0 << 1
                          << int(CloseDecision::Deliver) << u""_s;
    QTest::newRow("redirect") << moved << 0 << 1 << int(CloseDecision::Redirect)
                              << u"http://h.com/x"_s;
    QTest::newRow("sixth redirect followed")
        << moved << 5 << 1 << int(CloseDecision::Redirect) << u"http://h.com/x"_s;
    QTest::newRow("seventh response not examined")
        << QByteArray("HTTP/1.0 200 OK\r\n\r\n") << 6 << 1 << int(CloseDecision::UnlimitedRedirect)
        << u""_s;
    QTest::newRow("redirect without Location delivered")
        << QByteArray("HTTP/1.0 302 Found\r\n\r\n") << 0 << 1 << int(CloseDecision::Deliver)
        << u""_s;
    QTest::newRow("Location without line end delivered")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: /x") << 0 << 1 << int(CloseDecision::Deliver)
        << u""_s;
    QTest::newRow("redirect to https followed")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: https://h.com/x\r\n\r\n") << 0 << 1
        << int(CloseDecision::Redirect) << u"https://h.com/x"_s;
    QTest::newRow("redirect to another scheme delivered")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: ftp://h.com/x\r\n\r\n") << 0 << 1
        << int(CloseDecision::Deliver) << u""_s;
    QTest::newRow("Location with a lone line feed delivered")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: /x\nHost: evil\r\n\r\n") << 0 << 1
        << int(CloseDecision::Deliver) << u""_s;
    QTest::newRow("Location with a NUL delivered")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: http://h.com/\0x\r\n\r\n", 49) << 0 << 1
        << int(CloseDecision::Deliver) << u""_s;
    QTest::newRow("Location with a tab delivered")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: /a\tb\r\n\r\n") << 0 << 1
        << int(CloseDecision::Deliver) << u""_s;
}

void tst_CloseDecision::decision()
{
    QFETCH(QByteArray, received);
    QFETCH(int, redirects);
    QFETCH(int, sends);
    QFETCH(int, action);
    QFETCH(QString, target);
    const CloseDecision decision =
        CloseDecision::decide(received, u"http://h.com/a/b", redirects, sends);
    QCOMPARE(int(decision.What), action);
    QCOMPARE(decision.Target, target);
}

QTEST_APPLESS_MAIN(tst_CloseDecision)
#include "tst_closedecision.moc"
