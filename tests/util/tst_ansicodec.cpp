#include "ansicodec.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_AnsiCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyByteSurvivesTheRoundTrip();
    void agreesWithIconv();
    void unknownCharactersBecomeQuestionMarks();
    void cyrillicWord();
};

void tst_AnsiCodec::everyByteSurvivesTheRoundTrip()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Ansi::toText(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(Ansi::toBytes(text), all);
    // No two bytes share a character.
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
}

void tst_AnsiCodec::agreesWithIconv()
{
    // iconv has no character for 0x98; we keep it as U+0098 to stay lossless.
    QByteArray bytes;
    for (int b = 1; b < 256; ++b) {
        if (b != 0x98)
            bytes.append(char(b));
    }
    QProcess iconv;
    iconv.start(u"iconv"_s, {u"-f"_s, u"WINDOWS-1251"_s, u"-t"_s, u"UTF-16LE"_s});
    if (!iconv.waitForStarted())
        QSKIP("iconv is not installed");
    iconv.write(bytes);
    iconv.closeWriteChannel();
    QVERIFY(iconv.waitForFinished());
    QCOMPARE(iconv.exitCode(), 0);
    const QByteArray utf16 = iconv.readAllStandardOutput();
    const QString expected(reinterpret_cast<const QChar *>(utf16.constData()), utf16.size() / 2);
    QCOMPARE(Ansi::toText(bytes), expected);
    QCOMPARE(Ansi::charForByte(0x98), char16_t(0x0098));
}

void tst_AnsiCodec::unknownCharactersBecomeQuestionMarks()
{
    QCOMPARE(Ansi::toBytes(u"a\u00e9b\u4e2d"), QByteArray("a?b?"));
}

void tst_AnsiCodec::cyrillicWord()
{
    QCOMPARE(Ansi::toBytes(u"Привет"), QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2"));
    QCOMPARE(Ansi::toText("\xc0\xff\xa8\xb8\x88\xb9"), u"АяЁё€№"_s);
}

QTEST_GUILESS_MAIN(tst_AnsiCodec)
#include "tst_ansicodec.moc"
