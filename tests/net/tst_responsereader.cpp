#include "loadprogress.h"
#include "receivebuffer.h"
#include "responsereader.h"
#include "responsesummary.h"

#include <QTest>

using End = ResponseSummary::End;
using Keep = ResponseReader::Keep;

class tst_ResponseReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void percent_data();
    void percent();
    void splitAtEveryPoint_data();
    void splitAtEveryPoint();
    void wholeBody_data();
    void wholeBody();
    void markerCutByAnArrival();
    void markerAfterTheEnd_data();
    void markerAfterTheEnd();
    void chunkSizeLimits_data();
    void chunkSizeLimits();
    void bodyWithoutHeadRefused();
    void sinkRefusalFailsTheFeed();
};

namespace {

struct Read
{
    ReceiveBuffer sink;
    ResponseReader reader;
    bool fed = true;

    Read(Keep keep, QList<QByteArrayView> pieces) : reader(&sink, keep)
    {
        for (const QByteArrayView piece : pieces)
            fed = fed && reader.feed(piece);
        reader.finishHead();
    }
};

const QByteArray chunkedSong = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                               "5;name=v\r\nhello\r\n"
                               "19 \r\n, chunked bodies are fine\r\n"
                               "0\r\nX-Trailer: t\r\n\r\n";

} // namespace

void tst_ResponseReader::percent_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<int>("percent");

    QTest::newRow("quotient first, then times 100") << qint64(29) << qint64(100) << 28;
    QTest::newRow("all of it") << qint64(100) << qint64(100) << 100;
    QTest::newRow("headers push it past 100") << qint64(1200) << qint64(1000) << 120;
    QTest::newRow("capped at 16 bits") << qint64(400) << qint64(1) << 32767;
    QTest::newRow("huge, capped") << (qint64(1) << 40) << qint64(3) << 32767;
    QTest::newRow("length beyond 32 bits") << qint64(1000) << Q_INT64_C(5000000000) << 0;
}

void tst_ResponseReader::percent()
{
    QFETCH(qint64, received);
    QFETCH(qint64, length);
    QFETCH(int, percent);
    QCOMPARE(LoadProgress::percent(received, length), qint16(percent));
}

void tst_ResponseReader::splitAtEveryPoint_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("declared length") << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 12\r\n\r\n"
                                                   "twelve bytes")
                                     << QByteArray("twelve bytes");
    QTest::newRow("chunked, extension, trailer")
        << chunkedSong << QByteArray("hello, chunked bodies are fine");
}

void tst_ResponseReader::splitAtEveryPoint()
{
    QFETCH(QByteArray, response);
    QFETCH(QByteArray, body);
    const QByteArrayView all(response);
    const qsizetype headSize = response.indexOf("\r\n\r\n") + 4;
    for (qsizetype cut = 1; cut < response.size(); ++cut) {
        const QList<QByteArrayView> pieces{all.first(cut), all.sliced(cut)};
        Read whole(Keep::WholeResponse, pieces);
        Read alone(Keep::BodyOnly, pieces);
        QVERIFY2(alone.fed && whole.fed, qPrintable(QString::number(cut)));
        QCOMPARE(alone.sink.bytes(), body);
        QCOMPARE(whole.sink.bytes(), response.left(headSize) + body);
        QVERIFY(alone.reader.complete());
        QCOMPARE(ResponseSummary::of(alone.reader, End::Orderly).whole(), true);
    }
    // Byte by byte, too.
    QList<QByteArrayView> bytes;
    for (qsizetype i = 0; i < response.size(); ++i)
        bytes.append(all.sliced(i, 1));
    Read alone(Keep::BodyOnly, bytes);
    QCOMPARE(alone.sink.bytes(), body);
    QVERIFY(alone.reader.complete());
}

void tst_ResponseReader::wholeBody_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<int>("ended");
    QTest::addColumn<bool>("whole");

    const int orderly = int(End::Orderly);
    const int reset = int(End::Reset);
    const QByteArray ok = "HTTP/1.0 200 OK\r\n";
    QTest::newRow("length, all there") << ok + "Content-Length: 3\r\n\r\nabc" << reset << true;
    QTest::newRow("length, bytes past it ignored")
        << ok + "Content-Length: 3\r\n\r\nabcdef" << orderly << true;
    QTest::newRow("length, cut short") << ok + "Content-Length: 9\r\n\r\nabc" << orderly << false;
    QTest::newRow("lower-case name, no blank")
        << ok + "content-length:3\r\n\r\nabc" << reset << true;
    QTest::newRow("no length, orderly close") << ok + "\r\nabc" << orderly << true;
    QTest::newRow("no length, reset") << ok + "\r\nabc" << reset << false;
    QTest::newRow("no length, close of unknown kind")
        << ok + "\r\nabc" << int(End::Unknown) << false;
    QTest::newRow("two lengths that agree")
        << ok + "Content-Length: 3\r\nContent-Length: 3\r\n\r\nabc" << orderly << true;
    QTest::newRow("two lengths that differ")
        << ok + "Content-Length: 3\r\nContent-Length: 4\r\n\r\nabc" << orderly << false;
    QTest::newRow("negative length") << ok + "Content-Length: -3\r\n\r\nabc" << orderly << false;
    QTest::newRow("length beyond 64 bits")
        << ok + "Content-Length: 99999999999999999999\r\n\r\nabc" << orderly << false;
    QTest::newRow("length with text after it")
        << ok + "Content-Length: 3abc\r\n\r\nabc" << orderly << false;
    QTest::newRow("chunked, last chunk read") << chunkedSong << reset << true;
    QTest::newRow("chunked, cut") << chunkedSong.left(chunkedSong.size() - 20) << orderly << false;
    QTest::newRow("chunked, broken size line")
        << ok + "Transfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n0\r\n\r\n"
        << orderly << false;
    QTest::newRow("chunked wins over a length")
        << ok + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n"
        << orderly << true;
    QTest::newRow("other transfer coding")
        << ok + "Transfer-Encoding: gzip\r\n\r\nabc" << orderly << false;
    QTest::newRow("gzip, then identity")
        << ok + "Transfer-Encoding: gzip\r\nTransfer-Encoding: identity\r\n\r\nabc" << orderly
        << false;
    QTest::newRow("chunk data not followed by CR LF")
        << ok + "Transfer-Encoding: chunked\r\n\r\n3\r\nabcX\n0\r\n\r\n"
        << orderly << false;
    QTest::newRow("content coded")
        << ok + "Content-Encoding: gzip\r\nContent-Length: 3\r\n\r\nabc" << orderly << false;
    QTest::newRow("identity coding")
        << ok + "Content-Encoding: identity\r\n\r\nabc" << orderly << true;
    QTest::newRow("head never ended") << ok + "Content-Length: 3\r\n" << orderly << false;
    QTest::newRow("a part nobody asked for")
        << QByteArray("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-2/9\r\n"
                      "Content-Length: 3\r\n\r\nabc")
        << orderly << false;
}

void tst_ResponseReader::wholeBody()
{
    QFETCH(QByteArray, response);
    QFETCH(int, ended);
    QFETCH(bool, whole);
    Read read(Keep::BodyOnly, {response});
    QCOMPARE(ResponseSummary::of(read.reader, End(ended)).whole(), whole);
    // Never framing in what is kept.
    QVERIFY(!read.sink.bytes().contains("\r\n"));
}

void tst_ResponseReader::markerCutByAnArrival()
{
    const QByteArray response = "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(100, 'x') + "303 See Other";
    for (qsizetype cut = 1; cut < response.size(); ++cut) {
        Read read(Keep::BodyOnly,
                  {QByteArrayView(response).first(cut), QByteArrayView(response).sliced(cut)});
        QVERIFY2(read.reader.redirectMarkerSeen(), qPrintable(QString::number(cut)));
    }
    Read cutShort(Keep::BodyOnly, {QByteArrayView(response).chopped(1)});
    QVERIFY(!cutShort.reader.redirectMarkerSeen());
}

void tst_ResponseReader::markerAfterTheEnd_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<bool>("redirect");

    QTest::newRow("after the declared length ignored")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok302 Found") << false;
    QTest::newRow("after the last chunk ignored")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                      "2\r\nok\r\n0\r\n\r\n303 See Other")
        << false;
    QTest::newRow("in the last bytes of the declared length")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 11\r\n\r\nok302 Found") << true;
    QTest::newRow("after broken chunk framing counts")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                      "zz\r\n302 Found")
        << true;
}

void tst_ResponseReader::markerAfterTheEnd()
{
    QFETCH(QByteArray, response);
    QFETCH(bool, redirect);
    // However the bytes arrive: whole, or cut anywhere.
    const QByteArrayView all(response);
    QCOMPARE(Read(Keep::WholeResponse, {all}).reader.redirectMarkerSeen(), redirect);
    for (qsizetype cut = 1; cut < response.size(); ++cut) {
        Read read(Keep::WholeResponse, {all.first(cut), all.sliced(cut)});
        QVERIFY2(read.reader.redirectMarkerSeen() == redirect, qPrintable(QString::number(cut)));
    }
}

void tst_ResponseReader::chunkSizeLimits_data()
{
    QTest::addColumn<QByteArray>("sizeLine");
    QTest::addColumn<bool>("broken");

    QTest::newRow("2^60 taken") << QByteArray("1000000000000000") << false;
    QTest::newRow("2^60 + 1 refused") << QByteArray("1000000000000001") << true;
    QTest::newRow("leading zeros taken") << QByteArray("00000000000000000000003") << false;
    // The 16th digit would carry the size past 64 bits.
    QTest::newRow("16 digits beyond 2^64 refused") << QByteArray("fffffffffffffff0") << true;
    QTest::newRow("17 digits refused") << QByteArray("ffffffffffffffff0") << true;
    QTest::newRow("5000-character size line refused") << QByteArray(4999, '0') + "3" << true;
}

void tst_ResponseReader::chunkSizeLimits()
{
    QFETCH(QByteArray, sizeLine);
    QFETCH(bool, broken);
    const QByteArray response =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + sizeLine + "\r\nabc";
    Read read(Keep::BodyOnly, {response});
    QCOMPARE(read.reader.framingBroken(), broken);
    QCOMPARE(read.sink.bytes(), broken ? QByteArray() : QByteArray("abc"));
    QCOMPARE(read.reader.bodySize(), read.sink.size());
}

void tst_ResponseReader::bodyWithoutHeadRefused()
{
    const QByteArray junk(ResponseReader::MaxHead + 10, 'j');
    Read alone(Keep::BodyOnly, {junk});
    QVERIFY(!alone.fed);
    QVERIFY(alone.sink.bytes().isEmpty());
    // Held whole, it is kept as it came.
    Read whole(Keep::WholeResponse, {junk.left(100), junk.mid(100)});
    QVERIFY(whole.fed);
    QCOMPARE(whole.sink.bytes(), junk);
}

void tst_ResponseReader::sinkRefusalFailsTheFeed()
{
    ReceiveBuffer sink(10);
    ResponseReader reader(&sink, Keep::BodyOnly);
    QVERIFY(reader.feed("HTTP/1.0 200 OK\r\n\r\n0123456789"));
    QVERIFY(!reader.feed("x"));
    QCOMPARE(sink.size(), 10);
}

QTEST_APPLESS_MAIN(tst_ResponseReader)
#include "tst_responsereader.moc"
