#include "receivebuffer.h"

#include <QTest>

class tst_ReceiveBuffer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytesSurviveEveryGrowth_data();
    void bytesSurviveEveryGrowth();
    void limitRefusesWithoutKeepingPart();
    void falseLengthReservesLittle();
};

void tst_ReceiveBuffer::bytesSurviveEveryGrowth_data()
{
    QTest::addColumn<qsizetype>("total");
    QTest::addColumn<qsizetype>("piece");

    QTest::newRow("small page, tiny pieces") << qsizetype(5000) << qsizetype(3);
    QTest::newRow("large pieces") << qsizetype(60 << 20) << qsizetype(5 << 20);
}

void tst_ReceiveBuffer::bytesSurviveEveryGrowth()
{
    QFETCH(qsizetype, total);
    QFETCH(qsizetype, piece);
    ReceiveBuffer buffer;
    QByteArray expected;
    for (qsizetype at = 0; at < total; at += piece) {
        QByteArray part(qMin(piece, total - at), Qt::Uninitialized);
        for (qsizetype i = 0; i < part.size(); ++i)
            part[i] = char((at + i) * 7 + (at + i) / 251);
        QVERIFY(buffer.write(part));
        expected += part;
    }
    QVERIFY(buffer.bytes() == expected);
    QVERIFY(buffer.take() == expected);
    QCOMPARE(buffer.size(), 0);
    QCOMPARE(buffer.bytes().capacity(), 0); // handed over, nothing kept
}

void tst_ReceiveBuffer::limitRefusesWithoutKeepingPart()
{
    ReceiveBuffer buffer(10);
    QVERIFY(buffer.write("0123456"));
    QVERIFY(!buffer.write("7890"));
    QCOMPARE(buffer.bytes(), QByteArray("0123456"));
    QVERIFY(buffer.restart());
    QVERIFY(buffer.write("0123456789"));
}

void tst_ReceiveBuffer::falseLengthReservesLittle()
{
    ReceiveBuffer buffer;
    buffer.expect(qint64(1) << 30);
    QVERIFY(buffer.bytes().capacity() <= ReceiveBuffer::HintCap);
    buffer.expect(1000);
    QVERIFY(buffer.bytes().capacity() >= 1000);
}

QTEST_APPLESS_MAIN(tst_ReceiveBuffer)
#include "tst_receivebuffer.moc"
