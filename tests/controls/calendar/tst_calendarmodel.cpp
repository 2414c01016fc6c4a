#include "calendarmodel.h"
#include "formdesign.h"
#include "propertybag.h"

#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Move = CalendarModel::Move;

// The calendar's state and actions, with no window.
class tst_CalendarModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void parseDate_data();
    void parseDate();
    void settingANonDateChangesNothing_data();
    void settingANonDateChangesNothing();
    void settingADateShowsItsMonth();

    void newControlDefaults();
    void loadsTheMainWindowCalendar();
    void savesInOrderAndOnlyWhatDiffers();
    void firstDayOfWeekSurvivesSaveAndLoad();
    void missingFirstDayOfWeekLoadsLocaleDefault();
    void boldKeysOverrideStoredFonts();
    void loadingAnUnreadableDateFallsBackToToday();
    void roundTripThroughSettingsAndJson();
    void outOfRangeFirstDayIsRefused();

    void keys_data();
    void keys();
    void clicks_data();
    void clicks();
    void monthChoiceClampsDay_data();
    void monthChoiceClampsDay();
    void yearChoices_data();
    void yearChoices();
    void previousMonthFromJanuaryTurnsTheYear();
    void actionsStopAtTheEdgeOfTheYears();

    void borderWidths();
    void namesAndAbout();

private:
    static CalendarModel At(const QString &date, int firstDay = 2);
    const QDate today{2020, 5, 17};
};

void tst_CalendarModel::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

CalendarModel tst_CalendarModel::At(const QString &date, int firstDay)
{
    CalendarModel model;
    model.setFirstDayOfWeek(firstDay);
    model.setActiveDate(date);
    return model;
}

void tst_CalendarModel::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");

    QTest::newRow("short form") << u"18.06.2014"_s << QDate(2014, 6, 18);
    QTest::newRow("one-digit day and month") << u"1.9.2014"_s << QDate(2014, 9, 1);
    QTest::newRow("ISO") << u"2014-06-18"_s << QDate(2014, 6, 18);
    QTest::newRow("short form with time") << u"18.06.2014 13:45"_s << QDate(2014, 6, 18);
    QTest::newRow("short form with seconds") << u"18.06.2014 13:45:10"_s << QDate(2014, 6, 18);
    QTest::newRow("ISO with T time and zone") << u"2014-06-18T23:59:59Z"_s << QDate(2014, 6, 18);
    QTest::newRow("surrounding blanks") << u"  29.02.2016 "_s << QDate(2016, 2, 29);
    QTest::newRow("31 February") << u"31.02.2014"_s << QDate();
    QTest::newRow("29 February of a common year") << u"29.02.2015"_s << QDate();
    QTest::newRow("month 13") << u"01.13.2014"_s << QDate();
    QTest::newRow("empty") << QString() << QDate();
    QTest::newRow("words") << u"вчера"_s << QDate();
    QTest::newRow("time out of range") << u"18.06.2014 25:00"_s << QDate();
    QTest::newRow("trailing text") << u"18.06.2014 abc"_s << QDate();
    QTest::newRow("two-digit year") << u"18.06.14"_s << QDate();
    QTest::newRow("year 0") << u"0000-01-01"_s << QDate();
}

void tst_CalendarModel::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(CalendarModel::ParseDate(text), date);
}

void tst_CalendarModel::settingANonDateChangesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("31 February") << u"31.02.2014"_s;
    QTest::newRow("garbage") << u"no date"_s;
    QTest::newRow("empty") << QString();
}

void tst_CalendarModel::settingANonDateChangesNothing()
{
    QFETCH(QString, text);
    CalendarModel model = At(u"18.06.2014"_s);
    QVERIFY(!model.setActiveDate(text));
    QCOMPARE(model.ActiveDate(), u"18.06.2014"_s);
    QCOMPARE(model.DisplayMonth(), 6);
    QCOMPARE(model.SelectedDay(), 18);
    QCOMPARE(model.ActiveCell(), 30);
}

void tst_CalendarModel::settingADateShowsItsMonth()
{
    CalendarModel model = At(u"18.06.2014"_s);
    QVERIFY(model.setActiveDate(u"2014-09-01 08:00"_s));
    QCOMPARE(model.ActiveDate(), u"01.09.2014"_s);
    QCOMPARE(model.DisplayYear(), 2014);
    QCOMPARE(model.DisplayMonth(), 9);
    QCOMPARE(model.SelectedDay(), 1);
    QCOMPARE(model.ActiveCell(), 14);
}

void tst_CalendarModel::newControlDefaults()
{
    CalendarModel model;
    QFont container(u"DejaVu Sans"_s, 9);
    model.InitProperties(container, today);
    QCOMPARE(model.ActiveDate(), u"17.05.2020"_s);
    QCOMPARE(model.FirstDayOfWeek(), 1);
    QCOMPARE(model.LineStyle(), 1);
    QCOMPARE(model.BorderStyle(), 1);
    QCOMPARE(model.FocusStyle(), 1);
    QVERIFY(model.ShowMonth() && model.ShowWeekDays() && model.MonthChangeButtons());
    QVERIFY(!model.ShowWeekNumber());
    QCOMPARE(model.Font(), container);
    QVERIFY(!model.Font().bold());
    QVERIFY(model.ActiveDayFont().bold());
    QVERIFY(model.MonthNameFont().bold());
    QCOMPARE(model.Colours().headerFore, quint32(0x80000014));
    QCOMPARE(model.Colours().outDaysBack, quint32(0x8000000F));
    QCOMPARE(model.Colours().activeDayFore, quint32(0x8000000D));
    // The grid already knows the selected day's cell: 17 May 2020 with Sunday first.
    QCOMPARE(model.ActiveCell(), model.Grid().CellFromDay(17));
    QVERIFY(model.ActiveCell() != 0);
}

void tst_CalendarModel::loadsTheMainWindowCalendar()
{
    // As the main window's saved instance has it: lower-case keys.
    const PropertyBag bag = FormDesign::SavedProperties(u"Cal");
    CalendarModel model;
    model.ReadProperties(bag, QFont(u"Other"_s, 12), today);
    QCOMPARE(model.ActiveDate(), u"18.06.2014"_s);
    QCOMPARE(model.LineStyle(), 3);
    QCOMPARE(model.BorderStyle(), 0);
    QCOMPARE(model.FocusStyle(), 1);
    QCOMPARE(model.FirstDayOfWeek(), 2);
    QCOMPARE(model.Font().family(), u"MS Sans Serif"_s);
    QCOMPARE(model.Font().pointSizeF(), 8.25);
    QVERIFY(model.ActiveDayFont().bold());
    QCOMPARE(model.DisplayYear(), 2014);
    QCOMPARE(model.DisplayMonth(), 6);
    QCOMPARE(model.SelectedDay(), 18);
    QCOMPARE(model.ActiveCell(), 30);
    QCOMPARE(model.Colours().line, quint32(SysColor::ButtonShadow));
}

void tst_CalendarModel::savesInOrderAndOnlyWhatDiffers()
{
    const QFont container(u"DejaVu Sans"_s, 9);
    CalendarModel model;
    model.InitProperties(container, today);
    PropertyBag fresh;
    model.WriteProperties(fresh, container, today);
    // A new control differs from the stored defaults in its bold fonts (the
    // default is the container's plain font) and its first day.
    QCOMPARE(fresh.names(),
             (QStringList{u"ActiveDayFont"_s, u"MonthNameFont"_s, u"FirstDayOfWeek"_s}));

    model.setActiveDate(u"18.06.2014"_s);
    model.setLineStyle(3);
    model.setShowWeekNumber(true);
    model.Colours().daysBack = RGBValue(1, 2, 3);
    QFont notBold = model.ActiveDayFont();
    notBold.setBold(false);
    model.setActiveDayFont(notBold);
    PropertyBag bag;
    model.WriteProperties(bag, container, today);
    QCOMPARE(bag.names(),
             (QStringList{u"MonthNameFont"_s, u"SelFontBold"_s, u"ActiveDate"_s, u"LineStyle"_s,
                          u"FirstDayOfWeek"_s, u"DaysBackColor"_s, u"ShowWeekNumber"_s}));
    QCOMPARE(bag.ReadProperty(u"DaysBackColor"_s, 0u).toUInt(), RGBValue(1, 2, 3));
}

void tst_CalendarModel::firstDayOfWeekSurvivesSaveAndLoad()
{
    const QFont container;
    CalendarModel model;
    model.InitProperties(container, today);
    PropertyBag bag;
    model.WriteProperties(bag, container, today);
    CalendarModel loaded;
    loaded.ReadProperties(bag, container, today);
    QCOMPARE(loaded.FirstDayOfWeek(), 1);
}

void tst_CalendarModel::missingFirstDayOfWeekLoadsLocaleDefault()
{
    CalendarModel loaded;
    loaded.ReadProperties(PropertyBag(), QFont(), today);
    QCOMPARE(loaded.FirstDayOfWeek(), 0);
    QCOMPARE(loaded.ActiveDate(), u"17.05.2020"_s);
    // Russian weeks start on Monday; 17 May 2020 is a Sunday.
    QCOMPARE(DateGrid::CellRowCol(loaded.ActiveCell()).col, 7);
}

void tst_CalendarModel::boldKeysOverrideStoredFonts()
{
    QFont plain(u"DejaVu Sans"_s, 10);
    QFont bold = plain;
    bold.setBold(true);
    PropertyBag bag;
    bag.WriteProperty(u"ActiveDayFont"_s, plain);
    bag.WriteProperty(u"MonthNameFont"_s, bold);
    bag.WriteProperty(u"HdrFontBold"_s, false, true);
    CalendarModel model;
    model.ReadProperties(bag, QFont(), today);
    QVERIFY(model.ActiveDayFont().bold());
    QVERIFY(!model.MonthNameFont().bold());
}

void tst_CalendarModel::loadingAnUnreadableDateFallsBackToToday()
{
    PropertyBag bag;
    bag.WriteProperty(u"ActiveDate"_s, u"31.02.2014"_s);
    CalendarModel model;
    model.ReadProperties(bag, QFont(), today);
    QCOMPARE(model.ActiveDate(), u"17.05.2020"_s);
    QCOMPARE(model.DisplayMonth(), 5);

    // A readable text is kept as it was stored.
    PropertyBag iso;
    iso.WriteProperty(u"ActiveDate"_s, u"2014-06-18"_s);
    model.ReadProperties(iso, QFont(), today);
    QCOMPARE(model.ActiveDate(), u"2014-06-18"_s);
    QCOMPARE(model.DisplayMonth(), 6);
}

void tst_CalendarModel::roundTripThroughSettingsAndJson()
{
    const QFont container(u"DejaVu Sans"_s, 9);
    CalendarModel model;
    model.InitProperties(container, today);
    model.setActiveDate(u"29.02.2016"_s);
    model.setBorderStyle(5);
    model.setShowMonth(false);
    model.Colours().line = RGBValue(200, 100, 50);
    model.Colours().border = SysColor::Highlight;
    QFont italic = container;
    italic.setItalic(true);
    model.setFont(italic);
    PropertyBag bag;
    model.WriteProperties(bag, container, today);

    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"cal.ini"_s), QSettings::IniFormat);
    settings.beginGroup(u"Cal"_s);
    bag.save(settings);
    settings.sync();
    const PropertyBag fromSettings = PropertyBag::load(settings);
    const PropertyBag fromJson = PropertyBag::fromJson(bag.toJson());

    for (const PropertyBag &stored : {fromSettings, fromJson}) {
        CalendarModel loaded;
        loaded.ReadProperties(stored, container, today);
        QCOMPARE(loaded.ActiveDate(), u"29.02.2016"_s);
        QCOMPARE(loaded.BorderStyle(), 5);
        QVERIFY(!loaded.ShowMonth());
        QCOMPARE(loaded.Colours().line, RGBValue(200, 100, 50));
        QCOMPARE(loaded.Colours().border, quint32(SysColor::Highlight));
        QVERIFY(loaded.Font().italic());
        QCOMPARE(loaded.FirstDayOfWeek(), 1);
    }
}

void tst_CalendarModel::outOfRangeFirstDayIsRefused()
{
    CalendarModel model = At(u"18.06.2014"_s);
    QVERIFY(!model.setFirstDayOfWeek(8));
    QVERIFY(!model.setFirstDayOfWeek(-1));
    QCOMPARE(model.FirstDayOfWeek(), 2);
    PropertyBag bag;
    bag.WriteProperty(u"FirstDayOfWeek"_s, 9);
    model.ReadProperties(bag, QFont(), today);
    QCOMPARE(model.FirstDayOfWeek(), 0);
}

void tst_CalendarModel::keys_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("move");
    QTest::addColumn<bool>("settled");
    QTest::addColumn<QString>("date");

    const int left = int(Move::Left), up = int(Move::Up), right = int(Move::Right),
              down = int(Move::Down);
    QTest::newRow("Left on 1 September turns to August")
        << u"01.09.2014"_s << left << true << u"31.08.2014"_s;
    QTest::newRow("Up in row 1") << u"03.07.2014"_s << up << false << u"03.07.2014"_s;
    QTest::newRow("Up on a row-1 day of June") << u"01.06.2014"_s << up << false << u"01.06.2014"_s;
    QTest::newRow("Down in row 6") << u"30.06.2014"_s << down << false << u"30.06.2014"_s;
    QTest::newRow("Right at the row end wraps")
        << u"08.06.2014"_s << right << true << u"09.06.2014"_s;
    QTest::newRow("Left at the row start wraps")
        << u"09.06.2014"_s << left << true << u"08.06.2014"_s;
    QTest::newRow("Down into the next month") << u"28.06.2014"_s << down << true << u"05.07.2014"_s;
    QTest::newRow("Up into a grey leading day") << u"04.06.2014"_s << up << true << u"28.05.2014"_s;
    // 1 June 2014 sits in the last column of row 1.
    QTest::newRow("Right on 30 June into July")
        << u"30.06.2014"_s << right << true << u"01.07.2014"_s;
    QTest::newRow("Left on 1 January turns the year")
        << u"01.01.2015"_s << left << true << u"31.12.2014"_s;
}

void tst_CalendarModel::keys()
{
    QFETCH(QString, start);
    QFETCH(int, move);
    QFETCH(bool, settled);
    QFETCH(QString, date);
    CalendarModel model = At(start);
    QCOMPARE(model.MoveSelection(Move(move)), settled);
    QCOMPARE(model.ActiveDate(), date);
    const QDate shown = CalendarModel::ParseDate(date);
    QCOMPARE(model.DisplayMonth(), shown.month());
    QCOMPARE(model.DisplayYear(), shown.year());
    QCOMPARE(model.ActiveCell(), model.Grid().CellFromDay(shown.day()));
}

void tst_CalendarModel::clicks_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<bool>("settled");
    QTest::addColumn<QString>("date");
    // June 2014, Monday first: cells 7-12 are 26-31 May, 13-42 June, 43-48 1-6 July.
    QTest::newRow("grey leading day") << 7 << true << u"26.05.2014"_s;
    QTest::newRow("last grey leading day") << 12 << true << u"31.05.2014"_s;
    QTest::newRow("day in the month") << 30 << true << u"18.06.2014"_s;
    QTest::newRow("grey trailing day") << 48 << true << u"06.07.2014"_s;
    QTest::newRow("week-day row") << 3 << false << u"20.06.2014"_s;
    QTest::newRow("beyond the grid") << 49 << false << u"20.06.2014"_s;
}

void tst_CalendarModel::clicks()
{
    QFETCH(int, cell);
    QFETCH(bool, settled);
    QFETCH(QString, date);
    CalendarModel model = At(u"20.06.2014"_s);
    QCOMPARE(model.PickCell(cell), settled);
    QCOMPARE(model.ActiveDate(), date);
    QCOMPARE(model.DisplayMonth(), CalendarModel::ParseDate(date).month());
}

void tst_CalendarModel::monthChoiceClampsDay_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("date");
    QTest::newRow("31 March to February") << u"31.03.2015"_s << 2 << u"28.02.2015"_s;
    QTest::newRow("31 March to leap February") << u"31.03.2016"_s << 2 << u"29.02.2016"_s;
    QTest::newRow("31 March to April") << u"31.03.2015"_s << 4 << u"30.04.2015"_s;
    QTest::newRow("same month settles again") << u"18.06.2014"_s << 6 << u"18.06.2014"_s;
}

void tst_CalendarModel::monthChoiceClampsDay()
{
    QFETCH(QString, start);
    QFETCH(int, month);
    QFETCH(QString, date);
    CalendarModel model = At(start);
    QVERIFY(model.ChooseMonth(month));
    QCOMPARE(model.ActiveDate(), date);
    QCOMPARE(model.ActiveCell(), model.Grid().CellFromDay(model.SelectedDay()));
}

void tst_CalendarModel::yearChoices_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("date");
    QTest::newRow("29 February minus five years") << u"29.02.2016"_s << 1 << u"28.02.2011"_s;
    QTest::newRow("29 February plus four years") << u"29.02.2016"_s << 10 << u"29.02.2020"_s;
    QTest::newRow("middle item keeps the year") << u"18.06.2014"_s << 6 << u"18.06.2014"_s;
    QTest::newRow("last item") << u"18.06.2014"_s << 11 << u"18.06.2019"_s;
}

void tst_CalendarModel::yearChoices()
{
    QFETCH(QString, start);
    QFETCH(int, item);
    QFETCH(QString, date);
    CalendarModel model = At(start);
    QVERIFY(model.ChooseYear(item));
    QCOMPARE(model.ActiveDate(), date);
    QCOMPARE(model.YearCaption(6), QString::number(model.DisplayYear()));
}

void tst_CalendarModel::previousMonthFromJanuaryTurnsTheYear()
{
    CalendarModel model = At(u"15.01.2014"_s);
    QVERIFY(model.PreviousMonth());
    QCOMPARE(model.ActiveDate(), u"15.12.2013"_s);
    QCOMPARE(model.YearCaption(1), u"2008"_s);
    QCOMPARE(model.YearCaption(6), u"2013"_s);
    QCOMPARE(model.YearCaption(11), u"2018"_s);
    QVERIFY(model.NextMonth());
    QVERIFY(model.NextMonth());
    QCOMPARE(model.ActiveDate(), u"15.02.2014"_s);
}

void tst_CalendarModel::actionsStopAtTheEdgeOfTheYears()
{
    CalendarModel first = At(u"01.01.0001"_s);
    QVERIFY(!first.MoveSelection(Move::Left));
    QVERIFY(!first.PreviousMonth());
    QVERIFY(!first.ChooseYear(5));
    QVERIFY(!first.PickCell(7));
    QCOMPARE(first.ActiveDate(), u"01.01.0001"_s);

    CalendarModel last = At(u"31.12.9999"_s);
    QVERIFY(!last.MoveSelection(Move::Right));
    QVERIFY(!last.NextMonth());
    QVERIFY(!last.ChooseYear(7));
    QCOMPARE(last.ActiveDate(), u"31.12.9999"_s);
}

void tst_CalendarModel::borderWidths()
{
    const QList<int> widths{0, 2, 2, 1, 1, 2, 1, 0, 0};
    for (int style = 0; style < widths.size(); ++style)
        QCOMPARE(CalendarModel::BorderWidth(style), widths[style]);
    QCOMPARE(CalendarModel::BorderWidth(-1), 0);
}

void tst_CalendarModel::namesAndAbout()
{
    QCOMPARE(CalendarModel::MonthName(6), u"Июнь"_s);
    QCOMPARE(CalendarModel::DayAbbreviation(Qt::Monday), u"Пн"_s);
    QCOMPARE(At(u"18.06.2014"_s).TitleText(), u"Июнь 2014"_s);
    const QStringList lines = CalendarModel::AboutText().split(u'\n');
    QCOMPARE(lines[0], u"ucCalendar Control 0.9 RC1"_s);
    QCOMPARE(lines[1], QString());
    QCOMPARE(lines[2], u"A simple but powerful, self-contained calendar control with"_s);
    QCOMPARE(lines[3], u"customizable appeareance and standard functionality."_s);
    QCOMPARE(lines[4], QString());
}

QTEST_MAIN(tst_CalendarModel)
#include "tst_calendarmodel.moc"
