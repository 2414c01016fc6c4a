#include "calendardrawing.h"
#include "calendarmenustyle.h"
#include "calendarmodel.h"
#include "calendarpainter.h"
#include "formdesign.h"
#include "propertybag.h"

#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace CalendarDrawing;

// Pixels of rendered calendars and menu items, against a palette whose
// colours all differ.
class tst_CalendarPainter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void roundHalfEven_data();
    void roundHalfEven();
    void blendColors_data();
    void blendColors();
    void pointFonts_data();
    void pointFonts();

    void mainWindowCalendar();
    void selectedDayByFocusStyle_data();
    void selectedDayByFocusStyle();
    void borderStyles_data();
    void borderStyles();
    void raisedAndSunkenCells();
    void monthArrowsPointOutwards();
    void weekNumberColumn();

    void menuItems_data();
    void menuItems();
    void menuItemSizes();

private:
    static QPalette TestPalette();
    static CalendarModel MainWindowModel();
    static QColor At(const QImage &image, int x, int y) { return image.pixelColor(x, y); }

    QPalette palette;
};

namespace {

const QColor Base(255, 255, 255);   // window background
const QColor Text(0, 0, 0);         // window text
const QColor Button(200, 200, 200); // button face
const QColor Dark(128, 128, 128);   // button shadow
const QColor Light(250, 250, 250);  // button highlight
const QColor Midlight(225, 225, 225);
const QColor Shadow(40, 40, 40);
const QColor Highlight(0, 0, 255);
const QColor HighlightedText(255, 255, 0);
const QColor MenuBack(230, 230, 230); // menu
const QColor MenuText(10, 20, 30);
const QColor Grey(160, 160, 160); // grey text
const QColor Red(255, 0, 0);
const QColor Green(0, 255, 0);

} // namespace

QPalette tst_CalendarPainter::TestPalette()
{
    QPalette p;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, Base);
        p.setColor(group, QPalette::Text, group == QPalette::Disabled ? Grey : Text);
        p.setColor(group, QPalette::Button, Button);
        p.setColor(group, QPalette::Dark, Dark);
        p.setColor(group, QPalette::Light, Light);
        p.setColor(group, QPalette::Midlight, Midlight);
        p.setColor(group, QPalette::Shadow, Shadow);
        p.setColor(group, QPalette::Highlight, Highlight);
        p.setColor(group, QPalette::HighlightedText, HighlightedText);
        p.setColor(group, QPalette::Window, MenuBack);
        p.setColor(group, QPalette::WindowText, MenuText);
    }
    return p;
}

void tst_CalendarPainter::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    palette = TestPalette();
}

CalendarModel tst_CalendarPainter::MainWindowModel()
{
    // The window's calendar, drawn in a font every test machine has.
    QFont font(u"DejaVu Sans"_s);
    font.setPointSizeF(8.25);
    PropertyBag bag = FormDesign::SavedProperties(u"Cal");
    for (const QString &key : {u"font"_s, u"activedayfont"_s, u"monthnamefont"_s})
        bag.WriteProperty(key, font);
    CalendarModel model;
    model.ReadProperties(bag, font);
    // Lines apart from the header colour they default to.
    model.Colours().line = RGBValue(255, 0, 0);
    return model;
}

void tst_CalendarPainter::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-1.5") << -1.5 << -2;
    QTest::newRow("8.25 points") << 8.25 << 8;
    QTest::newRow("10.67 pixels") << 32.0 / 3.0 << 11;
    QTest::newRow("2.4999") << 2.4999 << 2;
}

void tst_CalendarPainter::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(RoundHalfEven(value), rounded);
}

void tst_CalendarPainter::blendColors_data()
{
    QTest::addColumn<quint32>("a");
    QTest::addColumn<quint32>("b");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QColor>("blend");
    QTest::newRow("highlight over window, 70")
        << quint32(SysColor::Highlight) << quint32(SysColor::Window) << 70 << QColor(185, 185, 255);
    QTest::newRow("highlight over window, 50")
        << quint32(SysColor::Highlight) << quint32(SysColor::Window) << 50 << QColor(205, 205, 255);
    QTest::newRow("highlight over window, 30")
        << quint32(SysColor::Highlight) << quint32(SysColor::Window) << 30 << QColor(225, 225, 255);
    // 100/255 of 201 is 78.82, 155/255 of 0 is 0: 79.
    QTest::newRow("plain colours")
        << RGBValue(201, 0, 10) << RGBValue(0, 0, 0) << 100 << QColor(79, 0, 4);
    QTest::newRow("weight 0 keeps b")
        << RGBValue(1, 2, 3) << RGBValue(9, 8, 7) << 0 << QColor(9, 8, 7);
    QTest::newRow("weight 255 gives a")
        << RGBValue(1, 2, 3) << RGBValue(9, 8, 7) << 255 << QColor(1, 2, 3);
}

void tst_CalendarPainter::blendColors()
{
    QFETCH(quint32, a);
    QFETCH(quint32, b);
    QFETCH(int, weight);
    QFETCH(QColor, blend);
    QCOMPARE(BlendColors(a, b, weight, palette), blend);
}

void tst_CalendarPainter::pointFonts_data()
{
    QTest::addColumn<double>("points");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("8.25 pt is 8 pt") << 8.25 << 96 << 11;
    QTest::newRow("8.5 pt rounds to even 8") << 8.5 << 96 << 11;
    QTest::newRow("9.5 pt rounds to even 10") << 9.5 << 96 << 13;
    QTest::newRow("9 pt") << 9.0 << 96 << 12;
    QTest::newRow("8 pt at 120 dpi") << 8.0 << 120 << 13;
}

void tst_CalendarPainter::pointFonts()
{
    QFETCH(double, points);
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QFont source(u"AbcdefghijklmnopqrstuvwxyzABCDEFGHIJ"_s);
    source.setPointSizeF(points);
    source.setBold(true);
    source.setItalic(true);
    const QFont font = CreatePointFont(source, dpi);
    QCOMPARE(font.pixelSize(), pixels);
    QCOMPARE(font.weight(), QFont::Bold);
    QVERIFY(font.italic());
    QVERIFY(!font.underline());
    QCOMPARE(font.family(), u"AbcdefghijklmnopqrstuvwxyzABCDEF"_s);
}

void tst_CalendarPainter::mainWindowCalendar()
{
    const CalendarModel model = MainWindowModel();
    const QImage image = CalendarPainter::Render(model, QSize(322, 224), {palette, false, 96});
    QCOMPARE(image.size(), QSize(322, 224));

    // Grid lines every 46 by 31 pixels, the last column and row inside.
    for (const int x : {0, 46, 92, 138, 184, 230, 276, 321})
        QCOMPARE(At(image, x, 100), Red);
    for (const int y : {38, 69, 100, 131, 162, 193, 223})
        QCOMPARE(At(image, 200, y), Red);
    // Title frame and week-day frames share the line at y = 19.
    QCOMPARE(At(image, 30, 0), Red);
    QCOMPARE(At(image, 30, 19), Red);
    QCOMPARE(At(image, 30, 18), Dark); // header background
    QCOMPARE(At(image, 30, 20), Dark);
    // Cells 7-12 are grey days of May, cell 13 is 1 June.
    QCOMPARE(At(image, 2, 40), Button);
    QCOMPARE(At(image, 232, 40), Button);
    QCOMPARE(At(image, 278, 40), Base);
    // June 30 (cell 42) is in the month, 1 July (cell 43) is not.
    QCOMPARE(At(image, 2, 195), Base);
    QCOMPARE(At(image, 48, 195), Button);

    // 18 June (cell 30: row 4, column 3) in the selection colour, no focus mark.
    const QRect cell(92, 131, 46, 31);
    int selectionPixels = 0;
    for (int y = cell.top() + 1; y < cell.bottom(); ++y) {
        for (int x = cell.left() + 1; x < cell.right(); ++x) {
            const QColor c = At(image, x, y);
            if (c.blue() > 200 && c.red() < 120 && c.green() < 120)
                ++selectionPixels;
        }
    }
    QVERIFY(selectionPixels > 10);
    QCOMPARE(At(image, 95, 133), Base);
}

void tst_CalendarPainter::selectedDayByFocusStyle_data()
{
    QTest::addColumn<int>("focusStyle");
    QTest::addColumn<bool>("hasFocus");
    QTest::addColumn<QColor>("corner");     // mark rectangle's top-left (94, 133)
    QTest::addColumn<QColor>("nextCorner"); // (95, 133)
    QTest::addColumn<QColor>("inside");     // (96, 135)
    QTest::addColumn<QColor>("farCorner");  // bottom-right (136, 160)

    // The mark of a cell with simple lines: (left + 2, top + 2, right - 1, bottom - 1).
    // The dots invert pixels whose x + y is even: (95, 133) and (136, 160).
    QTest::newRow("dotted, focused") << 1 << true << Base << Text << Base << Text;
    QTest::newRow("filled box, focused")
        << 2 << true << Highlight << Highlight << QColor(205, 205, 255) << Highlight;
    QTest::newRow("no mark") << 0 << true << Base << Base << Base << Base;
    QTest::newRow("out of range") << 7 << true << Base << Base << Base << Base;
    QTest::newRow("filled box without focus") << 2 << false << Base << Base << Base << Base;
    QTest::newRow("dotted without focus") << 1 << false << Base << Base << Base << Base;
}

void tst_CalendarPainter::selectedDayByFocusStyle()
{
    QFETCH(int, focusStyle);
    QFETCH(bool, hasFocus);
    QFETCH(QColor, corner);
    QFETCH(QColor, nextCorner);
    QFETCH(QColor, inside);
    QFETCH(QColor, farCorner);

    CalendarModel model = MainWindowModel();
    model.setFocusStyle(focusStyle);
    const QImage image = CalendarPainter::Render(model, QSize(322, 224), {palette, hasFocus, 96});
    QCOMPARE(At(image, 94, 133), corner);
    QCOMPARE(At(image, 95, 133), nextCorner);
    QCOMPARE(At(image, 96, 135), inside);
    // The mark ends one pixel before the grid line on the right and below.
    QCOMPARE(At(image, 136, 160), farCorner);
    QCOMPARE(At(image, 137, 160), Base);
    QCOMPARE(At(image, 136, 161), Base);
}

void tst_CalendarPainter::borderStyles_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QColor>("topLeft");
    QTest::addColumn<QColor>("topRight");
    QTest::addColumn<QColor>("bottomRight");
    QTest::addColumn<QColor>("innerTopLeft");     // (1, 1)
    QTest::addColumn<QColor>("innerBottomRight"); // (W - 2, H - 2)

    // Edges as Windows draws them: top and left first, bottom and right over the
    // corners they share.
    QTest::newRow("0 none") << 0 << Red << Red << Red << Dark << Base;
    QTest::newRow("1 sunken") << 1 << Dark << Light << Light << Shadow << Midlight;
    QTest::newRow("2 raised") << 2 << Midlight << Shadow << Shadow << Light << Dark;
    QTest::newRow("3 sunken thin") << 3 << Dark << Light << Light << Red << Red;
    QTest::newRow("4 raised thin") << 4 << Light << Dark << Dark << Red << Red;
    QTest::newRow("5 etched") << 5 << Dark << Light << Light << Light << Dark;
    QTest::newRow("6 simple line") << 6 << Green << Green << Green << Red << Red;
    QTest::newRow("7 none") << 7 << Red << Red << Red << Dark << Base;
}

void tst_CalendarPainter::borderStyles()
{
    QFETCH(int, style);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, topRight);
    QFETCH(QColor, bottomRight);
    QFETCH(QColor, innerTopLeft);
    QFETCH(QColor, innerBottomRight);

    CalendarModel model = MainWindowModel();
    model.setBorderStyle(style);
    model.Colours().border = RGBValue(0, 255, 0);
    // The last day (cell 48) is a grey day of July: make it white like June.
    model.Colours().outDaysBack = SysColor::Window;
    const int b = model.BorderWidth();
    const QSize size(2 * b + 7 * 30, 2 * b + 38 + 6 * 20);
    const QImage image = CalendarPainter::Render(model, size, {palette, false, 96});
    const int w = size.width();
    const int h = size.height();
    QCOMPARE(At(image, 0, 0), topLeft);
    QCOMPARE(At(image, w - 1, 0), topRight);
    QCOMPARE(At(image, w - 1, h - 1), bottomRight);
    QCOMPARE(At(image, 1, 1), innerTopLeft);
    QCOMPARE(At(image, w - 2, h - 2), innerBottomRight);
}

void tst_CalendarPainter::raisedAndSunkenCells()
{
    CalendarModel model = MainWindowModel();
    model.setLineStyle(1);
    const QImage raised = CalendarPainter::Render(model, QSize(322, 224), {palette, false, 96});
    // Cell 7 spans (0, 38) to (45, 68).
    QCOMPARE(At(raised, 0, 50), Light);
    QCOMPARE(At(raised, 20, 38), Light);
    QCOMPARE(At(raised, 45, 50), Dark);
    QCOMPARE(At(raised, 20, 68), Dark);
    QCOMPARE(At(raised, 45, 38), Dark);
    QCOMPARE(At(raised, 1, 50), Button);

    model.setLineStyle(2);
    const QImage sunken = CalendarPainter::Render(model, QSize(322, 224), {palette, false, 96});
    QCOMPARE(At(sunken, 0, 50), Dark);
    QCOMPARE(At(sunken, 45, 50), Light);
    QCOMPARE(At(sunken, 20, 0), Dark); // title bar's sunken edge

    model.setLineStyle(0);
    const QImage none = CalendarPainter::Render(model, QSize(322, 224), {palette, false, 96});
    QCOMPARE(At(none, 0, 50), Button);
    QCOMPARE(At(none, 45, 68), Button);
}

void tst_CalendarPainter::monthArrowsPointOutwards()
{
    const CalendarModel model = MainWindowModel();
    const QImage image = CalendarPainter::Render(model, QSize(322, 224), {palette, false, 96});
    // Buttons (2, 2)-(17, 17) and (305, 2)-(320, 17); 7 x 4 triangles, middle row 9.
    const QColor fore = Light;       // header text: button highlight
    QCOMPARE(At(image, 7, 9), fore); // left tip
    QCOMPARE(At(image, 7, 8), Dark);
    QCOMPARE(At(image, 10, 6), fore); // left base, top and bottom
    QCOMPARE(At(image, 10, 12), fore);
    QCOMPARE(At(image, 11, 9), Dark);
    QCOMPARE(At(image, 313, 9), fore); // right tip
    QCOMPARE(At(image, 310, 6), fore);
    QCOMPARE(At(image, 309, 9), Dark);

    CalendarModel noButtons = model;
    noButtons.setMonthChangeButtons(false);
    const QImage plain = CalendarPainter::Render(noButtons, QSize(322, 224), {palette, false, 96});
    QCOMPARE(At(plain, 7, 9), Dark);
    QCOMPARE(At(plain, 313, 9), Dark);
}

void tst_CalendarPainter::weekNumberColumn()
{
    CalendarModel model = MainWindowModel();
    model.setShowWeekNumber(true);
    const QImage image = CalendarPainter::Render(model, QSize(346, 224), {palette, false, 96});
    // The column's frames meet the grid's first line at x = 24.
    QCOMPARE(At(image, 24, 100), Red);
    QCOMPARE(At(image, 2, 40), Dark);
    QCOMPARE(At(image, 0, 100), Red);
    QCOMPARE(At(image, 26, 40), Button); // cell 7, a grey day of May
    // Label text ("22") lighter than the header background in row 1.
    bool labelled = false;
    for (int y = 40; y < 68 && !labelled; ++y) {
        for (int x = 2; x < 23 && !labelled; ++x)
            labelled = At(image, x, y).red() > 145 && At(image, x, y).red() <= Grey.red();
    }
    QVERIFY(labelled);
}

void tst_CalendarPainter::menuItems_data()
{
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<bool>("themed");
    QTest::addColumn<QColor>("origin");    // (0, 0)
    QTest::addColumn<QColor>("checkArea"); // (2, 2)
    QTest::addColumn<QColor>("body");      // (60, 2)
    QTest::addColumn<QColor>("mark");      // a pixel of the check mark

    const QColor blend70(185, 185, 255);
    const QColor blend30(225, 225, 255);
    QTest::newRow("themed") << false << false << true << Button << Button << MenuBack << Button;
    QTest::newRow("themed, marked")
        << false << true << true << Button << blend30 << MenuBack << MenuText;
    QTest::newRow("themed, selected")
        << true << false << true << Highlight << blend70 << blend70 << blend70;
    QTest::newRow("themed, selected and marked")
        << true << true << true << Highlight << blend30 << blend70 << MenuText;
    QTest::newRow("classic") << false << false << false << MenuBack << MenuBack << MenuBack
                             << MenuBack;
    QTest::newRow("classic, marked")
        << false << true << false << MenuBack << MenuBack << MenuBack << MenuText;
    QTest::newRow("classic, selected and marked")
        << true << true << false << Highlight << Highlight << Highlight << HighlightedText;
}

void tst_CalendarPainter::menuItems()
{
    QFETCH(bool, selected);
    QFETCH(bool, marked);
    QFETCH(bool, themed);
    QFETCH(QColor, origin);
    QFETCH(QColor, checkArea);
    QFETCH(QColor, body);
    QFETCH(QColor, mark);

    const QSize size(120, 22);
    const QImage item = CalendarMenuStyle::DrawMenuItem(size, {u"Июнь"_s, selected, marked, themed},
                                                        QFont(u"DejaVu Sans"_s, 8), palette);
    QCOMPARE(At(item, 0, 0), origin);
    QCOMPARE(At(item, 2, 2), checkArea);
    QCOMPARE(At(item, 60, 2), body);
    // The check mark's lowest pixel: column 2 of 7, row 6 of 7, centred in
    // the check box column (24 or 18 wide).
    const int left = ((themed ? 24 : 18) - 7) / 2;
    const int top = (22 - 7) / 2;
    QCOMPARE(At(item, left + 2, top + 6), mark);
    if (marked && themed)
        QCOMPARE(At(item, 1, 1), Highlight); // frame of the check box
    // The caption starts at the caption area, left-aligned.
    int firstInk = -1;
    for (int x = themed ? 24 : 18; x < size.width() && firstInk < 0; ++x) {
        for (int y = 4; y < 18; ++y) {
            if (At(item, x, y) != At(item, 60, 2)) {
                firstInk = x;
                break;
            }
        }
    }
    QVERIFY(firstInk >= (themed ? 30 : 20));
    QVERIFY(firstInk <= (themed ? 33 : 23));
}

void tst_CalendarPainter::menuItemSizes()
{
    const QFont font(u"DejaVu Sans"_s, 8);
    const QFontMetrics metrics(font);
    const int w = metrics.horizontalAdvance(u"Сентябрь"_s);
    const QSize themed = CalendarMenuStyle::MeasureMenuItem(font, u"Сентябрь"_s, true);
    const QSize classic = CalendarMenuStyle::MeasureMenuItem(font, u"Сентябрь"_s, false);
    QCOMPARE(themed.width(), w + 34);
    QCOMPARE(classic.width(), w + 26);
    QCOMPARE(themed.height(), classic.height() + 3);
    QVERIFY(classic.height() > metrics.height());
}

QTEST_MAIN(tst_CalendarPainter)
#include "tst_calendarpainter.moc"
