#include "check.h"
#include "fakeprompts.h"
#include "formdesign.h"
#include "mainwindow.h"
#include "picturebox.h"
#include "quietsettings.h"

#include <QDate>
#include <QListWidget>
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

private:
    void fillList(int count);
    void click(Check *box);
    int marked() const { return int(window->List1->selectedItems().size()); }

    std::unique_ptr<Main> window;
    QTemporaryDir settingsDir;
    QList<FakePrompts::Shown> shown;
    QStringList opened;
};

void tst_WindowCheckboxes::init()
{
    shown.clear();
    opened.clear();
    window = std::make_unique<Main>();
    window->setPrompts(std::make_unique<FakePrompts>(&shown, &opened));
    window->setSettingsStore(QuietSettings(settingsDir));
    window->Load();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void tst_WindowCheckboxes::cleanup()
{
    window.reset();
}

void tst_WindowCheckboxes::fillList(int count)
{
    for (int i = 1; i <= count; ++i)
        window->List1->addItem(u"%1 Artist - Song"_s.arg(i, 4, 10, QLatin1Char('0')));
}

void tst_WindowCheckboxes::click(Check *box)
{
    // Through the window at the box's place, as a user clicks.
    const QPoint at = box->Picture1->mapTo(window.get(), QPoint(6, 6));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
}

void tst_WindowCheckboxes::boxesStartFromTheirSavedDesign()
{
    // Before the settings are applied.
    const Main fresh;
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
    QVERIFY(!window->SuppressEvents());
}

void tst_WindowCheckboxes::clickOnTickedCheck1StillMarksEverySong()
{
    fillList(3);
    click(window->Check1);
    QVERIFY(window->Check1->Value());
    // Songs that arrive later are not marked; the box stays ticked.
    fillList(4);
    QCOMPARE(marked(), 3);
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

    const QRect third = window->List1->visualItemRect(window->List1->item(2));
    QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {}, third.center());
    QVERIFY(!window->List1->item(2)->isSelected());
    QVERIFY(!window->Check1->Value());
    QCOMPARE(PictureName(window->Check1->ShownPicture()), u"IdleNoValue"_s);
    // Clearing the tick raised Click, yet the window kept the song unmarked.
    QCOMPARE(marked(), 4);

    // Marking it again does not tick the box.
    QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(marked(), 5);
    QVERIFY(!window->Check1->Value());
}

QTEST_MAIN(tst_WindowCheckboxes)
#include "tst_window_checkboxes.moc"
