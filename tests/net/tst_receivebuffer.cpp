#include "receivebuffer.h"

#include <QTest>
#include <cstring>

class tst_ReceiveBuffer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytesSurviveEveryGrowth_data();
    void bytesSurviveEveryGrowth();
    void shortReadKeepsOnlyWhatCame();
    void growthStaysWithinTheLimit();
    void declaredSizeIsReservedAtOnce();
};

namespace {

// Writes total bytes of a position-dependent pattern in pieces of the given size.
QByteArray fill(ReceiveBuffer &buffer, qsizetype total, qsizetype piece)
{
    QByteArray expected;
    for (qsizetype at = 0; at < total; at += piece) {
        const qsizetype n = qMin(piece, total - at);
        char *room = buffer.prepare(n, qsizetype(1) << 30);
        for (qsizetype i = 0; i < n; ++i)
            room[i] = char((at + i) * 7 + (at + i) / 251);
        expected.append(room, n);
        buffer.commit(n);
    }
    return expected;
}

} // namespace

void tst_ReceiveBuffer::bytesSurviveEveryGrowth_data()
{
    QTest::addColumn<qsizetype>("total");
    QTest::addColumn<qsizetype>("piece");

    QTest::newRow("small page, tiny pieces") << qsizetype(5000) << qsizetype(3);
    QTest::newRow("past the large-block size") << qsizetype(20 << 20) << qsizetype(65536);
    QTest::newRow("large pieces") << qsizetype(60 << 20) << qsizetype(5 << 20);
}

void tst_ReceiveBuffer::bytesSurviveEveryGrowth()
{
    QFETCH(qsizetype, total);
    QFETCH(qsizetype, piece);
    ReceiveBuffer buffer;
    const QByteArray expected = fill(buffer, total, piece);
    QCOMPARE(buffer.size(), total);
    QVERIFY(buffer.bytes() == expected);
    const QByteArray taken = buffer.take();
    QVERIFY(taken == expected);
    QCOMPARE(buffer.size(), 0);
}

void tst_ReceiveBuffer::shortReadKeepsOnlyWhatCame()
{
    ReceiveBuffer buffer;
    std::memcpy(buffer.prepare(10, 1000), "abcdefghij", 10);
    buffer.commit(4);
    std::memcpy(buffer.prepare(3, 1000), "xyz", 3);
    buffer.commit(3);
    QCOMPARE(buffer.bytes(), QByteArray("abcdxyz"));
    buffer.prepare(5, 1000);
    buffer.commit(-1); // a failed read adds nothing
    QCOMPARE(buffer.bytes(), QByteArray("abcdxyz"));
}

void tst_ReceiveBuffer::growthStaysWithinTheLimit()
{
    ReceiveBuffer buffer;
    const qsizetype limit = qsizetype(10) << 20;
    for (int i = 0; i < 7; ++i) {
        buffer.prepare(1 << 20, limit);
        buffer.commit(1 << 20);
    }
    QVERIFY(buffer.bytes().capacity() <= limit);
    QCOMPARE(buffer.size(), qsizetype(7) << 20);
}

void tst_ReceiveBuffer::declaredSizeIsReservedAtOnce()
{
    ReceiveBuffer buffer;
    QVERIFY(buffer.reserve(qsizetype(30) << 20));
    buffer.prepare(100, qsizetype(1) << 30);
    const char *block = buffer.bytes().constData();
    for (int i = 0; i < 29; ++i) {
        buffer.prepare(1 << 20, qsizetype(1) << 30);
        buffer.commit(1 << 20);
    }
    QCOMPARE(buffer.bytes().constData(), block); // never moved
}

QTEST_APPLESS_MAIN(tst_ReceiveBuffer)
#include "tst_receivebuffer.moc"
