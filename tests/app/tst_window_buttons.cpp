#include "mainwindow.h"
#include "windowfixture.h"
#include "xpb.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The window's two themed buttons, clicked as a user would.
class tst_WindowButtons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void buttonsAsDesigned();
    void startIsLockedUntilInputsAreEnabled();
    void folderButtonOpensTheChooser();
    void startWithMissingFolderWarns();

private:
    std::unique_ptr<WindowFixture> fx;
    TestWindow *window = nullptr;
};

void tst_WindowButtons::init()
{
    fx = std::make_unique<WindowFixture>();
    fx->writeSettings(u"127.0.0.1:9"_s); // never asked: the day's update check is done
    window = fx->createWindow();
    window->Load();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void tst_WindowButtons::cleanup()
{
    fx.reset();
}

void tst_WindowButtons::buttonsAsDesigned()
{
    QCOMPARE(window->Command1->Caption(), u"Старт!"_s);
    QCOMPARE(window->Command1->ButtonStyle(), 1);
    QCOMPARE(window->XpB1->Caption(), u"..."_s);
    QCOMPARE(window->XpB1->ButtonStyle(), 1);
    QCOMPARE(window->XpB1->size(), QSize(19, 19));
}

void tst_WindowButtons::startIsLockedUntilInputsAreEnabled()
{
    window->Text2->setText(u"/no/such/folder/"_s);
    QVERIFY(!window->Command1->EnabledCtrl());
    QVERIFY(!window->Command1->isEnabled());
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(fx->shown.isEmpty());

    window->EnableInputs(true);
    QVERIFY(window->Command1->EnabledCtrl());
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(fx->shown.size(), 1);
}

void tst_WindowButtons::folderButtonOpensTheChooser()
{
    QTemporaryDir dir;
    fx->prompts->folderAnswer = dir.path();
    QTest::mouseClick(window->XpB1, Qt::LeftButton);
    QCOMPARE(fx->shown.size(), 1);
    QCOMPARE(fx->shown[0].kind, u"folder"_s);
    QCOMPARE(fx->shown[0].title, u"Выберите каталог для сохранения файлов"_s);
    QVERIFY(window->Text2->text().startsWith(dir.path()));

    // Locked while busy.
    window->EnableInputs(false);
    QTest::mouseClick(window->XpB1, Qt::LeftButton);
    QCOMPARE(fx->shown.size(), 1);
}

void tst_WindowButtons::startWithMissingFolderWarns()
{
    window->EnableInputs(true);
    window->Text2->setText(u"/no/such/folder/"_s);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(fx->shown.size(), 1);
    QCOMPARE(fx->shown[0].kind, u"information"_s);
    QCOMPARE(fx->shown[0].title, u"Внимание!"_s);
    QCOMPARE(fx->shown[0].text, u"Не выбран или не существует каталог для сохранения!"_s);
    QVERIFY(window->Command1->EnabledCtrl());
}

QTEST_MAIN(tst_WindowButtons)
#include "tst_window_buttons.moc"
