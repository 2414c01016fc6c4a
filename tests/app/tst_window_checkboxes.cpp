#include "check.h"
#include "formdesign.h"
#include "mainwindow.h"
#include "picturebox.h"
#include "playlistmodel.h"
#include "windowfixture.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_WindowCheckboxes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void boxesStartFromTheirSavedDesign();
    void clickOnCheck1MarksEverySong();
    void clickOnTickedCheck1StillMarksEverySong();
    void unmarkingASongByAClickClearsCheck1();
    void tabGoesThroughTheWindowInReadingOrder();
    void spaceAndCaptionsClickTheBoxes_data();
    void spaceAndCaptionsClickTheBoxes();

private:
    void fillList(int count);
    void click(Check *box);
    int marked() const { return window->MarkedCount(); }

    std::unique_ptr<WindowFixture> fx;
    TestWindow *window = nullptr;
};

void tst_WindowCheckboxes::init()
{
    fx = std::make_unique<WindowFixture>();
    fx->writeSettings(u"127.0.0.1:9"_s); // never asked: the day's update check is done
    window = fx->createWindow();
    window->Load();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void tst_WindowCheckboxes::cleanup()
{
    fx.reset();
}

void tst_WindowCheckboxes::fillList(int count)
{
    QList<SongEntry> songs;
    for (int i = 1; i <= count; ++i)
        songs.append({i, u"Artist - Song"_s, u"http://127.0.0.1/"_s});
    window->songs()->setSongs(songs);
}

void tst_WindowCheckboxes::click(Check *box)
{
    // Through the window at the box's place, as a user clicks.
    const QPoint at = box->Picture1->mapTo(window, QPoint(6, 6));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
}

void tst_WindowCheckboxes::boxesStartFromTheirSavedDesign()
{
    // Before the settings are applied.
    const TestWindow fresh;
    for (Check *box : {fresh.Check1, fresh.Check2, fresh.Check3}) {
        const QString name = box->objectName();
        const PropertyBag saved = FormDesign::SavedProperties(name);
        QCOMPARE(box->Value(), saved.ReadProperty(u"Value"_s, false).toBool());
        QCOMPARE(box->Enabled(), saved.ReadProperty(u"Enabled"_s, true).toBool());
        PropertyBag now;
        box->WriteProperties(now);
        QCOMPARE(now.toJson(), saved.toJson());
        QCOMPARE(box->geometry(), FormDesign::Geometry(name));
        QCOMPARE(PictureName(box->ShownPicture()), u"IdleNoValue"_s);
    }
}

void tst_WindowCheckboxes::clickOnCheck1MarksEverySong()
{
    fillList(12);
    click(window->Check1);
    QVERIFY(window->Check1->Value());
    QCOMPARE(marked(), 12);
}

void tst_WindowCheckboxes::clickOnTickedCheck1StillMarksEverySong()
{
    fillList(3);
    click(window->Check1);
    QVERIFY(window->Check1->Value());
    // Songs that arrive later (a new list) are not marked; the box stays ticked.
    fillList(7);
    QCOMPARE(marked(), 0);
    QVERIFY(window->Check1->Value());

    click(window->Check1);
    QVERIFY(!window->Check1->Value());
    QCOMPARE(marked(), 7);
}

void tst_WindowCheckboxes::unmarkingASongByAClickClearsCheck1()
{
    fillList(5);
    click(window->Check1);
    QVERIFY(window->Check1->Value());

    const QRect third = window->List1->visualRect(window->Playlist->index(2, 0));
    QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {}, third.center());
    QVERIFY(!window->IsMarked(2));
    QVERIFY(!window->Check1->Value());
    QCOMPARE(PictureName(window->Check1->ShownPicture()), u"IdleNoValue"_s);
    // Clearing the tick raised Click, yet the window kept the song unmarked.
    QCOMPARE(marked(), 4);

    // Marking it again does not tick the box.
    QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(marked(), 5);
    QVERIFY(!window->Check1->Value());
}

void tst_WindowCheckboxes::tabGoesThroughTheWindowInReadingOrder()
{
    // The start button is locked until a list is loaded.
    window->EnableInputs(true);
    window->Text1->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{u"Text1"_s, u"Combo1"_s, u"Command1"_s, u"List1"_s, u"Check1"_s,
                                   u"Check2"_s, u"Check3"_s, u"Text2"_s, u"XpB1"_s, u"Text1"_s}));
}

void tst_WindowCheckboxes::spaceAndCaptionsClickTheBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("byCaption");
    QTest::newRow("Space on Check1") << u"Check1"_s << false;
    QTest::newRow("a click on Label2") << u"Check1"_s << true;
    QTest::newRow("a click on Label4") << u"Check3"_s << true;
}

void tst_WindowCheckboxes::spaceAndCaptionsClickTheBoxes()
{
    QFETCH(QString, box);
    QFETCH(bool, byCaption);
    fillList(4);
    Check *check = window->findChild<Check *>(box);
    check->setFocus();
    if (byCaption) {
        window->Text1->setFocus();
        const QPoint at = check->CaptionLabel()->geometry().center();
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
    } else {
        QTest::keyClick(check, Qt::Key_Space);
    }
    QVERIFY(check->Value());
    // The box has the focus, as after a click on it; Check1's Click marks every song.
    QCOMPARE(QApplication::focusWidget(), check);
    QCOMPARE(marked(), box == u"Check1" ? 4 : 0);
}

QTEST_MAIN(tst_WindowCheckboxes)
#include "tst_window_checkboxes.moc"
