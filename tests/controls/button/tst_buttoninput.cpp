#include "buttoninput.h"
#include "eventrecorder.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ButtonInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pressMoveOutReleaseOutside();
    void pressThatTookFocusStillLeavesOnFirstMoveOut();
    void pressAndReleaseInside();
    void releaseOutsideWithoutAMoveIsNoClick();
    void rightButtonShowsNoPressAndNeverClicks();
    void enteringWithButtonsHeldTakesTheirMask();
    void backInsideWithButtonHeldClicksOnRelease();
    void spaceDownAndUp();
    void heldSpaceDoesNotPressAgain();
    void otherKeysArePassedOn();
    void accessKeyClicksOnlyWhenEnabled();
    void leavingWithoutAMove();
    void focusAndResetDropFlags();

private:
    ButtonInput *b = nullptr;
    QObject *context = nullptr;
    QStringList *log = nullptr;
};

void tst_ButtonInput::init()
{
    b = new ButtonInput;
    context = new QObject;
    log = RecordEvents(b, context);
}

void tst_ButtonInput::cleanup()
{
    delete context;
    delete b;
}

void tst_ButtonInput::pressMoveOutReleaseOutside()
{
    b->mouseMove(0, 0, 5, 5, true);
    b->mouseDown(1, 0, 5, 5, true);
    QCOMPARE(b->pressState(), 1);
    b->mouseMove(1, 0, 50, 5, false);
    QCOMPARE(b->pressState(), 0);
    QVERIFY(!b->hovering());
    // From now on the pointer is someone else's.
    b->mouseMove(1, 0, 60, 5, false);
    b->mouseUp(1, 0, 60, 5, false);
    QCOMPARE(*log, (QStringList{u"MouseIn 0"_s, u"MouseMove 0 0 5 5"_s, u"MouseDown 1 0 5 5"_s,
                                u"MouseOut 0"_s, u"MouseMove 1 0 50 5"_s}));
}

void tst_ButtonInput::pressThatTookFocusStillLeavesOnFirstMoveOut()
{
    b->mouseMove(0, 0, 5, 5, true);
    b->focusIn(); // a click focuses before the press arrives
    b->mouseDown(1, 0, 5, 5, true);
    b->mouseMove(1, 0, 50, 5, false);
    QCOMPARE(log->mid(2),
             (QStringList{u"MouseDown 1 0 5 5"_s, u"MouseOut 0"_s, u"MouseMove 1 0 50 5"_s}));
}

void tst_ButtonInput::pressAndReleaseInside()
{
    b->mouseMove(0, 1, 5, 5, true);
    b->mouseDown(1, 1, 5, 5, true);
    b->mouseUp(1, 1, 5, 5, true);
    QVERIFY(!b->hovering());
    QCOMPARE(b->pressState(), 0);
    b->mouseMove(0, 0, 6, 5, true);
    QCOMPARE(*log, (QStringList{u"MouseIn 1"_s, u"MouseMove 0 1 5 5"_s, u"MouseDown 1 1 5 5"_s,
                                u"Click"_s, u"MouseUp 1 1 5 5"_s, u"MouseIn 0"_s,
                                u"MouseMove 0 0 6 5"_s}));
}

void tst_ButtonInput::releaseOutsideWithoutAMoveIsNoClick()
{
    b->mouseMove(0, 0, 5, 5, true);
    b->mouseDown(1, 0, 5, 5, true);
    b->mouseUp(1, 0, 50, 5, false); // the pointer jumped out between press and release
    QVERIFY(!log->contains(u"Click"_s));
    QCOMPARE(b->pressState(), 0);
}

void tst_ButtonInput::rightButtonShowsNoPressAndNeverClicks()
{
    b->mouseMove(0, 0, 5, 5, true);
    b->mouseDown(2, 0, 5, 5, true);
    QCOMPARE(b->pressState(), 0);
    b->mouseUp(2, 0, 5, 5, true);
    QCOMPARE(log->mid(2), (QStringList{u"MouseDown 2 0 5 5"_s, u"MouseUp 2 0 5 5"_s}));
}

void tst_ButtonInput::enteringWithButtonsHeldTakesTheirMask()
{
    b->mouseMove(2, 0, 5, 5, true);
    QCOMPARE(b->pressState(), 2);
    QVERIFY(b->hovering());
    b->mouseMove(2, 0, 50, 5, false);
    b->mouseMove(6, 0, 7, 5, true);
    QCOMPARE(b->pressState(), 6);
}

void tst_ButtonInput::backInsideWithButtonHeldClicksOnRelease()
{
    b->mouseMove(0, 0, 5, 5, true);
    b->mouseDown(1, 0, 5, 5, true);
    b->mouseMove(1, 0, 50, 5, false);
    b->mouseMove(1, 0, 6, 5, true);
    QCOMPARE(b->pressState(), 1);
    b->mouseUp(1, 0, 6, 5, true);
    QCOMPARE(log->mid(5), (QStringList{u"MouseIn 0"_s, u"MouseMove 1 0 6 5"_s, u"Click"_s,
                                       u"MouseUp 1 0 6 5"_s}));
}

void tst_ButtonInput::spaceDownAndUp()
{
    b->keyDown(32, 1);
    QCOMPARE(b->pressState(), 1);
    QVERIFY(b->hovering());
    b->keyUp(32, 1);
    QCOMPARE(b->pressState(), 0);
    QVERIFY(!b->hovering());
    QCOMPARE(*log,
             (QStringList{u"KeyDown 32 1"_s, u"Click"_s, u"MouseUp 1 1 0 0"_s, u"KeyUp 32 1"_s}));
}

void tst_ButtonInput::heldSpaceDoesNotPressAgain()
{
    QSignalSpy repaints(b, &ButtonInput::changed);
    b->keyDown(32, 0);
    b->keyDown(32, 0);
    b->keyDown(32, 0);
    QCOMPARE(repaints.size(), 1);
    QCOMPARE(log->size(), 3);
    QVERIFY(!log->contains(u"Click"_s));
}

void tst_ButtonInput::otherKeysArePassedOn()
{
    b->keyDown(13, 2);
    b->keyUp(13, 2);
    QCOMPARE(b->pressState(), 0);
    QCOMPARE(*log, (QStringList{u"KeyDown 13 2"_s, u"KeyUp 13 2"_s}));
}

void tst_ButtonInput::accessKeyClicksOnlyWhenEnabled()
{
    b->accessKey(false);
    QVERIFY(log->isEmpty());
    b->accessKey(true);
    QCOMPARE(*log, QStringList{u"Click"_s});
    QCOMPARE(b->pressState(), 0);
}

void tst_ButtonInput::leavingWithoutAMove()
{
    // Space held with the pointer elsewhere: the button never had the pointer.
    b->keyDown(32, 0);
    b->pointerLeft(0);
    QVERIFY(b->hovering());
    b->keyUp(32, 0);
    log->clear();

    b->mouseMove(0, 0, 5, 5, true);
    b->pointerLeft(4);
    QVERIFY(!b->hovering());
    QVERIFY(!b->tracking());
    QCOMPARE(*log, (QStringList{u"MouseIn 0"_s, u"MouseMove 0 0 5 5"_s, u"MouseOut 4"_s}));
}

void tst_ButtonInput::focusAndResetDropFlags()
{
    b->mouseMove(0, 0, 5, 5, true);
    b->focusIn();
    QVERIFY(b->hasFocus());
    QVERIFY(!b->hovering());
    b->mouseDown(1, 0, 5, 5, true);
    b->mouseMove(1, 0, 5, 6, true);
    QVERIFY(b->hovering());
    b->focusOut();
    QVERIFY(!b->hasFocus());
    QCOMPARE(b->pressState(), 0);
    QVERIFY(!b->hovering());

    b->focusIn();
    b->keyDown(32, 0);
    b->reset();
    QVERIFY(!b->hasFocus());
    QCOMPARE(b->pressState(), 0);
    QVERIFY(!b->hovering());
    QVERIFY(!b->tracking());
}

QTEST_APPLESS_MAIN(tst_ButtonInput)
#include "tst_buttoninput.moc"
