#include "loadprogress.h"

#include <QTest>

class tst_LoadProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void percentIsTakenAfterMultiplying();
    void headerSplitAtEveryPoint();
    void bodyWithHeadersRunsPast100();
    void noLengthNoPercent();
    void zeroLengthNeverGivesPercent();
    void lengthBeyond32Bits();
    void percentStaysWithin16Bits();
    void parseLength_data();
    void parseLength();
};

void tst_LoadProgress::percentIsTakenAfterMultiplying()
{
    QCOMPARE(LoadProgress::percent(29, 100), qint16(28));
    QCOMPARE(LoadProgress::percent(100, 100), qint16(100));
    QCOMPARE(LoadProgress::percent(0, 100), qint16(0));
}

void tst_LoadProgress::headerSplitAtEveryPoint()
{
    const QByteArray response = "HTTP/1.0 200 OK\r\nContent-Length: 1234\r\n\r\n";
    for (qsizetype cut = 1; cut < response.size(); ++cut) {
        LoadProgress progress;
        const std::optional<qint16> first = progress.update(QByteArrayView(response).first(cut));
        const std::optional<qint16> second = progress.update(response);
        QVERIFY2(!first || cut >= response.indexOf("\r\n\r\n"), qPrintable(QString::number(cut)));
        QCOMPARE(progress.contentLength(), 1234);
        QCOMPARE(second, LoadProgress::percent(response.size(), 1234));
    }
}

void tst_LoadProgress::bodyWithHeadersRunsPast100()
{
    QByteArray headers = "HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n";
    headers += "X-Pad: " + QByteArray(200 - headers.size() - 11, 'p') + "\r\n\r\n";
    QCOMPARE(headers.size(), 200);
    const QByteArray response = headers + QByteArray(1000, 'b');
    LoadProgress progress;
    QList<qint16> seen;
    for (qsizetype end = 100; end <= response.size(); end += 100) {
        if (const std::optional<qint16> p = progress.update(QByteArrayView(response).first(end)))
            seen.append(*p);
    }
    QCOMPARE(seen.first(), qint16(10));
    QCOMPARE(seen.last(), qint16(120));
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
}

void tst_LoadProgress::noLengthNoPercent()
{
    QByteArray response = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    LoadProgress progress;
    for (int i = 0; i < 50; ++i) {
        response += QByteArray(1000, 'x') + "Content-Length"; // name without ": " in the body
        QVERIFY(!progress.update(response));
    }
    QCOMPARE(progress.contentLength(), 0);
}

void tst_LoadProgress::zeroLengthNeverGivesPercent()
{
    LoadProgress progress;
    QByteArray response = "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n";
    QVERIFY(!progress.update(response));
    // A later header in the body does not count: the first one was read.
    response += "Content-Length: 10\r\n";
    QVERIFY(!progress.update(response));
    QCOMPARE(progress.contentLength(), 0);
}

void tst_LoadProgress::lengthBeyond32Bits()
{
    LoadProgress progress;
    const std::optional<qint16> p =
        progress.update("HTTP/1.0 200 OK\r\nContent-Length: 5000000000\r\n\r\n");
    QCOMPARE(progress.contentLength(), Q_INT64_C(5000000000));
    QCOMPARE(p, qint16(0));
}

void tst_LoadProgress::percentStaysWithin16Bits()
{
    QCOMPARE(LoadProgress::percent(400, 1), qint16(32767));
    QCOMPARE(LoadProgress::percent(Q_INT64_C(1) << 40, 3), qint16(32767));
}

void tst_LoadProgress::parseLength_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("length");

    QTest::newRow("digits") << QByteArray("1234") << qint64(1234);
    QTest::newRow("trailing text") << QByteArray("12abc") << qint64(12);
    QTest::newRow("leading blanks") << QByteArray(" \t7") << qint64(7);
    QTest::newRow("no digits") << QByteArray("abc") << qint64(0);
    QTest::newRow("negative") << QByteArray("-5") << qint64(0);
    QTest::newRow("saturates") << QByteArray("99999999999999999999999")
                               << std::numeric_limits<qint64>::max();
    QTest::newRow("empty") << QByteArray() << qint64(0);
}

void tst_LoadProgress::parseLength()
{
    QFETCH(QByteArray, value);
    QFETCH(qint64, length);
    QCOMPARE(LoadProgress::parseLength(value), length);
}

QTEST_APPLESS_MAIN(tst_LoadProgress)
#include "tst_loadprogress.moc"
