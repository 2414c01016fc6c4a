#pragma once

#include "dategrid.h"
#include "resolvecolor.h"

#include <QDate>
#include <QFont>
#include <QString>

class PropertyBag;

// The calendar's state without a window: its properties, the selected date and
// the month on show, and what each user action does to them. Every action that
// settles on a date formats it into ActiveDate and returns true; the control
// then tells its host.
class CalendarModel
{
public:
    enum class Move { Left, Up, Right, Down };

    static const QString ControlVersion;
    // The years a date may have; actions that would leave them do nothing.
    static constexpr int MinYear = 1;
    static constexpr int MaxYear = 9999;

    CalendarModel();

    // A freshly placed control.
    void InitProperties(const QFont &containerFont, QDate today = QDate::currentDate());
    void ReadProperties(const PropertyBag &bag, const QFont &containerFont,
                        QDate today = QDate::currentDate());
    void WriteProperties(PropertyBag &bag, const QFont &containerFont,
                         QDate today = QDate::currentDate()) const;

    // Date text: always "dd.MM.yyyy".
    static QString FormatDate(QDate date);
    // "dd.MM.yyyy" (one-digit day and month too) or "yyyy-MM-dd", either with a
    // time of day that is ignored; an invalid QDate for anything else.
    static QDate ParseDate(const QString &text);

    QString ActiveDate() const { return activeDate; }
    // False, and nothing changes, when text is not a date.
    bool setActiveDate(const QString &text);

    int DisplayYear() const { return displayYear; }
    int DisplayMonth() const { return displayMonth; }
    int SelectedDay() const { return selectedDay; }
    int ActiveCell() const { return activeCell; }
    DateGrid Grid() const { return DateGrid(displayYear, displayMonth, firstDayOfWeek); }

    // User actions; true when a date was settled on (Change is due).
    bool MoveSelection(Move move);
    bool PickCell(int cell);
    bool ChooseMonth(int month);
    // item 1-11 of the years menu: DisplayYear - 5 ... DisplayYear + 5.
    bool ChooseYear(int item);
    bool PreviousMonth();
    bool NextMonth();

    // Caption of item 1-11 of the years menu.
    QString YearCaption(int item) const;

    static int BorderWidth(int borderStyle);
    int BorderWidth() const { return BorderWidth(borderStyle); }

    // Names from the default locale, capitalised as a title shows them.
    static QString MonthName(int month);
    static QString DayAbbreviation(Qt::DayOfWeek day);
    QString TitleText() const;

    static QString AboutText();

    bool ShowMonth() const { return showMonth; }
    void setShowMonth(bool on) { showMonth = on; }
    bool ShowWeekDays() const { return showWeekDays; }
    void setShowWeekDays(bool on) { showWeekDays = on; }
    bool MonthChangeButtons() const { return monthChangeButtons; }
    void setMonthChangeButtons(bool on) { monthChangeButtons = on; }
    bool ShowWeekNumber() const { return showWeekNumber; }
    void setShowWeekNumber(bool on) { showWeekNumber = on; }
    int LineStyle() const { return lineStyle; }
    void setLineStyle(int style) { lineStyle = style; }
    int BorderStyle() const { return borderStyle; }
    void setBorderStyle(int style) { borderStyle = style; }
    int FocusStyle() const { return focusStyle; }
    void setFocusStyle(int style) { focusStyle = style; }
    int FirstDayOfWeek() const { return firstDayOfWeek; }
    // 0-7; other values are refused (false).
    bool setFirstDayOfWeek(int day);

    struct Colors
    {
        quint32 line = SysColor::ButtonShadow;
        quint32 border = SysColor::ButtonShadow;
        quint32 headerBack = SysColor::ButtonShadow;
        quint32 headerFore = SysColor::ButtonHighlight;
        quint32 daysBack = SysColor::Window;
        quint32 daysFore = SysColor::WindowText;
        quint32 outDaysBack = SysColor::ButtonFace;
        quint32 outDaysFore = SysColor::GrayText;
        quint32 activeDayFore = SysColor::Highlight;
    };
    const Colors &Colours() const { return colors; }
    Colors &Colours() { return colors; }

    QFont Font() const { return font; }
    void setFont(const QFont &f) { font = f; }
    QFont ActiveDayFont() const { return activeDayFont; }
    void setActiveDayFont(const QFont &f) { activeDayFont = f; }
    QFont MonthNameFont() const { return monthNameFont; }
    void setMonthNameFont(const QFont &f) { monthNameFont = f; }

private:
    void ShowDate(QDate date);
    void AdjustMonthForCell();
    void ClampSelectedDay();
    void SyncActiveCell();
    bool Commit();

    QString activeDate;
    int displayYear = 2000;
    int displayMonth = 1;
    int selectedDay = 1;
    int activeCell = 0;

    bool showMonth = true;
    bool showWeekDays = true;
    bool monthChangeButtons = true;
    bool showWeekNumber = false;
    int lineStyle = 1;
    int borderStyle = 1;
    int focusStyle = 1;
    int firstDayOfWeek = 1;
    Colors colors;
    QFont font;
    QFont activeDayFont;
    QFont monthNameFont;
};
