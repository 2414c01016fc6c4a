#include "chartsite.h"
#include "check.h"
#include "g.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

using Values = QMap<QString, QString>;

class tst_Settings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void restored_data();
    void restored();
    void loadWithPlaceholderFolderStoresNoPath();
    void storedTextsAreExact();
    void removedFolderIsShownAndStartWarns();

    void updateCheck_data();
    void updateCheck();
    void updateCheckOncePerDay();
    void updateCheckWithoutAReply_data();
    void updateCheckWithoutAReply();
    void unwritableStoreIsTold();
    void siteUrl_data();
    void siteUrl();

private:
    TestWindow *start(const Values &values);
    std::unique_ptr<ChartSite> site;
    std::unique_ptr<WindowFixture> fx;
};

void tst_Settings::init()
{
    site = std::make_unique<ChartSite>();
    QVERIFY(site->listen());
    fx = std::make_unique<WindowFixture>();
}

void tst_Settings::cleanup()
{
    fx.reset();
    site.reset();
}

TestWindow *tst_Settings::start(const Values &values)
{
    fx->writeSettings(site->hostAndPort(), values);
    TestWindow *window = fx->createWindow();
    return fx->load() ? window : nullptr;
}

void tst_Settings::restored_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<int>("station");
    QTest::addColumn<bool>("startupLoad");
    QTest::addColumn<bool>("noNumbers");
    QTest::addColumn<bool>("byDate");

    QTest::newRow("fresh store") << Values{} << -1 << false << true << false;
    QTest::newRow("NoNum False") << Values{{u"NoNum"_s, u"False"_s}} << -1 << false << false
                                 << false;
    QTest::newRow("NoNum lower-case true")
        << Values{{u"NoNum"_s, u"true"_s}} << -1 << false << false << false;
    QTest::newRow("SubFolsers True")
        << Values{{u"SubFolsers"_s, u"True"_s}} << -1 << false << true << true;
    QTest::newRow("SubFolsers TRUE")
        << Values{{u"SubFolsers"_s, u"TRUE"_s}} << -1 << false << true << false;
    QTest::newRow("station 3") << Values{{u"Station"_s, u"3"_s}} << 3 << true << true << false;
    QTest::newRow("station -1") << Values{{u"Station"_s, u"-1"_s}} << -1 << false << true << false;
    QTest::newRow("station 7") << Values{{u"Station"_s, u"7"_s}} << -1 << false << true << false;
    QTest::newRow("station not a number")
        << Values{{u"Station"_s, u"two"_s}} << -1 << false << true << false;
}

void tst_Settings::restored()
{
    QFETCH(Values, values);
    QFETCH(int, station);
    QFETCH(bool, startupLoad);
    QFETCH(bool, noNumbers);
    QFETCH(bool, byDate);

    TestWindow *window = start(values);
    QCOMPARE(window->Combo1->currentIndex(), station);
    QCOMPARE(window->MT->isActive(), startupLoad);
    QCOMPARE(window->Check2->Value(), noNumbers);
    QCOMPARE(window->Check3->Value(), byDate);
    QCOMPARE(window->Text2->text(), u"Выберите каталог для сохранения"_s);
    QVERIFY(site->requests().isEmpty());
}

void tst_Settings::loadWithPlaceholderFolderStoresNoPath()
{
    TestWindow *window = start({});
    QVERIFY(window);
    QVERIFY(fx->pick(1));
    QCOMPARE(fx->stored(u"Station"_s), u"1"_s);
    QCOMPARE(fx->stored(u"NoNum"_s), u"True"_s);
    QCOMPARE(fx->stored(u"SubFolsers"_s), u"False"_s);
    QSettings store(fx->settingsPath(), QSettings::IniFormat);
    QVERIFY(!store.contains(u"Main/Path"_s));
}

void tst_Settings::storedTextsAreExact()
{
    TestWindow *window = start({{u"NoNum"_s, u"False"_s}});
    window->Check3->setValue(true);
    window->Text2->setText(fx->dir.path() + QDir::separator());
    QVERIFY(fx->startRun());
    QCOMPARE(fx->stored(u"Station"_s), u"-1"_s);
    QCOMPARE(fx->stored(u"NoNum"_s), u"False"_s);
    QCOMPARE(fx->stored(u"SubFolsers"_s), u"True"_s);
    QCOMPARE(fx->stored(u"Path"_s), fx->dir.path() + QDir::separator());
}

void tst_Settings::removedFolderIsShownAndStartWarns()
{
    const QString gone = fx->dir.filePath(u"gone"_s) + QDir::separator();
    TestWindow *window = start({{u"Path"_s, gone}});
    QCOMPARE(window->Text2->text(), gone);
    window->Command1_Click();
    QCOMPARE(fx->shown.size(), 1);
    QCOMPARE(fx->shown[0].text, u"Не выбран или не существует каталог для сохранения!"_s);
    QCOMPARE(fx->stored(u"Station"_s), QString()); // settings not saved either
}

void tst_Settings::updateCheck_data()
{
    QTest::addColumn<QString>("siteVersion");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("same version") << u"1.1"_s << true << false << u"01.01.2014"_s;
    QTest::newRow("newer, yes") << u"1.2"_s << true << true << u"01.01.2014"_s;
    QTest::newRow("newer, no") << u"1.2"_s << false << true << u"01.01.2014"_s;
    QTest::newRow("older") << u"1.0"_s << false << true << u"01.01.2014"_s;
    // Days are compared for equality, never in text order.
    QTest::newRow("stamp sorting after today") << u"1.1"_s << false << false << u"31.12.2013"_s;
}

void tst_Settings::updateCheck()
{
    QFETCH(QString, siteVersion);
    QFETCH(bool, answerYes);
    QFETCH(bool, offered);
    QFETCH(QString, stamp);
    site->setVersion(siteVersion);
    fx->writeSettings(site->hostAndPort(), {{u"LastUpdate"_s, stamp}, {u"Station"_s, u"2"_s}});
    TestWindow *window = fx->createWindow();
    fx->prompts->questionAnswer = answerYes;
    QVERIFY(fx->load());

    QCOMPARE(site->requests(), QStringList{u"GET /version/tunetrawl.php"_s});
    QCOMPARE(fx->stored(u"LastUpdate"_s), WindowFixture::today());
    const QString link = u"http://"_s + site->hostAndPort() + u"/download/"_s;
    if (offered) {
        QCOMPARE(fx->shown.size(), 1);
        QCOMPARE(fx->shown[0].kind, u"question"_s);
        QCOMPARE(fx->shown[0].title, u"Новая версия"_s);
        QCOMPARE(fx->shown[0].text, u"Обнаружена более новая версия программы - "_s + siteVersion +
                                        u"\r\nПерейти к странице загрузки "_s + link);
    } else {
        QVERIFY(fx->shown.isEmpty());
    }
    QCOMPARE(fx->opened, answerYes && offered ? QStringList{link} : QStringList{});
    QCOMPARE(window->st->text(), u"Проверка новой версии..."_s);
    // The check runs before the rest is restored.
    QCOMPARE(window->Combo1->currentIndex(), 2);
}

void tst_Settings::updateCheckOncePerDay()
{
    site->setVersion(u"9.9"_s);
    start({{u"LastUpdate"_s, WindowFixture::today()}});
    QVERIFY(site->requests().isEmpty());
    QVERIFY(fx->shown.isEmpty());
}

void tst_Settings::updateCheckWithoutAReply_data()
{
    QTest::addColumn<bool>("silent");
    QTest::newRow("refused") << false;
    QTest::newRow("silent") << true;
}

void tst_Settings::updateCheckWithoutAReply()
{
    QFETCH(bool, silent);
    QTcpServer quiet; // accepts and never answers
    QVERIFY(quiet.listen(QHostAddress::LocalHost));
    const quint16 port = quiet.serverPort();
    if (!silent)
        quiet.close();
    fx->writeSettings(site->hostAndPort(),
                      {{u"LastUpdate"_s, u"01.01.2014"_s}, {u"Station"_s, u"5"_s}});
    QSettings(fx->settingsPath(), QSettings::IniFormat)
        .setValue(u"Main/UpdateHost"_s, u"127.0.0.1:"_s + QString::number(port));
    // Only the check's own deadline can end a silent wait here: the watchdog and
    // the idle limit are far away. Without the deadline start-up never ends.
    fx->timings.exchange.FirstDataMs = 600000;
    fx->timings.exchange.IdleMs = 600000;
    fx->timings.updateDeadlineMs = 800;
    TestWindow *window = fx->createWindow();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(fx->load());
    if (silent)
        QVERIFY(clock.elapsed() >= 800);

    QCOMPARE(fx->stored(u"LastUpdate"_s), u"01.01.2014"_s); // asked again next start
    QVERIFY(fx->shown.isEmpty());
    QCOMPARE(window->Combo1->currentIndex(), 5);
    QTRY_VERIFY(window->SongCount() > 0); // the start-up load still comes
}

void tst_Settings::unwritableStoreIsTold()
{
    // A folder where the settings file should be: nothing can be written there.
    const QString store = fx->dir.filePath(u"store"_s);
    QVERIFY(QDir().mkpath(store));
    TestWindow *window = fx->createWindow();
    window->setSettingsStore(std::make_unique<QSettings>(store, QSettings::IniFormat));
    QVERIFY(fx->load());
    QVERIFY(fx->pick(5));
    QVERIFY(window->st->text().endsWith(u" (настройки не сохранены)"_s));
    // Said once: the next load says nothing more about it.
    QVERIFY(fx->pick(5));
    QVERIFY(!window->st->text().contains(u"настройки"_s));
}

void tst_Settings::siteUrl_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("url");
    QTest::newRow("bare host is plain HTTP") << u"h:8080"_s << u"http://h:8080"_s;
    QTest::newRow("https kept") << u"https://h"_s << u"https://h"_s;
    QTest::newRow("trailing slash dropped") << u"https://h/"_s << u"https://h"_s;
}

void tst_Settings::siteUrl()
{
    QFETCH(QString, host);
    QFETCH(QString, url);
    QCOMPARE(StoredSettings::siteUrl(host), url);
}

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
