#include "propertybag.h"

#include <QFont>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_PropertyBag : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void absentNameGivesDefault();
    void namesMatchWithoutCase();
    void valueEqualToDefaultIsNotStored();
    void roundTripThroughSettings();
    void roundTripThroughJson();
    void unconvertibleValueGivesDefault();
};

void tst_PropertyBag::absentNameGivesDefault()
{
    PropertyBag bag;
    QCOMPARE(bag.ReadProperty(u"Value"_s, true).toBool(), true);
    QCOMPARE(bag.ReadProperty(u"Caption"_s, u"XpB1"_s).toString(), u"XpB1"_s);
}

void tst_PropertyBag::namesMatchWithoutCase()
{
    PropertyBag bag;
    bag.WriteProperty(u"linestyle"_s, 3, 1);
    QCOMPARE(bag.ReadProperty(u"LineStyle"_s, 1).toInt(), 3);
    bag.WriteProperty(u"LINESTYLE"_s, 2, 1);
    QCOMPARE(bag.names(), QStringList{u"linestyle"_s});
    QCOMPARE(bag.ReadProperty(u"lineStyle"_s, 1).toInt(), 2);
}

void tst_PropertyBag::valueEqualToDefaultIsNotStored()
{
    PropertyBag bag;
    bag.WriteProperty(u"Value"_s, false, false);
    QVERIFY(bag.isEmpty());
    bag.WriteProperty(u"Value"_s, true, false);
    QVERIFY(bag.contains(u"value"_s));
    // Writing the default again removes what an earlier write stored.
    bag.WriteProperty(u"Value"_s, false, false);
    QVERIFY(bag.isEmpty());
}

void tst_PropertyBag::roundTripThroughSettings()
{
    QTemporaryDir dir;
    QFont font(u"DejaVu Sans"_s);
    font.setPointSizeF(8.25);
    font.setBold(true);
    {
        PropertyBag bag;
        bag.WriteProperty(u"Caption"_s, u"Старт!"_s, u""_s);
        bag.WriteProperty(u"Enabled"_s, false, true);
        bag.WriteProperty(u"MaskColor"_s, quint32(0x80000005), quint32(0));
        bag.WriteProperty(u"Font"_s, font, QFont());
        QSettings settings(dir.filePath(u"bag.ini"_s), QSettings::IniFormat);
        settings.beginGroup(u"Command1"_s);
        bag.save(settings);
    }
    QSettings settings(dir.filePath(u"bag.ini"_s), QSettings::IniFormat);
    settings.beginGroup(u"Command1"_s);
    const PropertyBag loaded = PropertyBag::load(settings);
    QCOMPARE(loaded.ReadProperty(u"caption"_s, u""_s).toString(), u"Старт!"_s);
    QCOMPARE(loaded.ReadProperty(u"Enabled"_s, true).toBool(), false);
    QCOMPARE(loaded.ReadProperty(u"MaskColor"_s, quint32(0)).toUInt(), 0x80000005u);
    const QFont back = loaded.ReadProperty(u"Font"_s, QFont()).value<QFont>();
    QCOMPARE(back.family(), font.family());
    QCOMPARE(back.pointSizeF(), 8.25);
    QVERIFY(back.bold());
}

void tst_PropertyBag::roundTripThroughJson()
{
    QFont font(u"DejaVu Sans"_s);
    font.setPointSizeF(9);
    PropertyBag bag;
    bag.WriteProperty(u"ActiveDate"_s, u"18.06.2014"_s, u""_s);
    bag.WriteProperty(u"ShowWeekNumber"_s, true, false);
    bag.WriteProperty(u"LineColor"_s, quint32(0x00FF8040), quint32(0x80000010));
    bag.WriteProperty(u"Font"_s, font, QFont());

    const PropertyBag loaded = PropertyBag::fromJson(bag.toJson());
    QCOMPARE(loaded.ReadProperty(u"ActiveDate"_s, u""_s).toString(), u"18.06.2014"_s);
    QCOMPARE(loaded.ReadProperty(u"ShowWeekNumber"_s, false).toBool(), true);
    QCOMPARE(loaded.ReadProperty(u"LineColor"_s, quint32(0x80000010)).toUInt(), 0x00FF8040u);
    QCOMPARE(loaded.ReadProperty(u"Font"_s, QFont()).value<QFont>().pointSizeF(), 9.0);
}

void tst_PropertyBag::unconvertibleValueGivesDefault()
{
    PropertyBag bag;
    bag.WriteProperty(u"Value"_s, u"maybe"_s);
    QCOMPARE(bag.ReadProperty(u"Value"_s, true).toBool(), true);
    bag.WriteProperty(u"Value"_s, u"False"_s);
    QCOMPARE(bag.ReadProperty(u"Value"_s, true).toBool(), false);
}

QTEST_MAIN(tst_PropertyBag)
#include "tst_propertybag.moc"
