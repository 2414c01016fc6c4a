#include "check.h"
#include "checkartwork.h"
#include "picturebox.h"
#include "propertybag.h"

#include <QAccessibleActionInterface>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// The box's events in the order raised, each with the value the host sees then.
class EventLog : public QObject
{
public:
    explicit EventLog(Check *box) : box(box)
    {
        connect(box, &Check::MouseDown, this,
                [this](qint16, qint16, float, float) { add(u"MouseDown"_s); });
        connect(box, &Check::Click, this, [this] { add(u"Click"_s); });
        connect(box, &Check::DblClick, this, [this] { add(u"DblClick"_s); });
    }
    QStringList entries;

private:
    void add(const QString &event) { entries.append(event + (box->Value() ? u"+"_s : u"-"_s)); }
    Check *box;
};

QString Name(CheckPicture picture)
{
    return PictureName(picture);
}

// The designed 1x look of a picture, as committed.
QImage Designed(CheckPicture picture)
{
    const QString path = QStringLiteral(CHECK_PICTURES_DIR "/") + PictureName(picture) + u".png"_s;
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class tst_Check : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void newBoxIsIdleUncheckedAndKeepsItsSize();
    void singleLeftClick();
    void otherButtons_data();
    void otherButtons();
    void doubleClickFlipsOnceAndClicksTwice();
    void mouseDownReportsButtonShiftAndPosition();
    void writingValue_data();
    void writingValue();
    void disablingWhileHoveredStopsPolling();
    void hoverEndsWhenTheCursorLeaves();
    void pressCutShortByDisablingDoesNotBlockHover();
    void loading_data();
    void loading();
    void roundTripThroughTheBag();
    void picturesAreTheDrawnArtwork();
    void framesStayWholeAtEveryRatio_data();
    void framesStayWholeAtEveryRatio();
    void shownPictureIsWhatIsPainted();
    void keysCaptionAndTools_data();
    void keysCaptionAndTools();
    void assistiveToolsSeeACheckBox();

private:
    QPoint overBox() const { return box->Picture1->mapToGlobal(QPoint(6, 6)); }
    QPoint awayFromBox() const { return host->mapToGlobal(QPoint(60, 60)); }

    std::unique_ptr<QWidget> host;
    Check *box = nullptr;
};

void tst_Check::init()
{
    host = std::make_unique<QWidget>();
    host->resize(100, 100);
    box = new Check(host.get());
    box->move(10, 10);
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    QCursor::setPos(awayFromBox());
}

void tst_Check::cleanup()
{
    host.reset();
}

void tst_Check::newBoxIsIdleUncheckedAndKeepsItsSize()
{
    QVERIFY(!box->Value());
    QVERIFY(box->Enabled());
    QCOMPARE(Name(box->ShownPicture()), u"IdleNoValue"_s);
    QVERIFY(!box->Timer1->isActive());
    QCOMPARE(box->Timer1->interval(), 50);
    QCOMPARE(box->size(), QSize(13, 13));
    QCOMPARE(box->Picture1->geometry(), QRect(0, 0, 13, 13));
    box->resize(40, 20);
    box->setGeometry(0, 0, 195, 195);
    QCOMPARE(box->size(), QSize(13, 13));
}

void tst_Check::singleLeftClick()
{
    EventLog log(box);
    QCursor::setPos(overBox());

    QTest::mousePress(box->Picture1, Qt::LeftButton);
    QCOMPARE(log.entries, QStringList{u"MouseDown-"_s});
    QVERIFY(box->Value());
    QVERIFY(box->Pressed());
    QCOMPARE(Name(box->ShownPicture()), u"PushedNoValue"_s);
    QVERIFY(!box->Timer1->isActive());

    QTest::mouseRelease(box->Picture1, Qt::LeftButton);
    QCOMPARE(log.entries, (QStringList{u"MouseDown-"_s, u"Click+"_s}));
    QVERIFY(!box->Pressed());
    // The pushed picture stays until the polling takes over.
    QCOMPARE(Name(box->ShownPicture()), u"PushedNoValue"_s);
    QVERIFY(box->Timer1->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(Name(box->ShownPicture()), u"MouseoverChecked"_s, 2000);
    QVERIFY(box->Timer1->isActive());

    // A click on a checked box: the pushed picture shows it still checked.
    QTest::mousePress(box->Picture1, Qt::LeftButton);
    QVERIFY(!box->Value());
    QCOMPARE(Name(box->ShownPicture()), u"PushedChecked"_s);
    QTest::mouseRelease(box->Picture1, Qt::LeftButton);
    QCOMPARE(log.entries.size(), 4);
    QCOMPARE(log.entries.last(), u"Click-"_s);
}

void tst_Check::otherButtons_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("right, unchecked") << Qt::RightButton << false << QStringList();
    QTest::newRow("right, checked") << Qt::RightButton << true << QStringList();
    QTest::newRow("middle clicks without a change")
        << Qt::MiddleButton << false << QStringList{u"Click-"_s};
    QTest::newRow("middle on checked") << Qt::MiddleButton << true << QStringList{u"Click+"_s};
}

void tst_Check::otherButtons()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, checked);
    QFETCH(QStringList, events);

    box->ReadProperties(PropertyBag::fromJson({{u"Value"_s, checked}}));
    const CheckPicture before = box->ShownPicture();
    EventLog log(box);

    QTest::mousePress(box->Picture1, button);
    QCOMPARE(box->Value(), checked);
    QVERIFY(!box->Pressed());
    QCOMPARE(Name(box->ShownPicture()), Name(before));
    QTest::mouseRelease(box->Picture1, button);
    QCOMPARE(log.entries, events);
    QCOMPARE(box->Value(), checked);

    QTest::mouseDClick(box->Picture1, button);
    QTest::mouseRelease(box->Picture1, button);
    QCOMPARE(box->Value(), checked);
    QCOMPARE(log.entries.contains(u"DblClick"_s + (checked ? u"+"_s : u"-"_s)),
             button != Qt::RightButton);
}

void tst_Check::doubleClickFlipsOnceAndClicksTwice()
{
    EventLog log(box);
    QCursor::setPos(overBox());
    // Through the window, so the toolkit itself turns the second press into a double click.
    QWindow *window = host->windowHandle();
    const QPoint at = box->Picture1->mapTo(host.get(), QPoint(6, 6));
    QTest::mouseDClick(window, Qt::LeftButton, {}, at);
    QCOMPARE(log.entries, (QStringList{u"MouseDown-"_s, u"Click+"_s, u"DblClick+"_s, u"Click+"_s}));
    QVERIFY(box->Value());
    QVERIFY(!box->Pressed());

    box->setEnabled(false);
    log.entries.clear();
    QTest::mouseDClick(window, Qt::LeftButton, {}, at);
    QVERIFY(log.entries.isEmpty());
    QVERIFY(box->Value());
}

void tst_Check::mouseDownReportsButtonShiftAndPosition()
{
    QSignalSpy down(box, &Check::MouseDown);
    QTest::mousePress(box->Picture1, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier,
                      QPoint(4, 9));
    QCOMPARE(down.size(), 1);
    QCOMPARE(down[0][0].value<qint16>(), qint16(1));
    QCOMPARE(down[0][1].value<qint16>(), qint16(3));
    QCOMPARE(down[0][2].toFloat(), 4.0f);
    QCOMPARE(down[0][3].toFloat(), 9.0f);
    QTest::mouseRelease(box->Picture1, Qt::LeftButton);

    QTest::mousePress(box->Picture1, Qt::LeftButton, Qt::AltModifier, QPoint(1, 2));
    QCOMPARE(down.size(), 2);
    QCOMPARE(down[1][1].value<qint16>(), qint16(4));
    QTest::mouseRelease(box->Picture1, Qt::LeftButton);

    box->setEnabled(false);
    QTest::mousePress(box->Picture1, Qt::LeftButton);
    QTest::mouseRelease(box->Picture1, Qt::LeftButton);
    QCOMPARE(down.size(), 2);
    QVERIFY(!box->Value());
}

void tst_Check::writingValue_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("picture");

    QTest::newRow("tick") << true << false << true << 1 << u"IdleChecked"_s;
    QTest::newRow("untick") << true << true << false << 1 << u"IdleNoValue"_s;
    QTest::newRow("unchanged true still clicks") << true << true << true << 1 << u"IdleChecked"_s;
    QTest::newRow("unchanged false still clicks")
        << true << false << false << 1 << u"IdleNoValue"_s;
    QTest::newRow("disabled tick is silent") << false << false << true << 0 << u"DisabledChecked"_s;
    QTest::newRow("disabled untick is silent")
        << false << true << false << 0 << u"DisabledNoValue"_s;
}

void tst_Check::writingValue()
{
    QFETCH(bool, enabled);
    QFETCH(bool, before);
    QFETCH(bool, written);
    QFETCH(int, clicks);
    QFETCH(QString, picture);

    box->ReadProperties(PropertyBag::fromJson({{u"Value"_s, before}, {u"Enabled"_s, enabled}}));
    QSignalSpy click(box, &Check::Click);
    box->setValue(written);
    QCOMPARE(click.size(), clicks);
    QCOMPARE(box->Value(), written);
    QCOMPARE(Name(box->ShownPicture()), picture);
    // Only a click starts the polling that brings back the hover picture.
    QCOMPARE(box->Timer1->isActive(), enabled);
}

void tst_Check::disablingWhileHoveredStopsPolling()
{
    QTest::mouseMove(box->Picture1, QPoint(6, 6));
    QTRY_COMPARE_WITH_TIMEOUT(Name(box->ShownPicture()), u"MouseoverNoValue"_s, 2000);
    QVERIFY(box->Timer1->isActive());

    box->setEnabled(false);
    QCOMPARE(Name(box->ShownPicture()), u"DisabledNoValue"_s);
    QVERIFY(!box->Timer1->isActive());

    // A poll that still comes in changes nothing and stops itself.
    box->Timer1->start();
    box->Timer1_Timer();
    QVERIFY(!box->Timer1->isActive());
    QCOMPARE(Name(box->ShownPicture()), u"DisabledNoValue"_s);

    box->setEnabled(true);
    QCOMPARE(Name(box->ShownPicture()), u"IdleNoValue"_s);
}

void tst_Check::hoverEndsWhenTheCursorLeaves()
{
    box->setValue(true);
    QCursor::setPos(overBox());
    QTRY_COMPARE_WITH_TIMEOUT(Name(box->ShownPicture()), u"MouseoverChecked"_s, 2000);
    QCursor::setPos(awayFromBox());
    QTRY_COMPARE_WITH_TIMEOUT(Name(box->ShownPicture()), u"IdleChecked"_s, 2000);
    QVERIFY(!box->Timer1->isActive());

    // A widget laid over the box takes the hover away too.
    QWidget cover(host.get());
    cover.setGeometry(0, 0, 40, 40);
    cover.show();
    box->Timer1->start();
    QCursor::setPos(overBox());
    box->Timer1_Timer();
    QCOMPARE(Name(box->ShownPicture()), u"IdleChecked"_s);
    QVERIFY(!box->Timer1->isActive());
}

void tst_Check::pressCutShortByDisablingDoesNotBlockHover()
{
    QTest::mousePress(box->Picture1, Qt::LeftButton);
    box->setEnabled(false);
    QTest::mouseRelease(box->Picture1, Qt::LeftButton);
    QCOMPARE(Name(box->ShownPicture()), u"DisabledChecked"_s);
    box->setEnabled(true);
    QVERIFY(!box->Pressed());
    QTest::mouseMove(box->Picture1, QPoint(5, 5));
    QTRY_COMPARE_WITH_TIMEOUT(Name(box->ShownPicture()), u"MouseoverChecked"_s, 2000);
}

void tst_Check::loading_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("value");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("picture");

    QTest::newRow("nothing stored") << QByteArray("{}") << false << true << u"IdleNoValue"_s;
    QTest::newRow("only Enabled") << QByteArray(R"({"Enabled": false})") << false << false
                                  << u"DisabledNoValue"_s;
    QTest::newRow("checked") << QByteArray(R"({"Value": true})") << true << true
                             << u"IdleChecked"_s;
    QTest::newRow("keys in lower case") << QByteArray(R"({"value": true, "enabled": false})")
                                        << true << false << u"DisabledChecked"_s;
    QTest::newRow("settings text") << QByteArray(R"({"Value": "True", "Enabled": "True"})") << true
                                   << true << u"IdleChecked"_s;
}

void tst_Check::loading()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, value);
    QFETCH(bool, enabled);
    QFETCH(QString, picture);

    // Loaded over a box that was ticked and enabled, so absent keys must reset it.
    box->setValue(true);
    QSignalSpy click(box, &Check::Click);
    box->ReadProperties(PropertyBag::fromJson(QJsonDocument::fromJson(stored).object()));
    QCOMPARE(click.size(), 0);
    QCOMPARE(box->Value(), value);
    QCOMPARE(box->Enabled(), enabled);
    QCOMPARE(Name(box->ShownPicture()), picture);
}

void tst_Check::roundTripThroughTheBag()
{
    PropertyBag untouched;
    box->WriteProperties(untouched);
    QVERIFY2(untouched.isEmpty(), "a new box stores only defaults");

    box->setValue(true);
    box->setEnabled(false);
    PropertyBag bag;
    box->WriteProperties(bag);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QSettings settings(dir.filePath(u"box.ini"_s), QSettings::IniFormat);
    settings.beginGroup(u"Check1"_s);
    bag.save(settings);
    settings.sync();

    const QList<PropertyBag> copies = {PropertyBag::fromJson(bag.toJson()),
                                       PropertyBag::load(settings)};
    for (const PropertyBag &copy : copies) {
        Check loaded;
        QSignalSpy click(&loaded, &Check::Click);
        loaded.ReadProperties(copy);
        QVERIFY(loaded.Value());
        QVERIFY(!loaded.Enabled());
        QCOMPARE(click.size(), 0);
    }

    // Inside a disabled parent the box keeps its own setting.
    Check inner(host.get());
    host->setEnabled(false);
    QCOMPARE(Name(inner.ShownPicture()), u"DisabledNoValue"_s);
    PropertyBag innerBag;
    inner.WriteProperties(innerBag);
    QVERIFY(innerBag.isEmpty());
}

void tst_Check::picturesAreTheDrawnArtwork()
{
    for (const CheckPicture picture : AllCheckPictures) {
        const QImage stored = Designed(picture);
        QVERIFY2(!stored.isNull(), qPrintable(PictureName(picture)));
        QCOMPARE(stored.size(), QSize(12, 12));
        QVERIFY2(stored == DrawCheckPicture(picture),
                 qPrintable(PictureName(picture) + u" differs from its drawing"_s));
    }
}

void tst_Check::framesStayWholeAtEveryRatio_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("side"); // device pixels
    QTest::addColumn<int>("line"); // device pixels of the frame
    QTest::addColumn<int>("face"); // grey of the first pixel inside it
    QTest::newRow("1.25") << 1.25 << 15 << 1 << 248;
    QTest::newRow("1.5: the frame takes a third of the bevel's first step")
        << 1.5 << 18 << 2 << 246;
    QTest::newRow("2") << 2.0 << 24 << 2 << 248;
}

void tst_Check::framesStayWholeAtEveryRatio()
{
    QFETCH(qreal, ratio);
    QFETCH(int, side);
    QFETCH(int, line);
    QFETCH(int, face);
    // A 1x picture scaled up would smear the dark frame into the light face.
    const QImage image = DrawCheckPicture(CheckPicture::IdleChecked, ratio);
    QCOMPARE(image.size(), QSize(side, side));
    QCOMPARE(image.devicePixelRatio(), ratio);
    const QColor frame(92, 92, 92);
    for (int i = 0; i < side; ++i) {
        for (int d = 0; d < line; ++d)
            QVERIFY(image.pixelColor(d, i) == frame && image.pixelColor(i, d) == frame &&
                    image.pixelColor(side - 1 - d, i) == frame);
    }
    QCOMPARE(image.pixelColor(line, line), QColor(face, face, face));
}

void tst_Check::shownPictureIsWhatIsPainted()
{
    const auto painted = [this] {
        return box->grab().toImage().copy(0, 0, 12, 12).convertToFormat(QImage::Format_RGB32);
    };
    const auto expected = [](CheckPicture picture) { return Designed(picture); };
    box->clearFocus();
    QCOMPARE(painted(), expected(CheckPicture::IdleNoValue));

    // The focus shows as the frame in the highlight colour; the face stays.
    box->setFocus();
    const QImage focused = painted();
    QCOMPARE(focused.pixelColor(11, 5), box->palette().color(QPalette::Highlight));
    QCOMPARE(focused.copy(1, 1, 10, 10), expected(CheckPicture::IdleNoValue).copy(1, 1, 10, 10));

    box->clearFocus();
    box->setValue(true);
    box->setEnabled(false);
    QCOMPARE(painted(), expected(CheckPicture::DisabledChecked));
    QVERIFY(painted() != expected(CheckPicture::DisabledNoValue));
}

void tst_Check::keysCaptionAndTools_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<bool>("value");

    QTest::newRow("Space") << u"space"_s << true << QStringList{u"Click+"_s} << true;
    QTest::newRow("Space held repeats once")
        << u"space repeated"_s << true << QStringList{u"Click+"_s} << true;
    QTest::newRow("focus leaves with Space down")
        << u"space then tab"_s << true << QStringList{u"Click+"_s} << true;
    QTest::newRow("caption click")
        << u"caption"_s << true << QStringList{u"MouseDown-"_s, u"Click+"_s} << true;
    QTest::newRow("caption double click")
        << u"caption double"_s << true
        << QStringList{u"MouseDown-"_s, u"Click+"_s, u"DblClick+"_s, u"Click+"_s} << true;
    QTest::newRow("caption of a disabled box") << u"caption"_s << false << QStringList() << false;
    QTest::newRow("Toggle") << u"toggle"_s << true << QStringList{u"Click+"_s} << true;
    QTest::newRow("Toggle on a disabled box") << u"toggle"_s << false << QStringList() << false;
}

void tst_Check::keysCaptionAndTools()
{
    QFETCH(QString, way);
    QFETCH(bool, enabled);
    QFETCH(QStringList, events);
    QFETCH(bool, value);

    auto *label = new QLabel(u"Caption"_s, host.get());
    label->setGeometry(30, 10, 60, 13);
    label->show();
    box->setCaptionLabel(label);
    box->setEnabled(enabled);
    box->setFocus();
    EventLog log(box);

    if (way.contains(u"space")) {
        QTest::keyPress(box, Qt::Key_Space);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, {}, u" "_s, true);
        if (way.contains(u"repeated"))
            QCoreApplication::sendEvent(box, &repeat);
        QCOMPARE(Name(box->ShownPicture()), u"PushedNoValue"_s);
        if (way.endsWith(u"tab"))
            box->clearFocus();
        else
            QTest::keyRelease(box, Qt::Key_Space);
    } else if (way == u"caption") {
        QTest::mouseClick(label, Qt::LeftButton);
    } else if (way == u"caption double") {
        QTest::mouseDClick(host->windowHandle(), Qt::LeftButton, {}, QPoint(40, 15));
    } else {
        box->Toggle();
    }
    QCOMPARE(log.entries, events);
    QCOMPARE(box->Value(), value);
    QVERIFY(!box->Pressed());
}

void tst_Check::assistiveToolsSeeACheckBox()
{
    auto *label = new QLabel(u"Не &нумеровать"_s, host.get());
    box->setCaptionLabel(label);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(box);
    QCOMPARE(iface->role(), QAccessible::CheckBox);
    QCOMPARE(iface->text(QAccessible::Name), u"Не нумеровать"_s);
    QTest::mousePress(box->Picture1, Qt::LeftButton);
    QVERIFY(iface->state().checked && iface->state().pressed);
    QTest::mouseRelease(box->Picture1, Qt::LeftButton);
    QVERIFY(!iface->state().pressed);

    // Toggle comes from the event loop, so a tool's call never waits on the host.
    QSignalSpy click(box, &Check::Click);
    const QString toggle = QAccessibleActionInterface::toggleAction();
    iface->actionInterface()->doAction(toggle);
    QCOMPARE(click.size(), 0);
    QVERIFY(click.wait(2000));
    QVERIFY(!box->Value() && !iface->state().checked);
    box->setEnabled(false);
    QVERIFY(!iface->actionInterface()->actionNames().contains(toggle));
}

QTEST_MAIN(tst_Check)
#include "tst_check.moc"
