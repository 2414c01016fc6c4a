#include "check.h"
#include "propertybag.h"
#include "uccalendar.h"
#include "xpb.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Aligned 2 x 2 blocks of device pixels that are not one colour: a 1x picture
// doubled has none.
int FineBlocks(const QImage &image)
{
    int fine = 0;
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            if (image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p ||
                image.pixel(x + 1, y + 1) != p)
                ++fine;
        }
    }
    return fine;
}

} // namespace

// The drawn controls on a screen of ratio 2 (the test runs with QT_SCALE_FACTOR=2):
// logical sizes as designed, pictures drawn for the device pixels.
class tst_HighDpi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void drawnForTheDevicePixels_data();
    void drawnForTheDevicePixels();
};

void tst_HighDpi::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QWidget probe;
    probe.show();
    QVERIFY(QTest::qWaitForWindowExposed(&probe));
    QCOMPARE(probe.devicePixelRatioF(), 2.0);
}

void tst_HighDpi::drawnForTheDevicePixels_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QSize>("size");
    QTest::newRow("calendar") << u"calendar"_s << QSize(322, 224);
    QTest::newRow("check box at rest") << u"check"_s << QSize(13, 13);
    QTest::newRow("ticked check box") << u"ticked check"_s << QSize(13, 13);
    QTest::newRow("button with the focus") << u"button"_s << QSize(93, 21);
}

void tst_HighDpi::drawnForTheDevicePixels()
{
    QFETCH(QString, control);
    QFETCH(QSize, size);

    QWidget host;
    host.resize(400, 300);
    QWidget *w = nullptr;
    if (control == u"calendar") {
        auto *cal = new ucCalendar(&host);
        PropertyBag bag;
        bag.WriteProperty(u"ActiveDate"_s, u"18.06.2014"_s);
        bag.WriteProperty(u"BorderStyle"_s, 0);
        cal->ReadProperties(bag);
        cal->resize(size);
        w = cal;
    } else if (control.endsWith(u"check")) {
        auto *box = new Check(&host);
        box->setValue(control.startsWith(u"ticked"));
        w = box;
    } else {
        auto *button = new XpB(&host);
        button->ReadProperties(PropertyBag());
        button->setCaption(u"Старт!"_s);
        button->resize(size);
        w = button;
    }
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    if (control == u"button") {
        w->setFocus();
        QVERIFY(w->hasFocus());
    }
    QCOMPARE(w->size(), size);
    const QPixmap shot = w->grab();
    QCOMPARE(shot.devicePixelRatio(), 2.0);
    QCOMPARE(shot.size(), size * 2);
    const QImage image = shot.toImage();
    const int fine = FineBlocks(image);
    QVERIFY2(fine > 0, qPrintable(u"%1 looks like a 1x picture doubled"_s.arg(control)));
}

QTEST_MAIN(tst_HighDpi)
#include "tst_highdpi.moc"
