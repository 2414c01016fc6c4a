#include "buttonpainter.h"
#include "eventrecorder.h"
#include "propertybag.h"
#include "resolvecolor.h"
#include "xpb.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QColor Face(192, 192, 192); // brightened: 240
const QColor Highlight(255, 255, 255);
const QColor Shadow(128, 128, 128);
const QColor Frame(0, 0, 64);
const QColor Text(200, 0, 0);
const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Magenta(255, 0, 255);

QPalette TestPalette()
{
    QPalette pal;
    pal.setColor(QPalette::Button, Face);
    pal.setColor(QPalette::Light, Highlight);
    pal.setColor(QPalette::Dark, Shadow);
    pal.setColor(QPalette::Shadow, Frame);
    pal.setColor(QPalette::ButtonText, Text);
    return pal;
}

// A button loaded with the designed defaults, then given a style and caption.
std::unique_ptr<XpB> MakeButton(int style, QSize size = QSize(60, 20), const QString &caption = {})
{
    auto b = std::make_unique<XpB>();
    b->setObjectName(u"Test1"_s);
    b->setPalette(TestPalette());
    QFont font = b->font();
    font.setStyleStrategy(QFont::NoAntialias);
    b->setFont(font);
    b->resize(size);
    b->ReadProperties(PropertyBag());
    b->setButtonStyle(style);
    b->setCaption(caption);
    return b;
}

QImage Shot(XpB *b)
{
    return b->grab().toImage();
}

void Move(QWidget *w, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent e(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QImage Paint(const ButtonSnapshot &s, QSize imageSize)
{
    QImage image(imageSize, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3));
    QPainter p(&image);
    PaintButton(p, s);
    return image;
}

ButtonSnapshot XpSnapshot(int w, int h)
{
    ButtonSnapshot s;
    s.width = w;
    s.height = h;
    s.style = 3;
    s.colors.background = s.colors.face = Face;
    s.colors.frame = Frame;
    return s;
}

QImage Bitmap8()
{
    QImage bmp(8, 8, QImage::Format_RGB32);
    bmp.fill(Blue);
    bmp.setPixelColor(0, 0, Magenta);
    bmp.setPixelColor(3, 3, Magenta);
    return bmp;
}

} // namespace

class tst_XpB : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyBagGivesDefaults();
    void savesInOrderAndLoadsBack();
    void eventsAreDeclaredInOrder();
    void sizeSnapsBelowTenPixels_data();
    void sizeSnapsBelowTenPixels();
    void enabledCtrlClearsFlags();

    void stylePixels_data();
    void stylePixels();
    void gradientRows_data();
    void gradientRows();
    void gradientCornersAndEmptyHeight();
    void hoverColourFollowsDefaults();
    void focusRectangle();
    void captionDrawing();
    void ampersands();
    void bitmapMaskColour();
    void pressedAndDisabledPicture();

    void pressMoveOutReleaseOutside();
    void pressAndReleaseInside();
    void pointerLeavingTheButton();
    void spaceClicks();
    void keyCodesOfOtherLayouts();
    void accessKeyThroughAlt();
    void toolTip();
    void toolTipInAnInactiveWindow();
    void assistiveToolsSeeAPushButton();
};

void tst_XpB::emptyBagGivesDefaults()
{
    XpB b;
    b.setObjectName(u"Command9"_s);
    b.ReadProperties(PropertyBag());
    QCOMPARE(b.Caption(), u"Command9"_s);
    QCOMPARE(b.ButtonStyle(), 2);
    QCOMPARE(b.PicturePosition(), 1);
    QVERIFY(b.ShowFocusRect());
    QVERIFY(b.XPDefaultColors());
    QVERIFY(b.EnabledCtrl());
    QVERIFY(b.toolTip().isEmpty());
    QCOMPARE(b.XPColor_Hover(), quint32(SysColor::Light3D));
    QCOMPARE(b.XPColor_Pressed(), quint32(SysColor::ButtonHighlight));
    // Nothing differs from a default, the 32 x 32 picture size included.
    PropertyBag saved;
    b.WriteProperties(saved);
    QVERIFY2(saved.isEmpty(), qPrintable(saved.names().join(u',')));
}

void tst_XpB::savesInOrderAndLoadsBack()
{
    XpB a;
    a.setObjectName(u"A"_s);
    a.setCaption(u"Сох&ранить"_s);
    a.setPicturePosition(3);
    a.setButtonStyle(3);
    a.setPicture(Bitmap8());
    a.setEnabledCtrl(false);
    a.setShowFocusRect(false);
    a.setXPColor_Pressed(RGBValue(1, 2, 3));
    a.setXPColor_Hover(RGBValue(4, 5, 6));
    a.setXPDefaultColors(false);
    a.setMaskColor(RGBValue(7, 8, 9));
    a.setUseMaskColor(true);
    a.setMyTip(u"Сохранить файлы"_s);
    PropertyBag bag;
    a.WriteProperties(bag);
    QCOMPARE(bag.names(),
             (QStringList{u"Caption"_s, u"PicturePosition"_s, u"ButtonStyle"_s, u"Picture"_s,
                          u"PictureWidth"_s, u"PictureHeight"_s, u"Enabled"_s, u"ShowFocusRect"_s,
                          u"XPColor_Pressed"_s, u"XPColor_Hover"_s, u"XPDefaultColors"_s,
                          u"MaskColor"_s, u"UseMaskColor"_s, u"ToolTip"_s}));

    // Through JSON, as the bag is stored.
    XpB b;
    b.setObjectName(u"B"_s);
    b.ReadProperties(PropertyBag::fromJson(bag.toJson()));
    PropertyBag again;
    b.WriteProperties(again);
    QCOMPARE(again.toJson(), bag.toJson());
    QCOMPARE(b.Picture().pixelColor(3, 3), Magenta);
    QCOMPARE(b.toolTip(), u"Сохранить файлы"_s);
    QCOMPARE(b.accessKey(), u'р');
}

void tst_XpB::eventsAreDeclaredInOrder()
{
    const QMetaObject &mo = XpB::staticMetaObject;
    const int click = mo.indexOfSignal("Click()");
    const char *const rest[] = {"KeyDown(qint16,qint16)",
                                "KeyUp(qint16,qint16)",
                                "MouseDown(qint16,qint16,float,float)",
                                "MouseMove(qint16,qint16,float,float)",
                                "MouseUp(qint16,qint16,float,float)",
                                "MouseIn(qint16)",
                                "MouseOut(qint16)"};
    QVERIFY(click >= 0);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(mo.indexOfSignal(rest[i]), click + 1 + i);
}

void tst_XpB::sizeSnapsBelowTenPixels_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("narrow") << QSize(5, 30) << QSize(10, 30);
    QTest::newRow("flat") << QSize(30, 9) << QSize(30, 10);
    QTest::newRow("both") << QSize(0, 2) << QSize(10, 10);
    QTest::newRow("ten stays") << QSize(10, 10) << QSize(10, 10);
}

void tst_XpB::sizeSnapsBelowTenPixels()
{
    QFETCH(QSize, size);
    QFETCH(QSize, expected);
    QWidget window;
    window.resize(100, 100);
    XpB *b = new XpB(&window);
    b->setGeometry(10, 10, 50, 50);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    b->resize(size);
    QCOMPARE(b->size(), expected);
}

void tst_XpB::enabledCtrlClearsFlags()
{
    auto b = MakeButton(1, QSize(60, 20), u"OK"_s);
    const QImage disabledLook = [&] {
        auto d = MakeButton(1, QSize(60, 20), u"OK"_s);
        d->setEnabledCtrl(false);
        return Shot(d.get());
    }();
    b->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.get()));
    Move(b.get(), QPoint(10, 10));
    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(10, 10));
    Move(b.get(), QPoint(11, 10), Qt::LeftButton);
    QCOMPARE(b->PressState(), 1);
    QVERIFY(b->Hovering());
    QVERIFY(b->HasFocus());
    b->setEnabledCtrl(false);
    QCOMPARE(b->PressState(), 0);
    QVERIFY(!b->Hovering());
    QVERIFY(!b->HasFocus());
    QCOMPARE(Shot(b.get()), disabledLook);
    b->setEnabledCtrl(true);
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(11, 10));
}

void tst_XpB::stylePixels_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QColor>("top");    // middle of the top edge
    QTest::addColumn<QColor>("bottom"); // middle of the bottom edge
    QTest::addColumn<QColor>("row1");   // middle of the second row

    QTest::newRow("0 rest") << 0 << u"rest"_s << Highlight << Black << Face;
    QTest::newRow("0 hovered") << 0 << u"hover"_s << Highlight << Black << Face;
    QTest::newRow("0 pressed") << 0 << u"pressed"_s << Black << Highlight << Face;
    QTest::newRow("0 disabled keeps its border")
        << 0 << u"disabled"_s << Highlight << Black << Face;
    QTest::newRow("1 rest") << 1 << u"rest"_s << Face << Face << Face;
    QTest::newRow("1 hovered") << 1 << u"hover"_s << Highlight << Black << Face;
    QTest::newRow("1 pressed") << 1 << u"pressed"_s << Black << Highlight << Face;
    QTest::newRow("1 right button held: hover border")
        << 1 << u"right"_s << Highlight << Black << Face;
    QTest::newRow("1 disabled") << 1 << u"disabled"_s << Face << Face << Face;
    QTest::newRow("2 hovered") << 2 << u"hover"_s << Highlight << Black << Face;
    QTest::newRow("5 behaves as 1") << 5 << u"rest"_s << Face << Face << Face;
    QTest::newRow("3 rest") << 3 << u"rest"_s << Frame << Frame << QColor(253, 253, 253);
    QTest::newRow("3 hovered") << 3 << u"hover"_s << Frame << Frame << QColor(255, 243, 161);
    // 240 - 32 = 208, then nearest(-25 / 20 x 19) = -24.
    QTest::newRow("3 pressed") << 3 << u"pressed"_s << Frame << Frame << QColor(184, 184, 184);
    QTest::newRow("3 right button held: pressed face")
        << 3 << u"right"_s << Frame << Frame << QColor(184, 184, 184);
    QTest::newRow("3 disabled") << 3 << u"disabled"_s << QColor(156, 156, 156)
                                << QColor(156, 156, 156) << QColor(216, 216, 216);
}

void tst_XpB::stylePixels()
{
    QFETCH(int, style);
    QFETCH(QString, state);
    QFETCH(QColor, top);
    QFETCH(QColor, bottom);
    QFETCH(QColor, row1);

    auto b = MakeButton(style);
    const QPoint inside(30, 10);
    if (state == u"hover") {
        Move(b.get(), inside);
    } else if (state == u"pressed") {
        Move(b.get(), inside);
        QTest::mousePress(b.get(), Qt::LeftButton, {}, inside);
    } else if (state == u"right") {
        Move(b.get(), inside, Qt::RightButton);
        QCOMPARE(b->PressState(), 2);
    } else if (state == u"disabled") {
        b->setEnabledCtrl(false);
    }
    const QImage shot = Shot(b.get());
    QCOMPARE(shot.pixelColor(30, 0), top);
    QCOMPARE(shot.pixelColor(30, 19), bottom);
    QCOMPARE(shot.pixelColor(30, 1), row1);
    if (state == u"pressed")
        QTest::mouseRelease(b.get(), Qt::LeftButton, {}, inside);
}

void tst_XpB::gradientRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("channel");
    QTest::newRow("1: -2.5 rounds to -2") << 1 << 253;
    QTest::newRow("2") << 2 << 250;
    QTest::newRow("3: -7.5 rounds to -8") << 3 << 247;
    QTest::newRow("5: -12.5 rounds to -12") << 5 << 243;
    QTest::newRow("7: -17.5 rounds to -18") << 7 << 237;
    QTest::newRow("20, just below the button") << 20 << 205;
}

void tst_XpB::gradientRows()
{
    QFETCH(int, row);
    QFETCH(int, channel);
    // The painter does not clip, so the line below a 20-pixel button shows.
    const QImage image = Paint(XpSnapshot(40, 20), QSize(40, 24));
    QCOMPARE(image.pixelColor(20, row), QColor(channel, channel, channel));
}

void tst_XpB::gradientCornersAndEmptyHeight()
{
    const QImage image = Paint(XpSnapshot(40, 20), QSize(40, 20));
    // Every corner: three outer pixels in the face colour, the inner one a dot
    // in the frame colour.
    for (const auto &[cx, cy, dx, dy] : {std::array{0, 0, 1, 1}, std::array{39, 0, -1, 1},
                                         std::array{0, 19, 1, -1}, std::array{39, 19, -1, -1}}) {
        QCOMPARE(image.pixelColor(cx, cy), Face);
        QCOMPARE(image.pixelColor(cx + dx, cy), Face);
        QCOMPARE(image.pixelColor(cx, cy + dy), Face);
        QCOMPARE(image.pixelColor(cx + dx, cy + dy), Frame);
    }
    QCOMPARE(image.pixelColor(2, 0), Frame);

    const QImage empty = Paint(XpSnapshot(40, 0), QSize(40, 4));
    QCOMPARE(empty.pixelColor(0, 0), QColor(1, 2, 3));
    QCOMPARE(empty.pixelColor(1, 1), QColor(1, 2, 3));
}

void tst_XpB::hoverColourFollowsDefaults()
{
    auto b = MakeButton(3);
    const QColor green(0, 255, 0);
    b->setXPColor_Hover(ColorValue(green));
    // A hidden button repaints nothing, yet its host reads the defaults at once.
    b->Refresh();
    QCOMPARE(b->XPColor_Hover(), RGBValue(225, 153, 71));
    b->setXPColor_Hover(ColorValue(green));
    Move(b.get(), QPoint(30, 10));
    QCOMPARE(Shot(b.get()).pixelColor(1, 5), QColor(225, 153, 71));
    QCOMPARE(b->XPColor_Hover(), RGBValue(225, 153, 71));
    QCOMPARE(b->XPColor_Pressed(), RGBValue(140, 170, 230));

    b->setXPDefaultColors(false);
    b->setXPColor_Hover(ColorValue(green));
    QCOMPARE(Shot(b.get()).pixelColor(1, 5), green);
    QCOMPARE(b->XPColor_Hover(), ColorValue(green));
}

void tst_XpB::focusRectangle()
{
    for (int style : {1, 3}) {
        auto b = MakeButton(style);
        QFocusEvent in(QEvent::FocusIn);
        QApplication::sendEvent(b.get(), &in);
        QVERIFY(b->HasFocus());
        const QImage shot = Shot(b.get());
        if (style == 3) {
            QCOMPARE(shot.pixelColor(4, 4), QColor(245, 245, 245));
            continue;
        }
        // Dotted, by inverting: every other pixel of (4, 4, 56, 16).
        QCOMPARE(shot.pixelColor(4, 4), QColor(63, 63, 63));
        QCOMPARE(shot.pixelColor(5, 4), Face);
        QCOMPARE(shot.pixelColor(55, 15), QColor(63, 63, 63));
        QCOMPARE(shot.pixelColor(4, 10), QColor(63, 63, 63));
        QCOMPARE(shot.pixelColor(6, 6), Face);
        b->setShowFocusRect(false);
        QCOMPARE(Shot(b.get()).pixelColor(4, 4), Face);
    }
}

void tst_XpB::captionDrawing()
{
    auto b = MakeButton(1, QSize(80, 24), u"Шаг"_s);
    const QImage rest = Shot(b.get());
    const QRect caption = b->CaptionRect().toRect();
    // Centred in the content rectangle (4, 4, 76, 20).
    QVERIFY(qAbs(caption.center().x() - 39) <= 1);
    QVERIFY(qAbs(caption.center().y() - 11) <= 1);
    int inked = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 80; ++x)
            inked += rest.pixelColor(x, y) == Text;
    QVERIFY(inked > 10);

    Move(b.get(), QPoint(40, 12));
    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(40, 12));
    const QImage pressed = Shot(b.get());
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(40, 12));
    for (int y = caption.top(); y <= caption.bottom(); ++y)
        for (int x = caption.left(); x <= caption.right(); ++x)
            QCOMPARE(pressed.pixelColor(x + 1, y + 1), rest.pixelColor(x, y));

    // Engraved: light one pixel right and down, shadow in place.
    b->setEnabledCtrl(false);
    const QImage disabled = Shot(b.get());
    int light = 0, dark = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 80; ++x) {
            QVERIFY(disabled.pixelColor(x, y) != Text);
            light += disabled.pixelColor(x, y) == Highlight;
            dark += disabled.pixelColor(x, y) == Shadow;
            if (rest.pixelColor(x, y) == Text)
                QCOMPARE(disabled.pixelColor(x, y), Shadow);
        }
    }
    QVERIFY(light > 0);
    QCOMPARE(dark, inked);

    // A long caption wraps and stays centred.
    b->setCaption(u"один два три четыре пять"_s);
    Shot(b.get());
    QVERIFY(b->CaptionRect().height() > caption.height());
    QVERIFY(b->CaptionRect().width() <= 72);
}

void tst_XpB::ampersands()
{
    QFont font;
    const QFontMetricsF metrics(font);
    QCOMPARE(MeasureCaption(font, u"A&&B"_s, 200).width(),
             int(std::ceil(metrics.horizontalAdvance(u"A&B"_s))) + 2);
    QCOMPARE(MeasureCaption(font, u"S&ave"_s, 200), MeasureCaption(font, u"Save"_s, 200));

    // The access key is underlined: the two captions differ below the letters only.
    auto marked = MakeButton(1, QSize(80, 24), u"S&ave"_s);
    auto plain = MakeButton(1, QSize(80, 24), u"Save"_s);
    const QImage a = Shot(marked.get());
    const QImage b = Shot(plain.get());
    const WinRect caption = plain->CaptionRect();
    const int middle = (caption.top + caption.bottom) / 2;
    int differing = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 80; ++x) {
            if (a.pixelColor(x, y) != b.pixelColor(x, y)) {
                ++differing;
                QVERIFY(y > middle);
            }
        }
    }
    QVERIFY(differing > 0);
}

void tst_XpB::bitmapMaskColour()
{
    // 40 x 30, no caption: the 8 x 8 picture sits at (16, 11).
    auto b = MakeButton(1, QSize(40, 30));
    b->setPicture(Bitmap8());
    QCOMPARE(b->MaskColor(), ColorValue(Magenta));
    QImage shot = Shot(b.get());
    QCOMPARE(b->PictureRect(), (WinRect{16, 11, 24, 19}));
    QCOMPARE(shot.pixelColor(16, 11), Face);
    QCOMPARE(shot.pixelColor(19, 14), Face);
    QCOMPARE(shot.pixelColor(18, 13), Blue);
    QCOMPARE(b->MaskColor(), ColorValue(Magenta));

    b->setUseMaskColor(true);
    b->setMaskColor(ColorValue(Blue));
    shot = Shot(b.get());
    QCOMPARE(shot.pixelColor(19, 14), Magenta);
    QCOMPARE(shot.pixelColor(18, 13), Face);
    QCOMPARE(b->MaskColor(), ColorValue(Blue));

    // A stored size beyond the bitmap shows the hidden surface's cleared face
    // there, not the gradient underneath.
    PropertyBag bag;
    bag.WriteProperty(u"Caption"_s, QString());
    bag.WriteProperty(u"ButtonStyle"_s, 3);
    bag.WriteProperty(u"PictureWidth"_s, 12);
    bag.WriteProperty(u"PictureHeight"_s, 10);
    bag.WriteProperty(u"Picture"_s, Bitmap8());
    b->ReadProperties(bag);
    shot = Shot(b.get());
    QCOMPARE(b->PictureRect(), (WinRect{14, 10, 26, 20}));
    QCOMPARE(shot.pixelColor(15, 11), Blue);
    QCOMPARE(shot.pixelColor(23, 12), Face);
    QCOMPARE(shot.pixelColor(16, 18), Face);
    QCOMPARE(shot.pixelColor(14, 10), QColor(238, 238, 238)); // masked: the gradient's row 10
}

void tst_XpB::pressedAndDisabledPicture()
{
    auto b = MakeButton(1, QSize(40, 30));
    b->setPicture(Bitmap8());
    Move(b.get(), QPoint(20, 15));
    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(20, 15));
    QImage shot = Shot(b.get());
    QCOMPARE(shot.pixelColor(16, 12), Face); // the picture moved one pixel right
    QCOMPARE(shot.pixelColor(18, 12), Blue);
    QCOMPARE(shot.pixelColor(20, 15), Face); // its masked pixel (3, 3)
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(20, 15));

    // Entering with the right button held moves the picture by two pixels.
    Move(b.get(), QPoint(20, 15), Qt::RightButton);
    shot = Shot(b.get());
    QCOMPARE(shot.pixelColor(17, 13), Face);
    QCOMPARE(shot.pixelColor(18, 14), Blue);

    // Disabled from the start: embossed, the top-left colour still background,
    // and MaskColor untouched (only enabled paints store it).
    auto d = MakeButton(1, QSize(40, 30));
    d->setEnabledCtrl(false);
    d->setPicture(Bitmap8());
    shot = Shot(d.get());
    QCOMPARE(shot.pixelColor(16, 11), Face);
    QCOMPARE(shot.pixelColor(17, 11), Shadow);
    QCOMPARE(shot.pixelColor(23, 18), Shadow);
    QCOMPARE(shot.pixelColor(19, 14), Highlight);
    QCOMPARE(shot.pixelColor(24, 19), Highlight);
    QCOMPARE(d->MaskColor(), 0u);
}

void tst_XpB::pressMoveOutReleaseOutside()
{
    auto b = MakeButton(1, QSize(100, 30), u"Go"_s);
    b->setShowFocusRect(false);
    b->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.get()));
    QStringList *log = RecordEvents(b.get(), b.get());
    const QImage rest = Shot(b.get());

    Move(b.get(), QPoint(10, 10));
    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(b.get(), QPoint(150, 10));
    QCOMPARE(b->PressState(), 0);
    QCOMPARE(Shot(b.get()), rest);
    QTest::mouseMove(b.get(), QPoint(160, 12));
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(160, 12));
    QCOMPARE(*log, (QStringList{u"MouseIn 0"_s, u"MouseMove 0 0 10 10"_s, u"MouseDown 1 0 10 10"_s,
                                u"MouseOut 0"_s, u"MouseMove 1 0 150 10"_s}));
}

void tst_XpB::pressAndReleaseInside()
{
    auto b = MakeButton(1, QSize(100, 30), u"Go"_s);
    b->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.get()));
    QStringList *log = RecordEvents(b.get(), b.get());

    Move(b.get(), QPoint(10, 10));
    QTest::mouseClick(b.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 10));
    QVERIFY(!b->Hovering());
    Move(b.get(), QPoint(11, 10));
    QCOMPARE(*log, (QStringList{u"MouseIn 0"_s, u"MouseMove 0 0 10 10"_s, u"MouseDown 1 1 10 10"_s,
                                u"Click"_s, u"MouseUp 1 1 10 10"_s, u"MouseIn 0"_s,
                                u"MouseMove 0 0 11 10"_s}));

    log->clear();
    QTest::mouseClick(b.get(), Qt::RightButton, {}, QPoint(12, 10));
    QCOMPARE(*log, (QStringList{u"MouseDown 2 0 12 10"_s, u"MouseUp 2 0 12 10"_s}));
}

void tst_XpB::pointerLeavingTheButton()
{
    // The real pointer: the button learns that it left from the window system.
    QWidget window;
    window.resize(200, 100);
    XpB *b = new XpB(&window);
    b->setGeometry(10, 10, 80, 30);
    b->ReadProperties(PropertyBag());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList *log = RecordEvents(b, b);

    QTest::mouseMove(&window, QPoint(50, 25));
    QTRY_VERIFY(b->Hovering());
    QTest::mouseMove(&window, QPoint(150, 80));
    QTRY_VERIFY(!b->Hovering());
    QCOMPARE(*log, (QStringList{u"MouseIn 0"_s, u"MouseMove 0 0 40 15"_s, u"MouseOut 0"_s}));
}

void tst_XpB::spaceClicks()
{
    auto b = MakeButton(1, QSize(100, 30), u"Go"_s);
    QStringList *log = RecordEvents(b.get(), b.get());
    QTest::keyPress(b.get(), Qt::Key_Space, Qt::ShiftModifier);
    QCOMPARE(b->PressState(), 1);
    // A held key repeats as release and press pairs on X11: no click from those.
    for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
        QKeyEvent repeat(type, Qt::Key_Space, Qt::ShiftModifier, u" "_s, true);
        QApplication::sendEvent(b.get(), &repeat);
    }
    QCOMPARE(b->PressState(), 1);
    QTest::keyRelease(b.get(), Qt::Key_Space, Qt::ShiftModifier);
    // The Shift key itself is passed on as well.
    QCOMPARE(*log, (QStringList{u"KeyDown 16 1"_s, u"KeyDown 32 1"_s, u"KeyDown 32 1"_s, u"Click"_s,
                                u"MouseUp 1 1 0 0"_s, u"KeyUp 32 1"_s, u"KeyUp 16 0"_s}));
    QCOMPARE(b->PressState(), 0);
}

void tst_XpB::keyCodesOfOtherLayouts()
{
    auto b = MakeButton(1, QSize(100, 30), u"Go"_s);
    QStringList *log = RecordEvents(b.get(), b.get());
    // The A key in a Russian layout, with no native codes (as from a test).
    QKeyEvent press(QEvent::KeyPress, 0x0424, Qt::NoModifier, u"ф"_s);
    QApplication::sendEvent(b.get(), &press);
    QKeyEvent release(QEvent::KeyRelease, 0x0424, Qt::NoModifier, u"ф"_s);
    QApplication::sendEvent(b.get(), &release);
    QCOMPARE(*log, (QStringList{u"KeyDown 65 0"_s, u"KeyUp 65 0"_s}));
}

void tst_XpB::accessKeyThroughAlt()
{
    QWidget window;
    window.resize(200, 100);
    XpB *b = new XpB(&window);
    b->setGeometry(10, 10, 80, 30);
    b->ReadProperties(PropertyBag());
    b->setCaption(u"Sa&ve"_s);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QStringList *log = RecordEvents(b, b);

    QTest::keyClick(&window, Qt::Key_V, Qt::AltModifier);
    QCOMPARE(*log, QStringList{u"Click"_s});
    QCOMPARE(b->PressState(), 0);

    b->setCaption(u"A&&B"_s);
    QTest::keyClick(&window, Qt::Key_V, Qt::AltModifier);
    QTest::keyClick(&window, Qt::Key_B, Qt::AltModifier);
    QCOMPARE(log->size(), 1);

    b->setCaption(u"A&&B&C"_s);
    b->setEnabledCtrl(false);
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    QCOMPARE(log->size(), 1);
    b->setEnabledCtrl(true);
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    QCOMPARE(log->size(), 2);
}

void tst_XpB::toolTip()
{
    auto b = MakeButton(1, QSize(100, 30), u"Go"_s);
    b->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.get()));
    const auto ask = [&b] {
        QHelpEvent help(QEvent::ToolTip, QPoint(10, 10), b->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(b.get(), &help);
    };
    ask();
    QVERIFY(!QToolTip::isVisible());

    b->setMyTip(u"Начать загрузку"_s);
    ask();
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), u"Начать загрузку"_s);
    b->setMyTip(u"Выбрать каталог"_s);
    ask();
    QTRY_COMPARE(QToolTip::text(), u"Выбрать каталог"_s);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());

    // An empty text is kept for saving; the tip stays.
    b->setMyTip(QString());
    QCOMPARE(b->MyTip(), QString());
    ask();
    QTRY_COMPARE(QToolTip::text(), u"Выбрать каталог"_s);
}

void tst_XpB::toolTipInAnInactiveWindow()
{
    QWidget window;
    window.setGeometry(0, 0, 200, 100);
    XpB *b = new XpB(&window);
    b->setGeometry(10, 10, 80, 30);
    b->ReadProperties(PropertyBag());
    b->setMyTip(u"Начать загрузку"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget other;
    other.setGeometry(400, 300, 100, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!window.isActiveWindow());

    // The pointer rests over the button of the window in the background.
    QTest::mouseMove(b, QPoint(40, 15));
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), u"Начать загрузку"_s);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
}

void tst_XpB::assistiveToolsSeeAPushButton()
{
    auto b = MakeButton(1, QSize(80, 24), u"Сохр&анить"_s);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(b.get());
    QCOMPARE(iface->role(), QAccessible::Button);
    QCOMPARE(iface->text(QAccessible::Name), u"Сохранить"_s);
    QCOMPARE(iface->text(QAccessible::Accelerator), u"Alt+А"_s);

    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(iface->state().pressed);
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!iface->state().pressed);

    // Press clicks from the event loop, so a tool's call never waits on the host.
    QSignalSpy click(b.get(), &XpB::Click);
    const QString press = QAccessibleActionInterface::pressAction();
    iface->actionInterface()->doAction(press);
    QCOMPARE(click.size(), 0);
    QVERIFY(click.wait(2000));

    b->setCaption(u"Стоп"_s);
    QCOMPARE(iface->text(QAccessible::Name), u"Стоп"_s);
    QVERIFY(iface->text(QAccessible::Accelerator).isEmpty());
    b->setEnabledCtrl(false);
    QVERIFY(!iface->actionInterface()->actionNames().contains(press));
}

QTEST_MAIN(tst_XpB)
#include "tst_xpb.moc"
