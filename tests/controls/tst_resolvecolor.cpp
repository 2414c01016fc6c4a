#include "resolvecolor.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_ResolveColor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plainValuesAreBGR_data();
    void plainValuesAreBGR();
    void systemColoursFollowThePalette_data();
    void systemColoursFollowThePalette();
    void unknownSystemIndexIsBlack();
};

void tst_ResolveColor::plainValuesAreBGR_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("red") << quint32(0x0000FF) << QColor(255, 0, 0);
    QTest::newRow("blue") << quint32(0xFF0000) << QColor(0, 0, 255);
    QTest::newRow("mixed") << RGBValue(238, 130, 4) << QColor(238, 130, 4);
    QTest::newRow("high byte ignored") << quint32(0x01102030) << QColor(0x30, 0x20, 0x10);
}

void tst_ResolveColor::plainValuesAreBGR()
{
    QFETCH(quint32, value);
    QFETCH(QColor, expected);
    QCOMPARE(ResolveColor(value, QPalette()), expected);
    QCOMPARE(ColorValue(expected), value & 0xFFFFFF);
}

void tst_ResolveColor::systemColoursFollowThePalette_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("role");
    QTest::newRow("button face") << quint32(SysColor::ButtonFace) << int(QPalette::Button);
    QTest::newRow("button shadow") << quint32(SysColor::ButtonShadow) << int(QPalette::Dark);
    QTest::newRow("highlight") << quint32(SysColor::Highlight) << int(QPalette::Highlight);
    QTest::newRow("3D light") << quint32(SysColor::Light3D) << int(QPalette::Midlight);
    QTest::newRow("3D dark shadow") << quint32(SysColor::DarkShadow3D) << int(QPalette::Shadow);
    QTest::newRow("button text") << quint32(SysColor::ButtonText) << int(QPalette::ButtonText);
    QTest::newRow("window") << quint32(SysColor::Window) << int(QPalette::Base);
    QTest::newRow("window text") << quint32(SysColor::WindowText) << int(QPalette::Text);
    QTest::newRow("highlight text")
        << quint32(SysColor::HighlightText) << int(QPalette::HighlightedText);
    QTest::newRow("button highlight") << quint32(SysColor::ButtonHighlight) << int(QPalette::Light);
    QTest::newRow("menu") << quint32(SysColor::Menu) << int(QPalette::Window);
    QTest::newRow("menu text") << quint32(SysColor::MenuText) << int(QPalette::WindowText);
}

void tst_ResolveColor::systemColoursFollowThePalette()
{
    QFETCH(quint32, value);
    QFETCH(int, role);
    // Every role its own colour, so a wrong mapping cannot pass by accident.
    QPalette palette;
    for (int r = 0; r < QPalette::NColorRoles; ++r) {
        palette.setColor(QPalette::Active, QPalette::ColorRole(r), QColor(r * 9, 255 - r * 9, r));
        palette.setColor(QPalette::Disabled, QPalette::ColorRole(r), QColor(r, r, r));
    }
    QCOMPARE(ResolveColor(value, palette),
             palette.color(QPalette::Active, QPalette::ColorRole(role)));

    // Grey text is the palette's disabled text.
    QCOMPARE(ResolveColor(SysColor::GrayText, palette),
             palette.color(QPalette::Disabled, QPalette::Text));
}

void tst_ResolveColor::unknownSystemIndexIsBlack()
{
    QCOMPARE(ResolveColor(SystemColor(25), QPalette()), QColor(0, 0, 0));
    QCOMPARE(ResolveColor(SystemColor(200), QPalette()), QColor(0, 0, 0));
    QCOMPARE(ResolveColor(0x80010005u, QPalette()), QColor(0, 0, 0));
}

QTEST_MAIN(tst_ResolveColor)
#include "tst_resolvecolor.moc"
