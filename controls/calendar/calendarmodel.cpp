#include "calendarmodel.h"

#include "datetext.h"
#include "propertybag.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <array>

using namespace Qt::StringLiterals;

const QString CalendarModel::ControlVersion = u"0.9 RC1"_s;

namespace {

struct ColorKey
{
    QString name;
    quint32 CalendarModel::Colors::*member;
    quint32 defaultValue;
};

// Stored in this order, after the fonts, the date and the styles.
const std::array<ColorKey, 9> &ColorKeys()
{
    using C = CalendarModel::Colors;
    static const std::array<ColorKey, 9> keys = {{
        {u"LineColor"_s, &C::line, SysColor::ButtonShadow},
        {u"BorderColor"_s, &C::border, SysColor::ButtonShadow},
        {u"HeaderBackColor"_s, &C::headerBack, SysColor::ButtonShadow},
        {u"HeaderForeColor"_s, &C::headerFore, SysColor::ButtonHighlight},
        {u"DaysBackColor"_s, &C::daysBack, SysColor::Window},
        {u"DaysForeColor"_s, &C::daysFore, SysColor::WindowText},
        {u"OutDaysBackColor"_s, &C::outDaysBack, SysColor::ButtonFace},
        {u"OutDaysForeColor"_s, &C::outDaysFore, SysColor::GrayText},
        {u"ActiveDayForeColor"_s, &C::activeDayFore, SysColor::Highlight},
    }};
    return keys;
}

QFont Bold(QFont font, bool bold = true)
{
    font.setBold(bold);
    return font;
}

bool InYearRange(QDate date)
{
    return date.isValid() && date.year() >= CalendarModel::MinYear &&
           date.year() <= CalendarModel::MaxYear;
}

QString Capitalised(QString name)
{
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name;
}

bool ValidTime(const QRegularExpressionMatch &m, int first)
{
    if (!m.hasCaptured(first))
        return true;
    const int seconds = m.hasCaptured(first + 2) ? m.captured(first + 2).toInt() : 0;
    return QTime(m.captured(first).toInt(), m.captured(first + 1).toInt(), seconds).isValid();
}

} // namespace

CalendarModel::CalendarModel()
{
    InitProperties(QFont());
}

void CalendarModel::InitProperties(const QFont &containerFont, QDate today)
{
    colors = Colors();
    lineStyle = borderStyle = focusStyle = 1;
    firstDayOfWeek = 1;
    showMonth = showWeekDays = monthChangeButtons = true;
    showWeekNumber = false;
    font = containerFont;
    activeDayFont = Bold(containerFont);
    monthNameFont = Bold(containerFont);
    ShowDate(today);
}

void CalendarModel::ReadProperties(const PropertyBag &bag, const QFont &containerFont, QDate today)
{
    font = bag.ReadProperty(u"Font"_s, containerFont).value<QFont>();
    activeDayFont = bag.ReadProperty(u"ActiveDayFont"_s, containerFont).value<QFont>();
    monthNameFont = bag.ReadProperty(u"MonthNameFont"_s, containerFont).value<QFont>();
    activeDayFont.setBold(bag.ReadProperty(u"SelFontBold"_s, true).toBool());
    monthNameFont.setBold(bag.ReadProperty(u"HdrFontBold"_s, true).toBool());

    // Kept as stored; a text that is no date would leave the grid without a month.
    const QString storedText = bag.ReadProperty(u"ActiveDate"_s, FormatDate(today)).toString();
    const QDate stored = ParseDate(storedText);

    lineStyle = bag.ReadProperty(u"LineStyle"_s, 1).toInt();
    borderStyle = bag.ReadProperty(u"BorderStyle"_s, 1).toInt();
    focusStyle = bag.ReadProperty(u"FocusStyle"_s, 1).toInt();
    firstDayOfWeek = bag.ReadProperty(u"FirstDayOfWeek"_s, 0).toInt();
    if (!DateGrid::IsValidFirstDay(firstDayOfWeek))
        firstDayOfWeek = 0;
    for (const ColorKey &key : ColorKeys())
        colors.*key.member = bag.ReadProperty(key.name, key.defaultValue).toUInt();
    showMonth = bag.ReadProperty(u"ShowMonth"_s, true).toBool();
    showWeekDays = bag.ReadProperty(u"ShowWeekDays"_s, true).toBool();
    monthChangeButtons = bag.ReadProperty(u"MonthChangeButtons"_s, true).toBool();
    showWeekNumber = bag.ReadProperty(u"ShowWeekNumber"_s, false).toBool();

    ShowDate(stored.isValid() ? stored : today);
    if (stored.isValid())
        activeDate = storedText;
}

void CalendarModel::WriteProperties(PropertyBag &bag, const QFont &containerFont, QDate today) const
{
    bag.WriteProperty(u"Font"_s, font, containerFont);
    bag.WriteProperty(u"ActiveDayFont"_s, activeDayFont, containerFont);
    bag.WriteProperty(u"MonthNameFont"_s, monthNameFont, containerFont);
    bag.WriteProperty(u"SelFontBold"_s, activeDayFont.bold(), true);
    bag.WriteProperty(u"HdrFontBold"_s, monthNameFont.bold(), true);
    bag.WriteProperty(u"ActiveDate"_s, activeDate, FormatDate(today));
    bag.WriteProperty(u"LineStyle"_s, lineStyle, 1);
    bag.WriteProperty(u"BorderStyle"_s, borderStyle, 1);
    bag.WriteProperty(u"FocusStyle"_s, focusStyle, 1);
    bag.WriteProperty(u"FirstDayOfWeek"_s, firstDayOfWeek, 0);
    for (const ColorKey &key : ColorKeys())
        bag.WriteProperty(key.name, colors.*key.member, key.defaultValue);
    bag.WriteProperty(u"ShowMonth"_s, showMonth, true);
    bag.WriteProperty(u"ShowWeekDays"_s, showWeekDays, true);
    bag.WriteProperty(u"MonthChangeButtons"_s, monthChangeButtons, true);
    bag.WriteProperty(u"ShowWeekNumber"_s, showWeekNumber, false);
}

QString CalendarModel::FormatDate(QDate date)
{
    return DateText(date);
}

QDate CalendarModel::ParseDate(const QString &text)
{
    static const QRegularExpression dotted(
        uR"(^\s*(\d{1,2})\.(\d{1,2})\.(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"_s);
    static const QRegularExpression iso(
        uR"(^\s*(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2})(?::(\d{2})(?:\.\d+)?)?(?:Z|[+-]\d{2}:?\d{2})?)?\s*$)"_s);

    QDate date;
    if (const QRegularExpressionMatch m = dotted.match(text); m.hasMatch()) {
        if (ValidTime(m, 4))
            date = QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    } else if (const QRegularExpressionMatch m = iso.match(text); m.hasMatch()) {
        if (ValidTime(m, 4))
            date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    }
    return InYearRange(date) ? date : QDate();
}

bool CalendarModel::setActiveDate(const QString &text)
{
    const QDate date = ParseDate(text);
    if (!date.isValid())
        return false;
    ShowDate(date);
    return true;
}

void CalendarModel::ShowDate(QDate date)
{
    activeDate = FormatDate(date);
    displayYear = date.year();
    displayMonth = date.month();
    selectedDay = date.day();
    SyncActiveCell();
}

bool CalendarModel::setFirstDayOfWeek(int day)
{
    if (!DateGrid::IsValidFirstDay(day))
        return false;
    firstDayOfWeek = day;
    SyncActiveCell();
    return true;
}

void CalendarModel::SyncActiveCell()
{
    activeCell = Grid().CellFromDay(selectedDay);
}

void CalendarModel::ClampSelectedDay()
{
    selectedDay = qMin(selectedDay, Grid().DaysInMonth());
}

bool CalendarModel::Commit()
{
    activeDate = FormatDate(QDate(displayYear, displayMonth, selectedDay));
    return true;
}

bool CalendarModel::MoveSelection(Move move)
{
    DateGrid::RowCol at = DateGrid::CellRowCol(activeCell);
    switch (move) {
    case Move::Left:
        --at.col;
        break;
    case Move::Up:
        --at.row;
        break;
    case Move::Right:
        ++at.col;
        break;
    case Move::Down:
        ++at.row;
        break;
    }
    // Columns 0 and 8 run on into the row above or below.
    return PickCell(DateGrid::CellIndex(at.row, at.col));
}

bool CalendarModel::PickCell(int cell)
{
    if (cell < 7 || cell > 48 || !InYearRange(Grid().DateFromCell(cell)))
        return false;
    activeCell = cell;
    selectedDay = Grid().DayFromCell(cell);
    AdjustMonthForCell();
    return Commit();
}

void CalendarModel::AdjustMonthForCell()
{
    if (!Grid().IsCellInMonth(activeCell)) {
        const QDate first =
            QDate(displayYear, displayMonth, 1).addMonths(activeCell <= 14 ? -1 : 1);
        displayYear = first.year();
        displayMonth = first.month();
    }
    SyncActiveCell();
}

bool CalendarModel::ChooseMonth(int month)
{
    if (month < 1 || month > 12)
        return false;
    displayMonth = month;
    ClampSelectedDay();
    SyncActiveCell();
    return Commit();
}

bool CalendarModel::ChooseYear(int item)
{
    const int year = displayYear + item - 6;
    if (item < 1 || item > 11 || year < MinYear || year > MaxYear)
        return false;
    displayYear = year;
    ClampSelectedDay();
    SyncActiveCell();
    return Commit();
}

bool CalendarModel::PreviousMonth()
{
    const QDate first = QDate(displayYear, displayMonth, 1).addMonths(-1);
    if (!InYearRange(first))
        return false;
    displayYear = first.year();
    return ChooseMonth(first.month());
}

bool CalendarModel::NextMonth()
{
    const QDate first = QDate(displayYear, displayMonth, 1).addMonths(1);
    if (!InYearRange(first))
        return false;
    displayYear = first.year();
    return ChooseMonth(first.month());
}

QString CalendarModel::YearCaption(int item) const
{
    return QString::number(displayYear + item - 6);
}

int CalendarModel::BorderWidth(int borderStyle)
{
    switch (borderStyle) {
    case 1:
    case 2:
    case 5:
        return 2;
    case 3:
    case 4:
    case 6:
        return 1;
    default:
        return 0;
    }
}

QString CalendarModel::MonthName(int month)
{
    return Capitalised(QLocale().standaloneMonthName(month, QLocale::LongFormat));
}

QString CalendarModel::DayAbbreviation(Qt::DayOfWeek day)
{
    return Capitalised(QLocale().standaloneDayName(day, QLocale::ShortFormat));
}

QString CalendarModel::TitleText() const
{
    return MonthName(displayMonth) + u' ' + QString::number(displayYear);
}

QString CalendarModel::AboutText()
{
    return u"ucCalendar Control "_s + ControlVersion +
           u"\n\n"
           u"A simple but powerful, self-contained calendar control with\n"
           u"customizable appeareance and standard functionality.\n\n"
           u"Drawn with Qt for Tunetrawl; free to use, change and pass on\n"
           u"together with the program."_s;
}
