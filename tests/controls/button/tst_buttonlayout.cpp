#include "accesskey.h"
#include "buttonlayout.h"
#include "eventcodes.h"
#include "shiftcolor.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(WinRect)

namespace QTest {
template<> char *toString(const WinRect &r)
{
    return qstrdup(QByteArray::number(r.left) + ", " + QByteArray::number(r.top) + ", " +
                   QByteArray::number(r.right) + ", " + QByteArray::number(r.bottom));
}
} // namespace QTest

class tst_ButtonLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void roundsHalvesToEven_data();
    void roundsHalvesToEven();
    void accessKey_data();
    void accessKey();
    void shiftColorClampsEachChannel();
    void eventCodes();
    void keyCodes_data();
    void keyCodes();
};

void tst_ButtonLayout::layout_data()
{
    QTest::addColumn<QSize>("button");
    QTest::addColumn<QString>("caption"); // non-empty: the caption block below is used
    QTest::addColumn<QSize>("block");
    QTest::addColumn<QSize>("picture"); // empty: no picture
    QTest::addColumn<int>("position");
    QTest::addColumn<WinRect>("captionRect");
    QTest::addColumn<WinRect>("pictureRect");

    const WinRect before{1, 2, 3, 4}; // what the previous layout left
    const QSize none;
    // Content of a 100 x 30 button: (4, 4, 96, 26); of a 100 x 60 one: (4, 4, 96, 56).
    QTest::newRow("no caption centres the picture")
        << QSize(100, 30) << u""_s << none << QSize(16, 16) << 1 << before
        << WinRect{42, 7, 58, 23};
    QTest::newRow("no caption, 42.5 rounds down to even")
        << QSize(100, 30) << u""_s << none << QSize(15, 16) << 1 << before
        << WinRect{42, 7, 57, 23};
    QTest::newRow("no caption, 43.5 rounds up to even")
        << QSize(100, 30) << u""_s << none << QSize(13, 16) << 1 << before
        << WinRect{44, 7, 57, 23};
    QTest::newRow("no caption, picture of 0 x 0")
        << QSize(100, 30) << u""_s << none << QSize(0, 0) << 1 << before << WinRect{50, 15, 50, 15};
    QTest::newRow("caption alone, 8.5 rounds to 8")
        << QSize(100, 30) << u"x"_s << QSize(40, 13) << none << 1 << WinRect{30, 8, 70, 21}
        << before;
    QTest::newRow("picture above") << QSize(100, 60) << u"x"_s << QSize(40, 13) << QSize(16, 16)
                                   << 0 << WinRect{30, 34, 70, 47} << WinRect{42, 14, 58, 30};
    QTest::newRow("picture left") << QSize(100, 30) << u"x"_s << QSize(40, 13) << QSize(16, 16) << 1
                                  << WinRect{40, 8, 80, 21} << WinRect{20, 7, 36, 23};
    QTest::newRow("picture right") << QSize(100, 30) << u"x"_s << QSize(40, 13) << QSize(16, 16)
                                   << 2 << WinRect{20, 8, 60, 21} << WinRect{64, 7, 80, 23};
    QTest::newRow("picture below") << QSize(100, 60) << u"x"_s << QSize(40, 13) << QSize(16, 16)
                                   << 3 << WinRect{30, 14, 70, 27} << WinRect{42, 31, 58, 47};
    QTest::newRow("unknown position centres the caption, picture stays")
        << QSize(100, 30) << u"x"_s << QSize(40, 13) << QSize(16, 16) << 7 << WinRect{30, 8, 70, 21}
        << before;
    QTest::newRow("group wider than the button")
        << QSize(20, 20) << u"x"_s << QSize(40, 13) << QSize(32, 32) << 1 << WinRect{8, 4, 48, 17}
        << WinRect{-28, -6, 4, 26};
    QTest::newRow("sums beyond 16 bits still lay out")
        << QSize(100, 30) << u"x"_s << QSize(3000, 13) << QSize(30000, 16) << 1
        << WinRect{13552, 8, 16552, 21} << WinRect{-16452, 7, 13548, 23};
}

void tst_ButtonLayout::layout()
{
    QFETCH(QSize, button);
    QFETCH(QString, caption);
    QFETCH(QSize, block);
    QFETCH(QSize, picture);
    QFETCH(int, position);
    QFETCH(WinRect, captionRect);
    QFETCH(WinRect, pictureRect);

    ButtonLayoutInput in;
    in.content = {4, 4, button.width() - 4, button.height() - 4};
    in.hasCaption = !caption.isEmpty();
    in.captionBlock = block;
    in.hasPicture = picture.isValid();
    in.picture = picture.isValid() ? picture : QSize(32, 32);
    in.position = position;
    const WinRect before{1, 2, 3, 4};
    const ButtonLayoutResult out = LayoutContent(in, {before, before});
    QCOMPARE(out.caption, captionRect);
    QCOMPARE(out.picture, pictureRect);
}

void tst_ButtonLayout::roundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("3.5") << 3.5 << 4;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("-7.5") << -7.5 << -8;
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.49") << 1.49 << 1;
    QTest::newRow("-1.51") << -1.51 << -2;
}

void tst_ButtonLayout::roundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

void tst_ButtonLayout::accessKey_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("key");     // empty: none
    QTest::addColumn<QString>("readsAs"); // what assistive tools read
    QTest::newRow("Sa&ve") << u"Sa&ve"_s << u"v"_s << u"Save"_s;
    QTest::newRow("A&&B") << u"A&&B"_s << u""_s << u"A&B"_s;
    QTest::newRow("A&&B&C") << u"A&&B&C"_s << u"c"_s << u"A&BC"_s;
    QTest::newRow("A&&B&&C&D: only the next ampersand counts")
        << u"A&&B&&C&D"_s << u""_s << u"A&B&CD"_s;
    QTest::newRow("A&&&B") << u"A&&&B"_s << u"b"_s << u"A&B"_s;
    QTest::newRow("Save&") << u"Save&"_s << u""_s << u"Save"_s;
    QTest::newRow("A&&B&") << u"A&&B&"_s << u""_s << u"A&B"_s;
    QTest::newRow("one character") << u"&"_s << u""_s << u""_s;
    QTest::newRow("no ampersand") << u"Save"_s << u""_s << u"Save"_s;
    QTest::newRow("&S upper case") << u"&S"_s << u"s"_s << u"S"_s;
    QTest::newRow("Cyrillic") << u"С&тарт"_s << u"т"_s << u"Старт"_s;
}

void tst_ButtonLayout::accessKey()
{
    QFETCH(QString, caption);
    QFETCH(QString, key);
    QFETCH(QString, readsAs);
    const QChar got = AccessKey(caption);
    QCOMPARE(got.isNull() ? QString() : QString(got), key);
    QCOMPARE(CaptionText(caption), readsAs);
}

void tst_ButtonLayout::shiftColorClampsEachChannel()
{
    QCOMPARE(ShiftColor(QColor(10, 128, 250), 48), QColor(58, 176, 255));
    QCOMPARE(ShiftColor(QColor(10, 128, 250), -40), QColor(0, 88, 210));
    QCOMPARE(ShiftColor(QColor(225, 153, 71), 90), QColor(255, 243, 161));
}

void tst_ButtonLayout::eventCodes()
{
    QCOMPARE(ShiftMask(Qt::ShiftModifier | Qt::AltModifier), 5);
    QCOMPARE(ShiftMask(Qt::ControlModifier | Qt::KeypadModifier), 2);
    QCOMPARE(ButtonMask(Qt::LeftButton | Qt::MiddleButton), 5);
    QCOMPARE(ButtonMask(Qt::RightButton | Qt::BackButton), 2);
}

void tst_ButtonLayout::keyCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<uint>("scanCode"); // XKB: evdev + 8
    QTest::addColumn<uint>("virtualKey");
    QTest::addColumn<int>("code");

    QTest::newRow("Space") << int(Qt::Key_Space) << false << 65u << 0u << 32;
    QTest::newRow("V") << int(Qt::Key_V) << false << 0u << 0u << 86;
    QTest::newRow("Return") << int(Qt::Key_Return) << false << 0u << 0u << 13;
    QTest::newRow("Left") << int(Qt::Key_Left) << false << 0u << 0u << 37;
    QTest::newRow("F5") << int(Qt::Key_F5) << false << 0u << 0u << 116;
    QTest::newRow("E acute, no key known") << int(Qt::Key_Eacute) << false << 0u << 0u << 0;
    QTest::newRow("Cyrillic ef on the A key") << 0x0424 << false << 38u << 0u << 65;
    QTest::newRow("Cyrillic ef, no scan code") << 0x0424 << false << 0u << 0u << 65;
    QTest::newRow("Cyrillic yu") << 0x042E << false << 0u << 0u << 190;
    QTest::newRow("minus") << int(Qt::Key_Minus) << false << 20u << 0u << 189;
    QTest::newRow("underscore: Shift and minus")
        << int(Qt::Key_Underscore) << false << 0u << 0u << 189;
    QTest::newRow("Russian full stop on the slash key")
        << int(Qt::Key_Period) << false << 61u << 0u << 191;
    QTest::newRow("numero sign on the 3 key") << 0x2116 << false << 12u << 0u << 51;
    QTest::newRow("key left of Z") << int(Qt::Key_Less) << false << 94u << 0u << 226;
    QTest::newRow("AZERTY A on the Q key") << int(Qt::Key_A) << false << 24u << 0u << 65;
    QTest::newRow("keypad minus") << int(Qt::Key_Minus) << true << 82u << 0u << 109;
    QTest::newRow("keypad Home") << int(Qt::Key_Home) << true << 79u << 0u << 36;
    QTest::newRow("keypad 5") << int(Qt::Key_5) << true << 84u << 0u << 101;
    // No letter of the layout tells the key; the first of its row by scan code does.
    QTest::newRow("A grave on the first key of a row")
        << int(Qt::Key_Agrave) << false << 38u << 0u << 65;
    QTest::newRow("Windows virtual key") << 0x0424 << false << 0u << 65u << 65;
}

void tst_ButtonLayout::keyCodes()
{
    QFETCH(int, key);
    QFETCH(bool, keypad);
    QFETCH(uint, scanCode);
    QFETCH(uint, virtualKey);
    QFETCH(int, code);
    QCOMPARE(WindowsKeyCode(key, KeyOrigin{keypad, scanCode, virtualKey}), code);
}

QTEST_APPLESS_MAIN(tst_ButtonLayout)
#include "tst_buttonlayout.moc"
