#include "check.h"
#include "propertybag.h"
#include "uccalendar.h"
#include "xpb.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The drawn controls on a screen of ratio 2 (the test runs with QT_SCALE_FACTOR=2):
// logical sizes as designed, and detail finer than the 2 x 2 device pixels of a
// logical one, which a 1x picture doubled never has.
class tst_HighDpi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawnForTheDevicePixels_data();
    void drawnForTheDevicePixels();
};

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
    QWidget *w = nullptr;
    if (control == u"calendar") {
        auto *cal = new ucCalendar(&host);
        cal->ReadProperties(PropertyBag::fromJson({{u"BorderStyle"_s, 0}}));
        w = cal;
    } else if (control.endsWith(u"check")) {
        auto *box = new Check(&host);
        box->setValue(control.startsWith(u"ticked"));
        w = box;
    } else {
        auto *button = new XpB(&host);
        button->ReadProperties(PropertyBag::fromJson({{u"Caption"_s, u"Старт!"_s}}));
        w = button;
    }
    w->resize(size);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    w->setFocus();
    QCOMPARE(w->size(), size);
    const QImage image = w->grab().toImage();
    QCOMPARE(image.devicePixelRatio(), 2.0);
    QCOMPARE(image.size(), size * 2);
    int fine = 0;
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            fine += image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p ||
                    image.pixel(x + 1, y + 1) != p;
        }
    }
    QVERIFY2(fine > 0, qPrintable(control + u" is a 1x picture doubled"_s));
}

QTEST_MAIN(tst_HighDpi)
#include "tst_highdpi.moc"
