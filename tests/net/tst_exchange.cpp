// The engine's answers to what a run needs for a retry: resuming a body, why an
// attempt fell short, the slow-body floor, connections opened ahead.
#include "connectahead.h"
#include "exchange.h"
#include "httpsession.h"
#include "receivebuffer.h"
#include "scriptedserver.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;
using Reply = ScriptedServer::Reply;
using Setback = ResponseSummary::Setback;

class tst_Exchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resume_data();
    void resume();
    void setbacks_data();
    void setbacks();
    void connectAhead_data();
    void connectAhead();
    void bodyProgress_data();
    void bodyProgress();
};

namespace {

const QByteArray whole = "HTTP/1.0 200 OK\r\nContent-Length: 10\r\nETag: \"v1\"\r\n\r\n0123456789";

QByteArray rest(const QByteArray &range, const QByteArray &etag = "\"v1\"")
{
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + range + "\r\n" +
           (etag.isEmpty() ? QByteArray() : "ETag: " + etag + "\r\n") + "\r\n56789";
}

struct Run
{
    HttpSession session;
    Exchange exchange{&session};
    ReceiveBuffer sink;

    // Waits for the one finished() of a start.
    bool fetch(const QString &url, const ResumePoint &resume = {})
    {
        QSignalSpy finished(&exchange, &Exchange::finished);
        exchange.start({url, 1, {}, false}, &sink, ResponseReader::Keep::BodyOnly,
                       Exchange::Start::Now, resume);
        // A start at once may end inside the call: Windows refuses a connection there.
        return (!finished.isEmpty() || finished.wait(10000)) && finished.size() == 1;
    }
};

} // namespace

void tst_Exchange::resume_data()
{
    QTest::addColumn<QByteArray>("validator");
    QTest::addColumn<QList<Reply>>("replies");
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<bool>("ranged"); // the first request asked for the rest
    QTest::addColumn<int>("trouble");

    const auto once = [](const QByteArray &bytes) { return ScriptedServer::respond(bytes); };
    QTest::newRow("matching 206 appends")
        << QByteArray("\"v1\"") << QList<Reply>{once(rest("5-9/10"))} << QByteArray("0123456789")
        << true << int(Setback::None);
    QTest::newRow("206 naming no validator appends")
        << QByteArray("\"v1\"") << QList<Reply>{once(rest("5-9/10", {}))}
        << QByteArray("0123456789") << true << int(Setback::None);
    QTest::newRow("200 starts the sink over")
        << QByteArray("\"v1\"") << QList<Reply>{once(whole)} << QByteArray("0123456789") << true
        << int(Setback::None);
    QTest::newRow("mismatched Content-Range asks again from zero")
        << QByteArray("\"v1\"") << QList<Reply>{once(rest("4-9/10")), once(whole)}
        << QByteArray("0123456789") << true << int(Setback::None);
    QTest::newRow("changed validator asks again from zero")
        << QByteArray("\"v1\"") << QList<Reply>{once(rest("5-9/10", "\"v2\"")), once(whole)}
        << QByteArray("0123456789") << true << int(Setback::None);
    QTest::newRow("503 keeps the part")
        << QByteArray("\"v1\"")
        << QList<Reply>{once("HTTP/1.1 503 Busy\r\nRetry-After: 3\r\n\r\nwait")}
        << QByteArray("01234") << true << int(Setback::Throttled);
    QTest::newRow("no validator: no Range on a first request")
        << QByteArray() << QList<Reply>{once(whole)} << QByteArray("0123456789") << false
        << int(Setback::None);
}

void tst_Exchange::resume()
{
    QFETCH(QByteArray, validator);
    QFETCH(QList<Reply>, replies);
    QFETCH(QByteArray, kept);
    QFETCH(bool, ranged);
    QFETCH(int, trouble);
    ScriptedServer server(replies);
    Run run;
    run.sink.write("01234");
    QVERIFY(run.fetch(server.url(u"/s.mp3"_s), {5, validator, 10}));

    const ResponseSummary &summary = run.exchange.summary();
    QCOMPARE(run.sink.bytes(), kept);
    QCOMPARE(summary.Kept, kept.size());
    QCOMPARE(summary.TotalLength, 10); // what the next resume needs
    QCOMPARE(summary.Validator, QByteArray("\"v1\""));
    QCOMPARE(int(summary.Trouble), trouble);
    QCOMPARE(server.connections(), replies.size());
    QCOMPARE(server.requests().first().contains("\r\nRange: bytes=5-\r\nIf-Range: \"v1\"\r\n"),
             ranged);
    // Asked again from zero, the request is a first one.
    QVERIFY(!server.requests().last().contains("Range:") || replies.size() == 1);
    if (trouble == int(Setback::None))
        QVERIFY(summary.whole());
    else
        QCOMPARE(summary.RetryAfterMs, 3000);
}

void tst_Exchange::setbacks_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<bool>("refused"); // no server at all
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("trouble");
    QTest::addColumn<qint64>("kept"); // -1: some, fewer than 20
    QTest::addColumn<qint64>("total");

    const auto head = [](int length) {
        return "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(length) +
               "\r\nETag: \"v1\"\r\n\r\n";
    };
    Reply closedAtOnce;
    closedAtOnce.CloseAtOnce = true;
    // The floor is 50 bytes in 400 ms: 1 byte each 40 ms is below, 20 above.
    Reply trickle{{{head(20), 0}}, ScriptedServer::Ending::StayOpen};
    Reply steady{{{head(240), 0}}, ScriptedServer::Ending::Close};
    for (int i = 0; i < 20; ++i)
        trickle.Parts.append({"x", 40});
    for (int i = 0; i < 12; ++i)
        steady.Parts.append({QByteArray(20, 'x'), 40});

    const int noAnswer = int(Exchange::Failure::NoAnswer), none = int(Exchange::Failure::None);
    QTest::newRow("refused") << Reply() << true << noAnswer << int(Setback::Refused) << 0ll << -1ll;
    QTest::newRow("closed unanswered")
        << closedAtOnce << false << noAnswer << int(Setback::Refused) << 0ll << -1ll;
    QTest::newRow("connected, no first byte: busy")
        << ScriptedServer::silent() << false << noAnswer << int(Setback::Busy) << 0ll << -1ll;
    QTest::newRow("reset mid-body: broken")
        << Reply{{{head(10) + "01234", 0}}, ScriptedServer::Ending::Reset} << false << none
        << int(Setback::Broken) << 5ll << 10ll;
    QTest::newRow("closed short: broken")
        << Reply{{{head(10) + "012", 0}}, ScriptedServer::Ending::Close} << false << none
        << int(Setback::Broken) << 3ll << 10ll;
    QTest::newRow("no byte for the idle time: stalled")
        << Reply{{{head(10) + "01", 0}}, ScriptedServer::Ending::StayOpen} << false
        << int(Exchange::Failure::Stalled) << int(Setback::Stalled) << 2ll << 10ll;
    QTest::newRow("slower than the floor: stalled")
        << trickle << false << int(Exchange::Failure::TooSlow) << int(Setback::Stalled) << -1ll
        << 20ll;
    QTest::newRow("above the floor for longer than its time: whole")
        << steady << false << none << int(Setback::None) << 240ll << 240ll;
    QTest::newRow("429 with a date")
        << ScriptedServer::respond("HTTP/1.1 429 Slow\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                                   "Retry-After: Sun, 06 Nov 1994 08:49:39 GMT\r\n\r\n")
        << false << none << int(Setback::Throttled) << 0ll << -1ll;
}

void tst_Exchange::setbacks()
{
    QFETCH(Reply, reply);
    QFETCH(bool, refused);
    QFETCH(int, failure);
    QFETCH(int, trouble);
    QFETCH(qint64, kept);
    QFETCH(qint64, total);
    ScriptedServer server({reply});
    QString url = server.url(u"/s.mp3"_s);
    if (refused) {
        QTcpServer probe; // a port nobody listens on once it goes
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        url = u"http://127.0.0.1:%1/s.mp3"_s.arg(probe.serverPort());
    }
    Run run;
    run.exchange.setTimings({150, 300, 10, 0, 1, 50, 400});
    QVERIFY(run.fetch(url));

    const ResponseSummary &summary = run.exchange.summary();
    QCOMPARE(int(run.exchange.failure()), failure);
    QCOMPARE(int(summary.Trouble), trouble);
    if (kept >= 0)
        QCOMPARE(summary.Kept, kept);
    else // cut by the floor, long before the idle time could end it
        QVERIFY2(summary.Kept > 0 && summary.Kept < 20, qPrintable(QString::number(summary.Kept)));
    QCOMPARE(summary.TotalLength, total);
    QCOMPARE(summary.Validator, QByteArray(total > 0 ? "\"v1\"" : ""));
    QCOMPARE(summary.RetryAfterMs, trouble == int(Setback::Throttled) ? 2000 : -1);
}

void tst_Exchange::connectAhead_data()
{
    QTest::addColumn<int>("expiryMs");
    QTest::addColumn<bool>("serverCloses");
    QTest::addColumn<int>("connections");
    QTest::newRow("handed to the request") << 10000 << false << 1;
    QTest::newRow("expired: a connection of its own") << 100 << false << 2;
    QTest::newRow("closed by the server: a connection of its own") << 10000 << true << 2;
}

void tst_Exchange::connectAhead()
{
    QFETCH(int, expiryMs);
    QFETCH(bool, serverCloses);
    QFETCH(int, connections);
    Reply closes;
    closes.CloseAtOnce = true;
    ScriptedServer server({serverCloses ? closes : ScriptedServer::respond(whole),
                           ScriptedServer::respond(whole), ScriptedServer::respond(whole)});
    const QString url = server.url(u"/s.mp3"_s);
    Run ahead;
    ConnectAhead pool(&ahead.session);
    pool.setLimits({1, 8, expiryMs});
    QVERIFY(pool.prepare(url));
    QVERIFY(!pool.prepare(url)); // one per server
    QTRY_VERIFY(pool.ready(url) == 1 || pool.held(url) == 0);
    if (expiryMs < 1000 || serverCloses)
        QTRY_COMPARE(pool.held(url), 0);
    ahead.exchange.useConnectAhead(&pool);
    QVERIFY(ahead.fetch(url));
    QVERIFY(ahead.exchange.summary().whole());
    QCOMPARE(pool.held(url), 0);
    QCOMPARE(server.connections(), connections);

    // Byte for byte what a connection of its own carries.
    Run own;
    QVERIFY(own.fetch(url));
    QCOMPARE(server.requests().at(connections - 1), server.requests().last());
    QCOMPARE(server.requests().size(), connections + 1);
}

void tst_Exchange::bodyProgress_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("resumed");
    QTest::addColumn<qint64>("length");

    QTest::newRow("length known") << whole << false << qint64(10);
    QTest::newRow("no length: the bytes alone")
        << QByteArray("HTTP/1.0 200 OK\r\n\r\n0123456789") << false << qint64(-1);
    QTest::newRow("chunked: the body, not its framing")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                      "5\r\n01234\r\n5\r\n56789\r\n0\r\n\r\n")
        << false << qint64(-1);
    QTest::newRow("resumed: with what was held") << rest("5-9/10") << true << qint64(10);
}

void tst_Exchange::bodyProgress()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, resumed);
    QFETCH(qint64, length);
    ScriptedServer server({ScriptedServer::respond(reply)});
    Run run;
    QSignalSpy told(&run.exchange, &Exchange::bodyProgress);
    if (resumed)
        run.sink.write("01234");
    QVERIFY(
        run.fetch(server.url(u"/s.mp3"_s), resumed ? ResumePoint{5, "\"v1\"", 10} : ResumePoint()));
    QVERIFY(!told.isEmpty());
    QCOMPARE(told.last().at(0).toLongLong(), 10);
    QCOMPARE(told.last().at(1).toLongLong(), length);
}

QTEST_GUILESS_MAIN(tst_Exchange)
#include "tst_exchange.moc"
