#include "base64.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_Base64 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decode_data();
    void decode();
    void everyByteValue();
    void randomInputsMatchQt();
};

void tst_Base64::decode_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("expected");

    // RFC 4648, section 10.
    QTest::newRow("rfc empty") << u""_s << QByteArray();
    QTest::newRow("rfc f") << u"Zg=="_s << QByteArray("f");
    QTest::newRow("rfc fo") << u"Zm8="_s << QByteArray("fo");
    QTest::newRow("rfc foo") << u"Zm9v"_s << QByteArray("foo");
    QTest::newRow("rfc foob") << u"Zm9vYg=="_s << QByteArray("foob");
    QTest::newRow("rfc fooba") << u"Zm9vYmE="_s << QByteArray("fooba");
    QTest::newRow("rfc foobar") << u"Zm9vYmFy"_s << QByteArray("foobar");

    QTest::newRow("one char, no group") << u"Z"_s << QByteArray();
    QTest::newRow("three chars, no group") << u"Zm9"_s << QByteArray();
    QTest::newRow("leftover after a group is ignored") << u"Zm9vYg"_s << QByteArray("foo");
    QTest::newRow("padded group then more groups") << u"Zg==Zm9v"_s << QByteArray("ffoo");
    QTest::newRow("single pad then more") << u"Zm8=YmFy"_s << QByteArray("fobar");
    QTest::newRow("case matters") << u"QUJD"_s << QByteArray("ABC");
    QTest::newRow("lower case differs") << u"qujd"_s << QByteArray("\xaa\xe8\xdd");
    QTest::newRow("address") << u"aHR0cDovL2V4YW1wbGUuY29tL2Eu bXAz"_s
                             << QByteArray("http://example.com/a.mp3");
    QTest::newRow("line breaks skipped") << u"Zm9v\r\nYmFy"_s << QByteArray("foobar");
    QTest::newRow("cyrillic and symbols skipped")
        << u"Zm\u04169v!Ym\u00e9Fy"_s << QByteArray("foobar");
    QTest::newRow("character above 255 skipped") << u"Z\u4e2dm9v"_s << QByteArray("foo");
    // Padding in the first places is not special: it enters the arithmetic as 64.
    QTest::newRow("padding first") << u"=AAA"_s << QByteArray("\x00\x00\x00", 3);
    QTest::newRow("padding second") << u"A=AA"_s << QByteArray("\x04\x00\x00", 3);
    QTest::newRow("all padding") << u"===="_s << QByteArray("\x04");
}

void tst_Base64::decode()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(Base64Decode(input), expected);
    // Pages hand the address over as UTF-8 bytes.
    QCOMPARE(Base64Decode(QByteArrayView(input.toUtf8())), expected);
}

void tst_Base64::everyByteValue()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    for (int shift = 0; shift < 3; ++shift) {
        const QByteArray data = all.mid(shift);
        QCOMPARE(Base64Decode(QString::fromLatin1(data.toBase64())), data);
    }
}

void tst_Base64::randomInputsMatchQt()
{
    QRandomGenerator random(42);
    for (int i = 0; i < 500; ++i) {
        QByteArray data(int(random.bounded(64)), Qt::Uninitialized);
        for (char &c : data)
            c = char(random.bounded(256));
        const QString encoded = QString::fromLatin1(data.toBase64());
        QCOMPARE(Base64Decode(encoded), data);
    }
}

QTEST_GUILESS_MAIN(tst_Base64)
#include "tst_base64.moc"
