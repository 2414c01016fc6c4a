#include "headerfields.h"
#include "resumepoint.h"
#include "retryafter.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Verdict = ResumePoint::Verdict;

class tst_ResumePoint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void verdict_data();
    void verdict();
    void validatorAndUse_data();
    void validatorAndUse();
    void retryAfter_data();
    void retryAfter();
};

namespace {

HeaderFields head(const QByteArray &text)
{
    return HeaderFields::parse(text);
}

} // namespace

void tst_ResumePoint::verdict_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("verdict");
    // The point: 4 bytes held of 10, validator "v1".
    const QByteArray part = "HTTP/1.1 206 Partial Content\r\n";
    QTest::newRow("206 for the rest appends")
        << part + "Content-Range: bytes 4-9/10\r\nContent-Length: 6\r\nETag: \"v1\"" << 10ll
        << int(Verdict::Append);
    QTest::newRow("206 without length or ETag appends")
        << part + "Content-Range: bytes 4-9/10" << -1ll << int(Verdict::Append);
    QTest::newRow("206 from another byte starts over")
        << part + "Content-Range: bytes 0-9/10" << 10ll << int(Verdict::StartOver);
    QTest::newRow("206 short of the end starts over")
        << part + "Content-Range: bytes 4-8/10" << 10ll << int(Verdict::StartOver);
    QTest::newRow("206 of another whole starts over")
        << part + "Content-Range: bytes 4-10/11" << 10ll << int(Verdict::StartOver);
    QTest::newRow("206 of unknown whole starts over")
        << part + "Content-Range: bytes 4-9/*" << 10ll << int(Verdict::StartOver);
    QTest::newRow("206 of another ETag starts over")
        << part + "Content-Range: bytes 4-9/10\r\nETag: \"v2\"" << 10ll << int(Verdict::StartOver);
    QTest::newRow("206 whose length disagrees starts over")
        << part + "Content-Range: bytes 4-9/10\r\nContent-Length: 5" << 10ll
        << int(Verdict::StartOver);
    QTest::newRow("206 of many parts starts over")
        << part + "Content-Type: multipart/byteranges; boundary=x" << 10ll
        << int(Verdict::StartOver);
    QTest::newRow("206 in other units starts over")
        << part + "Content-Range: items 4-9/10" << 10ll << int(Verdict::StartOver);
    QTest::newRow("200 restarts") << QByteArray("HTTP/1.0 200 OK\r\nETag: \"v1\"") << 10ll
                                  << int(Verdict::Restart);
    QTest::newRow("416 starts over")
        << QByteArray("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */3") << 10ll
        << int(Verdict::StartOver);
    QTest::newRow("503 keeps the part aside")
        << QByteArray("HTTP/1.1 503 Service Unavailable") << 10ll << int(Verdict::Aside);
    QTest::newRow("302 keeps the part aside")
        << QByteArray("HTTP/1.1 302 Found\r\nLocation: /x") << 10ll << int(Verdict::Aside);
}

void tst_ResumePoint::verdict()
{
    QFETCH(QByteArray, response);
    QFETCH(qint64, total);
    QFETCH(int, verdict);
    const ResumePoint point{4, "\"v1\"", total};
    QCOMPARE(int(point.verdict(head(response))), verdict);
}

void tst_ResumePoint::validatorAndUse_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<qint64>("held");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QByteArray>("validator");
    QTest::addColumn<bool>("usable");
    const QByteArray date = "Last-Modified: Mon, 16 Jun 2014 00:00:00 GMT";
    QTest::newRow("strong ETag before the date") << "HTTP/1.0 200 OK\r\nETag: \"a\"\r\n" + date
                                                 << 4ll << 10ll << QByteArray("\"a\"") << true;
    QTest::newRow("weak ETag: the date")
        << "HTTP/1.0 200 OK\r\nETag: W/\"a\"\r\n" + date << 4ll << 10ll
        << QByteArray("Mon, 16 Jun 2014 00:00:00 GMT") << true;
    QTest::newRow("no validator: start over")
        << QByteArray("HTTP/1.0 200 OK\r\nETag: W/\"a\"") << 4ll << 10ll << QByteArray() << false;
    QTest::newRow("length never known: start over") << QByteArray("HTTP/1.0 200 OK\r\nETag: \"a\"")
                                                    << 4ll << -1ll << QByteArray("\"a\"") << false;
    QTest::newRow("nothing held yet") << QByteArray("HTTP/1.0 200 OK\r\nETag: \"a\"") << 0ll << 10ll
                                      << QByteArray("\"a\"") << false;
    QTest::newRow("all held already") << QByteArray("HTTP/1.0 200 OK\r\nETag: \"a\"") << 10ll
                                      << 10ll << QByteArray("\"a\"") << false;
    QTest::newRow("control byte in the ETag") << QByteArray("HTTP/1.0 200 OK\r\nETag: \"a\x01\"")
                                              << 4ll << 10ll << QByteArray("\"a\x01\"") << false;
}

void tst_ResumePoint::validatorAndUse()
{
    QFETCH(QByteArray, response);
    QFETCH(qint64, held);
    QFETCH(qint64, total);
    QFETCH(QByteArray, validator);
    QFETCH(bool, usable);
    QCOMPARE(ResumePoint::validatorOf(head(response)), validator);
    QCOMPARE((ResumePoint{held, validator, total}.usable()), usable);
}

void tst_ResumePoint::retryAfter_data()
{
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<qint64>("ms"); // -1: none
    QTest::newRow("seconds") << QByteArray("Retry-After: 7") << 7000ll;
    QTest::newRow("zero") << QByteArray("Retry-After: 0") << 0ll;
    QTest::newRow("bounded") << QByteArray("Retry-After: 3600") << RetryAfter::MaxMs;
    QTest::newRow("endless digits bounded")
        << QByteArray("Retry-After: 99999999999999999999999") << RetryAfter::MaxMs;
    QTest::newRow("negative") << QByteArray("Retry-After: -5") << -1ll;
    QTest::newRow("fraction") << QByteArray("Retry-After: 1.5") << -1ll;
    QTest::newRow("none") << QByteArray("X: 1") << -1ll;
    QTest::newRow("date from the server's own clock")
        << QByteArray("Date: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                      "Retry-After: Sun, 06 Nov 1994 08:50:07 GMT")
        << 30000ll;
    QTest::newRow("date from now, without Date")
        << QByteArray("Retry-After: Sun, 06 Nov 1994 08:49:52 GMT") << 15000ll;
    QTest::newRow("date gone by") << QByteArray("Retry-After: Sun, 06 Nov 1994 08:00:00 GMT")
                                  << 0ll;
    QTest::newRow("date far ahead bounded")
        << QByteArray("Retry-After: Mon, 07 Nov 1994 08:49:37 GMT") << RetryAfter::MaxMs;
    QTest::newRow("RFC 850 date") << QByteArray("Retry-After: Sunday, 06-Nov-94 08:49:47 GMT")
                                  << 10000ll;
    QTest::newRow("asctime date") << QByteArray("Retry-After: Sun Nov  6 08:49:42 1994") << 5000ll;
    QTest::newRow("no such day") << QByteArray("Retry-After: Sun, 31 Nov 1994 08:49:42 GMT")
                                 << -1ll;
    QTest::newRow("not GMT") << QByteArray("Retry-After: Sun, 06 Nov 1994 08:49:42 CET") << -1ll;
}

void tst_ResumePoint::retryAfter()
{
    QFETCH(QByteArray, headers);
    QFETCH(qint64, ms);
    const QDateTime now(QDate(1994, 11, 6), QTime(8, 49, 37), Qt::UTC);
    QCOMPARE(RetryAfter::delayMs(head("HTTP/1.1 503 x\r\n" + headers), now).value_or(-1), ms);
}

QTEST_APPLESS_MAIN(tst_ResumePoint)
#include "tst_resumepoint.moc"
