#include "ansicodec.h"
#include "requesttext.h"
#include "serveraddress.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_RequestText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void urlParts_data();
    void urlParts();
    void getRequestBytes_data();
    void getRequestBytes();
    void postRequestBytes_data();
    void postRequestBytes();
    void otherMethodsSendNothing();
    void restOfABody_data();
    void restOfABody();
    void rejectsControlCharactersInUrl_data();
    void rejectsControlCharactersInUrl();
    void serverAddress_data();
    void serverAddress();
};

void tst_RequestText::urlParts_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("path");

    QTest::newRow("plain") << u"http://ex.com/a/b?c=d"_s << u"ex.com"_s << u"a/b?c=d"_s;
    QTest::newRow("no scheme") << u"ex.com/a/b"_s << u"ex.com"_s << u"a/b"_s;
    QTest::newRow("nothing after host") << u"http://ex.com"_s << u"ex.com"_s << u""_s;
    QTest::newRow("root") << u"http://ex.com/"_s << u"ex.com"_s << u""_s;
    QTest::newRow("port stays in host") << u"http://ex.com:8080/x"_s << u"ex.com:8080"_s << u"x"_s;
    QTest::newRow("http:// inside query")
        << u"http://ex.com/go?u=http://other/p"_s << u"ex.com"_s << u"go?u=other/p"_s;
    QTest::newRow("https") << u"https://ex.com:8443/a?u=http://b"_s << u"ex.com:8443"_s
                           << u"a?u=http://b"_s;
    QTest::newRow("other scheme not recognised")
        << u"ftp://ex.com/a"_s << u"ftp:"_s << u"/ex.com/a"_s;
    QTest::newRow("upper-case scheme not recognised")
        << u"HTTP://ex.com/a"_s << u"HTTP:"_s << u"/ex.com/a"_s;
}

void tst_RequestText::urlParts()
{
    QFETCH(QString, url);
    QFETCH(QString, host);
    QFETCH(QString, path);
    QCOMPARE(RequestText::host(url), host);
    QCOMPARE(RequestText::path(url), path);
}

namespace {

const QByteArray getUserAgent =
    "User-Agent: Opera/9.80 (Windows NT 5.1; U; ru) Presto/2.10.289 Version/12.02 YB/3.5.1.0\r\n";
const QByteArray accept = "Accept: text/html, application/xml, application/xhtml+xml, "
                          "image/jpeg, image/gif, image/x-xbitmap\r\n";

} // namespace

void tst_RequestText::getRequestBytes_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<QString>("referer");
    QTest::addColumn<QString>("cookies");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray common = accept + "Accept-Encoding: identity\r\nAccept-Language: ru-RU,ru\r\n";
    QTest::newRow("first request sends a blank Referer")
        << u"http://ex.com/a/b?q=1"_s << false << u""_s << u""_s
        << "GET /a/b?q=1 HTTP/1.0\r\n" + getUserAgent + common +
               "Host: ex.com\r\nReferer: \r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
               "Connection: Close\r\n\r\n";
    QTest::newRow("referer and cookies")
        << u"http://ex.com/x"_s << false << u"http://ex.com/"_s << u"a=1;b=2;"_s
        << "GET /x HTTP/1.0\r\n" + getUserAgent + common +
               "Host: ex.com\r\nReferer: http://ex.com/\r\nPragma: no-cache\r\n"
               "Cache-Control: no-cache\r\nCookie: a=1;b=2;\r\nConnection: Close\r\n\r\n";
    QTest::newRow("nothing after host")
        << u"http://ex.com"_s << false << u""_s << u""_s
        << "GET / HTTP/1.0\r\n" + getUserAgent + common +
               "Host: ex.com\r\nReferer: \r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
               "Connection: Close\r\n\r\n";
    QTest::newRow("proxy keeps http:// of the query")
        << u"http://ex.com/go?u=http://o/p"_s << true << u""_s << u""_s
        << "GET http://ex.com/go?u=http://o/p HTTP/1.0\r\n" + getUserAgent + common +
               "Host: ex.com\r\nReferer: \r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
               "Proxy-Connection: Close\r\n\r\n";
    QTest::newRow("direct loses http:// of the query")
        << u"http://ex.com/go?u=http://o/p"_s << false << u""_s << u""_s
        << "GET /go?u=o/p HTTP/1.0\r\n" + getUserAgent + common +
               "Host: ex.com\r\nReferer: \r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
               "Connection: Close\r\n\r\n";
    QTest::newRow("cyrillic path goes out in windows-1251")
        << u"http://ex.com/Я"_s << false << u""_s << u""_s
        << "GET /\xdf HTTP/1.0\r\n" + getUserAgent + common +
               "Host: ex.com\r\nReferer: \r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
               "Connection: Close\r\n\r\n";
    QTest::newRow("https Referer withheld from plain http")
        << u"http://ex.com/s.mp3"_s << false << u"https://chart/p/"_s << u""_s
        << "GET /s.mp3 HTTP/1.0\r\n" + getUserAgent + common +
               "Host: ex.com\r\nReferer: \r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
               "Connection: Close\r\n\r\n";
    QTest::newRow("https Referer kept for https")
        << u"https://ex.com/s.mp3"_s << false << u"https://chart/p/"_s << u""_s
        << "GET /s.mp3 HTTP/1.0\r\n" + getUserAgent + common +
               "Host: ex.com\r\nReferer: https://chart/p/\r\nPragma: no-cache\r\n"
               "Cache-Control: no-cache\r\nConnection: Close\r\n\r\n";
}

void tst_RequestText::getRequestBytes()
{
    QFETCH(QString, url);
    QFETCH(bool, proxy);
    QFETCH(QString, referer);
    QFETCH(QString, cookies);
    QFETCH(QByteArray, expected);

    RequestText request;
    request.Method = RequestText::Get;
    request.Url = url;
    request.Proxy = proxy;
    request.Referer = referer;
    request.Cookies = cookies;
    request.Body = u"ignored by GET"_s;
    QCOMPARE(request.toBytes(), expected);
}

void tst_RequestText::postRequestBytes_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("postUtf");
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<QString>("cookies");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray agent =
        "User-Agent: Opera/9.80 (Windows NT 5.1; U; ru) Presto/2.6.30 Version/10.63\r\n";
    const QByteArray type =
        "Content-Type: multipart/form-data; boundary=----------THiVtHX7RDz4LGq6j34h6V\r\n";
    QTest::newRow("empty body has length 0")
        << u""_s << false << false << u""_s
        << "POST /f HTTP/1.0\r\n" + agent + accept +
               "Accept-Language: ru\r\nAccept-Charset: windows-1251\r\nAccept-Encoding: "
               "identity\r\nHost: ex.com\r\nReferer: \r\nContent-Length: 0\r\n" +
               type + "Connection: Close\r\n\r\n";
    QTest::newRow("windows-1251 body")
        << u"Да"_s << false << false << u"k=v;"_s
        << "POST /f HTTP/1.0\r\n" + agent + accept +
               "Accept-Language: ru\r\nAccept-Charset: windows-1251\r\nAccept-Encoding: "
               "identity\r\nHost: ex.com\r\nReferer: \r\nCookie: k=v;\r\nContent-Length: 2\r\n" +
               type + "Connection: Close\r\n\r\n\xc4\xe0";
    QTest::newRow("utf-8 body counts bytes")
        << u"Да"_s << true << false << u""_s
        << "POST /f HTTP/1.0\r\n" + agent + accept +
               "Accept-Language: ru\r\nAccept-Charset: utf-8\r\nAccept-Encoding: "
               "identity\r\nHost: ex.com\r\nReferer: \r\nContent-Length: 4\r\n" +
               type + "Connection: Close\r\n\r\n\xd0\x94\xd0\xb0";
    QTest::newRow("through a proxy")
        << u"x"_s << false << true << u""_s
        << "POST http://ex.com/f HTTP/1.0\r\n" + agent + accept +
               "Accept-Language: ru\r\nAccept-Charset: windows-1251\r\nAccept-Encoding: "
               "identity\r\nHost: ex.com\r\nReferer: \r\nContent-Length: 1\r\n" +
               type + "Proxy-Connection: Close\r\n\r\nx";
}

void tst_RequestText::postRequestBytes()
{
    QFETCH(QString, body);
    QFETCH(bool, postUtf);
    QFETCH(bool, proxy);
    QFETCH(QString, cookies);
    QFETCH(QByteArray, expected);

    RequestText request;
    request.Method = RequestText::Post;
    request.Url = u"http://ex.com/f"_s;
    request.Proxy = proxy;
    request.Cookies = cookies;
    request.Body = body;
    request.PostUtf = postUtf;
    QCOMPARE(request.toBytes(), expected);
}

void tst_RequestText::otherMethodsSendNothing()
{
    RequestText request;
    request.Url = u"http://ex.com/"_s;
    for (const int method : {0, 3, -1}) {
        request.Method = method;
        QVERIFY(request.toBytes().isEmpty());
    }
}

void tst_RequestText::restOfABody_data()
{
    QTest::addColumn<qint64>("from");
    QTest::addColumn<QByteArray>("validator");
    QTest::addColumn<QByteArray>("lines"); // before Connection
    QTest::newRow("rest asked, if still the same")
        << 5ll << QByteArray("\"v\xe9\"")
        << QByteArray("Range: bytes=5-\r\nIf-Range: \"v\xe9\"\r\n");
    QTest::newRow("no validator: a first request") << 5ll << QByteArray() << QByteArray();
    QTest::newRow("from the start: a first request") << 0ll << QByteArray("\"v\"") << QByteArray();
}

void tst_RequestText::restOfABody()
{
    QFETCH(qint64, from);
    QFETCH(QByteArray, validator);
    QFETCH(QByteArray, lines);
    RequestText request;
    request.Url = u"http://ex.com/s.mp3"_s;
    request.Cookies = u"a=1;"_s;
    request.RangeFrom = from;
    request.IfRange = validator;
    QCOMPARE(request.toBytes(),
             "GET /s.mp3 HTTP/1.0\r\n" + getUserAgent + accept +
                 "Accept-Encoding: identity\r\nAccept-Language: ru-RU,ru\r\nHost: ex.com\r\n"
                 "Referer: \r\nPragma: no-cache\r\nCache-Control: no-cache\r\nCookie: a=1;\r\n" +
                 lines + "Connection: Close\r\n\r\n");
}

void tst_RequestText::rejectsControlCharactersInUrl_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("sendable");

    QTest::newRow("plain") << u"http://ex.com/a b?c=Я"_s << true;
    QTest::newRow("CR LF") << u"http://ex.com/a\r\nX-Evil: 1"_s << false;
    QTest::newRow("LF alone") << u"http://ex.com/a\nX: 1"_s << false;
    QTest::newRow("NUL") << u"http://ex.com/a"_s + QChar(0) << false;
    QTest::newRow("tab") << u"http://ex.com/\ta"_s << false;
    QTest::newRow("DEL") << u"http://ex.com/\x7f"_s << false;
    // Raw UTF-8 addresses: «И» is D0 98, «‘» E2 80 98, and byte 0x98 reads as U+0098.
    QTest::newRow("Иван") << Ansi::toText("http://ex.com/\xd0\x98\xd0\xb2") << true;
    QTest::newRow("left quote") << Ansi::toText("http://ex.com/\xe2\x80\x98"
                                                "a")
                                << true;
    QTest::newRow("unit separator") << u"http://ex.com/\x1f"_s << false;
}

void tst_RequestText::rejectsControlCharactersInUrl()
{
    QFETCH(QString, url);
    QFETCH(bool, sendable);
    QCOMPARE(RequestText::isSendable(url), sendable);
}

void tst_RequestText::serverAddress_data()
{
    QTest::addColumn<QString>("hostText");
    QTest::addColumn<int>("defaultPort");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("port");

    QTest::newRow("default port") << u"ex.com"_s << 80 << u"ex.com"_s << 80;
    QTest::newRow("written port wins") << u"ex.com:8080"_s << 80 << u"ex.com"_s << 8080;
    QTest::newRow("empty written port") << u"ex.com:"_s << 81 << u"ex.com"_s << 81;
    QTest::newRow("port not a number") << u"ex.com:8o"_s << 80 << u"ex.com"_s << 0;
    QTest::newRow("port too large") << u"ex.com:65536"_s << 80 << u"ex.com"_s << 0;
    QTest::newRow("highest port") << u"ex.com:65535"_s << 80 << u"ex.com"_s << 65535;
    QTest::newRow("bracketed IPv6") << u"[::1]:81"_s << 80 << u"::1"_s << 81;
    QTest::newRow("bracketed IPv6, default") << u"[::1]"_s << 80 << u"::1"_s << 80;
    QTest::newRow("negative default port") << u"ex.com"_s << -1 << u"ex.com"_s << 0;
    QTest::newRow("empty") << u""_s << 80 << u""_s << 80;
}

void tst_RequestText::serverAddress()
{
    QFETCH(QString, hostText);
    QFETCH(int, defaultPort);
    QFETCH(QString, name);
    QFETCH(int, port);
    const ServerAddress address = ServerAddress::parse(hostText, defaultPort);
    QCOMPARE(address.Name, name);
    QCOMPARE(int(address.Port), port);
    QCOMPARE(address.isValid(), !name.isEmpty() && port != 0);
}

QTEST_APPLESS_MAIN(tst_RequestText)
#include "tst_requesttext.moc"
