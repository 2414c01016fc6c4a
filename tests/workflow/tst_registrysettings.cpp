#include "settingswriter.h"
#include "storedsettings.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

// The settings as Windows keeps them: text values under the user's part of
// the registry, written and read by the program and by the registry itself.
class tst_RegistrySettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void programUsesItsRegistryKey();
    void writtenValuesAreRegistryText_data();
    void writtenValuesAreRegistryText();
    void registryTextIsRead_data();
    void registryTextIsRead();

private:
    QTemporaryDir Folder{QDir::tempPath() + u"/Радио тест-XXXXXX"_s};
};

namespace {

// The tests' own key, so that a developer's settings stay as they were.
const wchar_t MainKey[] = L"Software\\tunetrawl-test\\tunetrawl-test\\Main";

std::unique_ptr<QSettings> testStore()
{
    return std::make_unique<QSettings>(u"tunetrawl-test"_s, u"tunetrawl-test"_s);
}

std::wstring wide(const QString &text)
{
    return text.toStdWString();
}

// The value as REG_SZ text, or nullopt when it is missing or of another type.
std::optional<QString> registryText(const QString &name)
{
    wchar_t buffer[1024];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, MainKey, wide(name).c_str(), RRF_RT_ANY, &type, buffer,
                     &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return QString::fromWCharArray(buffer);
}

bool setRegistryText(const QString &name, const QString &value)
{
    const std::wstring text = wide(value);
    return RegSetKeyValueW(HKEY_CURRENT_USER, MainKey, wide(name).c_str(), REG_SZ, text.c_str(),
                           DWORD((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace

void tst_RegistrySettings::init()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\tunetrawl-test");
}

void tst_RegistrySettings::cleanup()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\tunetrawl-test");
}

void tst_RegistrySettings::programUsesItsRegistryKey()
{
    // The program's own store, as the window and the command line open it.
    const QSettings program(u"tunetrawl"_s, u"tunetrawl"_s);
    QCOMPARE(program.format(), QSettings::NativeFormat);
    QCOMPARE(program.fileName(), u"\\HKEY_CURRENT_USER\\Software\\tunetrawl\\tunetrawl"_s);
}

void tst_RegistrySettings::writtenValuesAreRegistryText_data()
{
    QTest::addColumn<int>("station");
    QTest::addColumn<bool>("noNumbers");
    QTest::addColumn<bool>("dayFolders");
    QTest::addColumn<QString>("expectedStation");
    QTest::addColumn<QString>("expectedNoNum");
    QTest::addColumn<QString>("expectedSubFolders");
    QTest::newRow("first station, defaults")
        << 0 << true << false << u"0"_s << u"True"_s << u"False"_s;
    QTest::newRow("last station, both changed")
        << 6 << false << true << u"6"_s << u"False"_s << u"True"_s;
}

void tst_RegistrySettings::writtenValuesAreRegistryText()
{
    QFETCH(int, station);
    QFETCH(bool, noNumbers);
    QFETCH(bool, dayFolders);
    QVERIFY(Folder.isValid());
    const std::unique_ptr<QSettings> store = testStore();
    SettingsWriter writer;
    writer.setStore(store->fileName(), store->format());
    QSignalSpy written(&writer, &SettingsWriter::written);
    writer.write(StoredSettings::choices(station, Folder.path(), noNumbers, dayFolders));
    writer.write(StoredSettings::updateStamp(u"09.12.2026"_s));
    QTRY_COMPARE(written.size(), 2);
    QVERIFY(written.at(0).at(0).toBool() && written.at(1).at(0).toBool());

    QTEST(registryText(u"Station"_s).value_or(u"(none)"_s), "expectedStation");
    QTEST(registryText(u"NoNum"_s).value_or(u"(none)"_s), "expectedNoNum");
    QTEST(registryText(u"SubFolsers"_s).value_or(u"(none)"_s), "expectedSubFolders");
    QCOMPARE(registryText(u"LastUpdate"_s).value_or(u"(none)"_s), u"09.12.2026"_s);
    // A Cyrillic folder name arrives as the same text, not in a code page.
    QCOMPARE(registryText(u"Path"_s).value_or(u"(none)"_s), Folder.path());
}

void tst_RegistrySettings::registryTextIsRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("station");
    QTest::addColumn<bool>("noNumbers");
    QTest::addColumn<bool>("dayFolders");
    QTest::newRow("station") << u"Station"_s << u"5"_s << 5 << true << false;
    QTest::newRow("station out of range") << u"Station"_s << u"7"_s << -1 << true << false;
    QTest::newRow("numbers on") << u"NoNum"_s << u"False"_s << -1 << false << false;
    QTest::newRow("only True is true") << u"SubFolsers"_s << u"true"_s << -1 << true << false;
    QTest::newRow("day folders") << u"SubFolsers"_s << u"True"_s << -1 << true << true;
}

void tst_RegistrySettings::registryTextIsRead()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QVERIFY(setRegistryText(name, value));
    QVERIFY(setRegistryText(u"Path"_s, u"C:\\Музыка\\Радио"_s));
    const StoredSettings stored = StoredSettings::read(*testStore());
    QTEST(stored.station, "station");
    QTEST(stored.noNumbers, "noNumbers");
    QTEST(stored.dayFolders, "dayFolders");
    QCOMPARE(stored.path, u"C:\\Музыка\\Радио"_s);
}

QTEST_GUILESS_MAIN(tst_RegistrySettings)
#include "tst_registrysettings.moc"
