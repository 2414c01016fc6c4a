#include "ansicodec.h"
#include "textcodecs.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_TextCodecs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deUtf_data();
    void deUtf();
    void deUtfOfByteText();
    void toUtf_data();
    void toUtf();
    void urlEncode_data();
    void urlEncode();
    void urlEncodeHasNoLengthLimit();
};

void tst_TextCodecs::deUtf_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QString>("text");

    const QByteArray utf8Head = "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n";
    QTest::newRow("utf-8 declared") << utf8Head + "Привет" << Ansi::toText(utf8Head) + u"Привет"_s;
    QTest::newRow("lower-case utf-8 declared")
        << QByteArray("charset=utf-8 Ж") << u"charset=utf-8 Ж"_s;
    QTest::newRow("windows-1251 stays in the byte mapping")
        << QByteArray("Content-Type: text/html; charset=windows-1251\r\n\r\n\xcf\xf0\xe8")
        << u"Content-Type: text/html; charset=windows-1251\r\n\r\nПри"_s;
    QTest::newRow("other spelling not taken")
        << QByteArray("charset=Utf-8 \xd0\x96") << u"charset=Utf-8 "_s + Ansi::toText("\xd0\x96");
    QTest::newRow("octet-stream never decoded")
        << QByteArray("Content-Type: application/octet-stream\r\ncharset=UTF-8\r\n\r\n\xd0\x96")
        << u"Content-Type: application/octet-stream\r\ncharset=UTF-8\r\n\r\n"_s +
               Ansi::toText("\xd0\x96");
    QTest::newRow("zero byte does not cut the text")
        << QByteArray("charset=UTF-8\r\n\r\na\0b\xd0\x96", 22)
        << u"charset=UTF-8\r\n\r\na"_s + QChar(0) + u"bЖ"_s;
    QTest::newRow("invalid sequence replaced")
        << QByteArray("charset=UTF-8 \xff!") << u"charset=UTF-8 \ufffd!"_s;
    QTest::newRow("empty") << QByteArray() << QString();
}

void tst_TextCodecs::deUtf()
{
    QFETCH(QByteArray, response);
    QFETCH(QString, text);
    QCOMPARE(TextCodecs::DeUTF(response), text);
}

void tst_TextCodecs::deUtfOfByteText()
{
    const QByteArray response = "charset=utf-8\r\n\r\n\xd0\x9f\xd1\x80\xd0\xb8";
    QCOMPARE(TextCodecs::DeUTF(Ansi::toText(response)), u"charset=utf-8\r\n\r\nПри"_s);
    // Text that declares nothing comes back as it is, never narrowed to the code page.
    QCOMPARE(TextCodecs::DeUTF(u"café 中"_s), u"café 中"_s);
}

void tst_TextCodecs::toUtf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("utf8");

    QTest::newRow("cyrillic word of 5 letters") << u"Привет"_s.left(5) << QByteArray("Приве");
    QTest::newRow("ascii word") << u"hello"_s << QByteArray("hello");
    QTest::newRow("3-byte characters crowded")
        << u"€—…"_s << QByteArray("\xe2\x82\xac\xe2\x80\x94\xe2\x80\xa6");
    QTest::newRow("character outside windows-1251") << u"a中"_s << QByteArray("a?");
    QTest::newRow("empty") << u""_s << QByteArray();
}

void tst_TextCodecs::toUtf()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, utf8);
    const QString byteText = TextCodecs::ToUTF(text);
    QCOMPARE(Ansi::toBytes(byteText), utf8);
    QCOMPARE(byteText.size(), utf8.size());
}

void tst_TextCodecs::urlEncode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoded");

    QTest::newRow("blank is %20") << u"a b"_s << u"a%20b"_s;
    QTest::newRow("cyrillic capital A") << u"А"_s << u"%C0"_s;
    QTest::newRow("tab with leading zero") << u"\t"_s << u"%09"_s;
    QTest::newRow("kept characters") << u"abcXYZ019=-()&_./:"_s << u"abcXYZ019=-()&_./:"_s;
    QTest::newRow("encoded punctuation") << u"+?#%~;"_s << u"%2B%3F%23%25%7E%3B"_s;
    QTest::newRow("query string") << u"http://h/s?q=Я я"_s << u"http://h/s%3Fq=%DF%20%FF"_s;
    QTest::newRow("character outside windows-1251") << u"中"_s << u"%3F"_s;
    QTest::newRow("NUL") << QString(QChar(0)) << u"%00"_s;
    QTest::newRow("empty") << u""_s << u""_s;
}

void tst_TextCodecs::urlEncode()
{
    QFETCH(QString, text);
    QFETCH(QString, encoded);
    QCOMPARE(TextCodecs::URLEncode(text), encoded);
}

void tst_TextCodecs::urlEncodeHasNoLengthLimit()
{
    const QString text = QString(40000, u'Ж') + u'!';
    const QString encoded = TextCodecs::URLEncode(text);
    QCOMPARE(encoded.size(), 40000 * 3 + 3);
    QVERIFY(encoded.endsWith(u"%C6%21"_s));
}

QTEST_APPLESS_MAIN(tst_TextCodecs)
#include "tst_textcodecs.moc"
