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
    QTest::addColumn<QString>("key"); // empty: none
    QTest::newRow("Sa&ve") << u"Sa&ve"_s << u"v"_s;
    QTest::newRow("A&&B") << u"A&&B"_s << u""_s;
    QTest::newRow("A&&B&C") << u"A&&B&C"_s << u"c"_s;
    QTest::newRow("A&&B&&C&D: only the next ampersand counts") << u"A&&B&&C&D"_s << u""_s;
    QTest::newRow("A&&&B") << u"A&&&B"_s << u"b"_s;
    QTest::newRow("Save&") << u"Save&"_s << u""_s;
    QTest::newRow("A&&B&") << u"A&&B&"_s << u""_s;
    QTest::newRow("one character") << u"&"_s << u""_s;
    QTest::newRow("no ampersand") << u"Save"_s << u""_s;
    QTest::newRow("&S upper case") << u"&S"_s << u"s"_s;
    QTest::newRow("Cyrillic") << u"С&тарт"_s << u"т"_s;
}

void tst_ButtonLayout::accessKey()
{
    QFETCH(QString, caption);
    QFETCH(QString, key);
    const QChar got = AccessKey(caption);
    QCOMPARE(got.isNull() ? QString() : QString(got), key);
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
    QCOMPARE(WindowsKeyCode(Qt::Key_Space), 32);
    QCOMPARE(WindowsKeyCode(Qt::Key_V), 86);
    QCOMPARE(WindowsKeyCode(Qt::Key_Return), 13);
    QCOMPARE(WindowsKeyCode(Qt::Key_Left), 37);
    QCOMPARE(WindowsKeyCode(Qt::Key_F5), 116);
    QCOMPARE(WindowsKeyCode(Qt::Key_Eacute), 0);
}

QTEST_APPLESS_MAIN(tst_ButtonLayout)
#include "tst_buttonlayout.moc"
