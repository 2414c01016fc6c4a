#pragma once

#include "calendargeometry.h"
#include "calendarmenu.h"
#include "calendarmodel.h"
#include "eventhooks.h"

#include <QImage>
#include <QWidget>

class PropertyBag;

// A month calendar: title with month buttons, week-day names, optional week
// numbers and a 6 x 7 grid of days. The user picks a day with the mouse or the
// arrow keys, or a month and year from the title's pop-up menus; every date
// the user settles on raises Change (and Click after it for a clicked day).
// The state lives in CalendarModel; this class turns input into model actions
// and shows the picture CalendarPainter makes.
class ucCalendar : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("Description:ControlVersion",
                "Returns the version number information for this control.")
    Q_CLASSINFO("Category:Enabled", "Comportamiento")
    Q_CLASSINFO("Description:Enabled",
                "Determines whether an object responds to user-generated events or not.")
    Q_CLASSINFO("Category:ShowMonth", "Comportamiento")
    Q_CLASSINFO("Description:ShowMonth",
                "Determines whether to show the month name and year or not.")
    Q_CLASSINFO("Category:ShowWeekDays", "Comportamiento")
    Q_CLASSINFO("Description:ShowWeekDays", "Determines whether to show the week day names or not.")
    Q_CLASSINFO("Description:MonthChangeButtons",
                "Determines whether the control has month change buttons or not.")
    Q_CLASSINFO("Category:ShowWeekNumber", "Comportamiento")
    Q_CLASSINFO("Description:ShowWeekNumber", "Determines whether to show the week numbers or not.")
    Q_CLASSINFO("Category:ActiveDate", "Otras")
    Q_CLASSINFO("Description:ActiveDate",
                "Returns or sets a value that indicates the currently selected date.")
    Q_CLASSINFO("Category:LineStyle", "Apariencia")
    Q_CLASSINFO("Description:LineStyle",
                "Returns or sets the style that will be used to draw lines between cells.")
    Q_CLASSINFO("Category:BorderStyle", "Apariencia")
    Q_CLASSINFO("Description:BorderStyle",
                "Returns or sets the style that will be used to draw the control border.")
    Q_CLASSINFO("Category:FocusStyle", "Apariencia")
    Q_CLASSINFO("Description:FocusStyle",
                "Returns or sets the style that will be used to draw the  selection rectangle "
                "when the control has the focus.")
    Q_CLASSINFO("Category:FirstDayOfWeek", "Comportamiento")
    Q_CLASSINFO("Description:FirstDayOfWeek",
                "Returns or sets the day that will be used as the first day of the week.")
    Q_CLASSINFO("Category:LineColor", "Apariencia")
    Q_CLASSINFO("Description:LineColor", "Returns or sets the color that will be used to draw the "
                                         "lines between cells (in simple line mode).")
    Q_CLASSINFO("Category:BorderColor", "Apariencia")
    Q_CLASSINFO("Description:BorderColor",
                "Returns or sets the color of the control border (for simple border style).")
    Q_CLASSINFO("Category:HeaderBackColor", "Apariencia")
    Q_CLASSINFO("Description:HeaderBackColor",
                "Returns or sets the background color for the month and week day names.")
    Q_CLASSINFO("Category:HeaderForeColor", "Apariencia")
    Q_CLASSINFO("Description:HeaderForeColor",
                "Returns or sets the text color for the month and week day names.")
    Q_CLASSINFO("Category:DaysBackColor", "Apariencia")
    Q_CLASSINFO("Description:DaysBackColor",
                "Returns or sets the background color for the current month days.")
    Q_CLASSINFO("Category:DaysForeColor", "Apariencia")
    Q_CLASSINFO("Description:DaysForeColor",
                "Returns or sets the text color for the active current days.")
    Q_CLASSINFO("Category:OutDaysBackColor", "Apariencia")
    Q_CLASSINFO("Description:OutDaysBackColor",
                "Returns or sets the background color for the previous/next month days.")
    Q_CLASSINFO("Category:OutDaysForeColor", "Apariencia")
    Q_CLASSINFO("Description:OutDaysForeColor",
                "Returns or sets the text color for the previous/next month days.")
    Q_CLASSINFO("Category:ActiveDayForeColor", "Apariencia")
    Q_CLASSINFO("Description:ActiveDayForeColor",
                "Returns or sets the color of the currently selected day number.")
    Q_CLASSINFO("Category:ActiveDayFont", "Apariencia")
    Q_CLASSINFO("Description:ActiveDayFont", "Returns or sets a font object that identifies the "
                                             "font used to draw the active day number.")
    Q_CLASSINFO("Category:MonthNameFont", "Apariencia")
    Q_CLASSINFO("Description:MonthNameFont", "Returns or sets a font object that identifies the "
                                             "font used to draw the month name and year.")
    Q_CLASSINFO("Category:Font", "Apariencia")
    Q_CLASSINFO("Description:Font", "Returns or sets a font object that identifies the font used "
                                    "to draw text on the control.")
    Q_CLASSINFO("Description:AboutBox",
                "Show copyright and version number information for this control.")
    Q_CLASSINFO("Description:Refresh", "Force a control or an object to repaint itself.")
    Q_CLASSINFO("Description:Change",
                "Raised whenever the user changes the currently selected date.")
    Q_CLASSINFO("Description:Click",
                "Raised when the mouse is pressed and then released over the control.")

    Q_PROPERTY(QString ControlVersion READ ControlVersion CONSTANT)
    Q_PROPERTY(bool ShowMonth READ ShowMonth WRITE setShowMonth)
    Q_PROPERTY(bool ShowWeekDays READ ShowWeekDays WRITE setShowWeekDays)
    Q_PROPERTY(bool MonthChangeButtons READ MonthChangeButtons WRITE setMonthChangeButtons)
    Q_PROPERTY(bool ShowWeekNumber READ ShowWeekNumber WRITE setShowWeekNumber)
    Q_PROPERTY(QString ActiveDate READ ActiveDate WRITE setActiveDate USER true)
    Q_PROPERTY(int LineStyle READ LineStyle WRITE setLineStyle)
    Q_PROPERTY(int BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(int FocusStyle READ FocusStyle WRITE setFocusStyle)
    Q_PROPERTY(int FirstDayOfWeek READ FirstDayOfWeek WRITE setFirstDayOfWeek)
    Q_PROPERTY(quint32 LineColor READ LineColor WRITE setLineColor)
    Q_PROPERTY(quint32 BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(quint32 HeaderBackColor READ HeaderBackColor WRITE setHeaderBackColor)
    Q_PROPERTY(quint32 HeaderForeColor READ HeaderForeColor WRITE setHeaderForeColor)
    Q_PROPERTY(quint32 DaysBackColor READ DaysBackColor WRITE setDaysBackColor)
    Q_PROPERTY(quint32 DaysForeColor READ DaysForeColor WRITE setDaysForeColor)
    Q_PROPERTY(quint32 OutDaysBackColor READ OutDaysBackColor WRITE setOutDaysBackColor)
    Q_PROPERTY(quint32 OutDaysForeColor READ OutDaysForeColor WRITE setOutDaysForeColor)
    Q_PROPERTY(quint32 ActiveDayForeColor READ ActiveDayForeColor WRITE setActiveDayForeColor)
    Q_PROPERTY(QFont ActiveDayFont READ ActiveDayFont WRITE setActiveDayFont)
    Q_PROPERTY(QFont MonthNameFont READ MonthNameFont WRITE setMonthNameFont)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)

public:
    // Identifiers of the menus and their items in MenuCaptions().
    static constexpr int MonthsMenuId = 1; // months 1-12: MonthsMenuId + month
    static constexpr int YearsMenuId = 14; // items 1-11: YearsMenuId + item
    static constexpr int CurrentYearItem = 6;

    explicit ucCalendar(QWidget *parent = nullptr);
    ~ucCalendar() override;

    QString ControlVersion() const { return CalendarModel::ControlVersion; }

    bool ShowMonth() const { return model.ShowMonth(); }
    void setShowMonth(bool on);
    bool ShowWeekDays() const { return model.ShowWeekDays(); }
    void setShowWeekDays(bool on);
    bool MonthChangeButtons() const { return model.MonthChangeButtons(); }
    void setMonthChangeButtons(bool on);
    bool ShowWeekNumber() const { return model.ShowWeekNumber(); }
    void setShowWeekNumber(bool on);

    // Always "dd.MM.yyyy". Setting takes that form or "yyyy-MM-dd", ignores a
    // time of day, ignores text that is no date, and raises no event.
    QString ActiveDate() const { return model.ActiveDate(); }
    void setActiveDate(const QString &text);

    int LineStyle() const { return model.LineStyle(); }
    void setLineStyle(int style);
    int BorderStyle() const { return model.BorderStyle(); }
    void setBorderStyle(int style);
    int FocusStyle() const { return model.FocusStyle(); }
    void setFocusStyle(int style);
    // 1 (Sunday) to 7 (Saturday); 0 for the default locale's first day.
    int FirstDayOfWeek() const { return model.FirstDayOfWeek(); }
    void setFirstDayOfWeek(int day);

    quint32 LineColor() const { return model.Colours().line; }
    void setLineColor(quint32 c) { setColor(&CalendarModel::Colors::line, c); }
    quint32 BorderColor() const { return model.Colours().border; }
    void setBorderColor(quint32 c) { setColor(&CalendarModel::Colors::border, c); }
    quint32 HeaderBackColor() const { return model.Colours().headerBack; }
    void setHeaderBackColor(quint32 c) { setColor(&CalendarModel::Colors::headerBack, c); }
    quint32 HeaderForeColor() const { return model.Colours().headerFore; }
    void setHeaderForeColor(quint32 c) { setColor(&CalendarModel::Colors::headerFore, c); }
    quint32 DaysBackColor() const { return model.Colours().daysBack; }
    void setDaysBackColor(quint32 c) { setColor(&CalendarModel::Colors::daysBack, c); }
    quint32 DaysForeColor() const { return model.Colours().daysFore; }
    void setDaysForeColor(quint32 c) { setColor(&CalendarModel::Colors::daysFore, c); }
    quint32 OutDaysBackColor() const { return model.Colours().outDaysBack; }
    void setOutDaysBackColor(quint32 c) { setColor(&CalendarModel::Colors::outDaysBack, c); }
    quint32 OutDaysForeColor() const { return model.Colours().outDaysFore; }
    void setOutDaysForeColor(quint32 c) { setColor(&CalendarModel::Colors::outDaysFore, c); }
    quint32 ActiveDayForeColor() const { return model.Colours().activeDayFore; }
    void setActiveDayForeColor(quint32 c) { setColor(&CalendarModel::Colors::activeDayFore, c); }

    QFont ActiveDayFont() const { return model.ActiveDayFont(); }
    void setActiveDayFont(const QFont &font);
    QFont MonthNameFont() const { return model.MonthNameFont(); }
    void setMonthNameFont(const QFont &font);
    // The control's text font (also its QWidget font).
    QFont Font() const { return model.Font(); }
    void setFont(const QFont &font);

    void AboutBox();
    void Refresh() { PaintCalendar(); }

    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

    // For the menus, the tests and anyone who wants to look.
    const CalendarModel &Model() const { return model; }
    const MenuCaptionTable &MenuCaptions() const { return menuCaptions; }
    CalendarMenu *MonthsMenu() const { return mnuMonths; }
    CalendarMenu *YearsMenu() const { return mnuYears; }
    CalendarGeometry Geometry() const { return CalendarGeometry(size(), model); }
    CalendarGeometry::TitleMetrics TitleMetrics() const;
    // The last picture painted, as the widget shows it.
    QImage Picture() const;
    bool RunMode() const { return runMode; }
    int TrimWidth() const { return trimWidth; }
    int TrimHeight() const { return trimHeight; }
    // The hooks on this control; tests replace their error reporter.
    EventHooks &Hooks() { return hooks; }

Q_SIGNALS:
    void Change();
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void BuildMenus();
    void setMenuCaption(int id, const QString &caption);
    void UpdateMonthChecks();
    void UpdateYearCaptions();
    void MakeMenuOwnerDrawn(CalendarMenu *menu);
    void OpenMenu(CalendarMenu *menu, QPoint at);
    void StartHooks();
    void HookCallback(bool before, QEvent *event);

    // The one door for user changes: menus follow the model, the picture is
    // repainted, then Change and, for a clicked day, Click.
    void Settle(bool settled, bool clicked);
    // Tells assistive tools which day is selected now, and focused with the control.
    void AnnounceDay();
    void PaintCalendar();
    void RenderIfStale() const;
    void SnapSize();
    void ResizeBy(int dw, int dh);
    void setColor(quint32 CalendarModel::Colors::*member, quint32 value);
    QFont ContainerFont() const;

    CalendarModel model;
    EventHooks hooks;
    MenuCaptionTable menuCaptions;
    CalendarMenu *mnuMonths = nullptr;
    CalendarMenu *mnuYears = nullptr;
    // Painted when shown or looked at: a hidden calendar (the date picker until it
    // opens) only notes that its picture is out of date.
    mutable QImage canvas;
    mutable bool canvasStale = false;
    bool hasFocus = false;
    bool mouseFocus = false;
    bool runMode = false;
    bool initialised = false;
    bool inResize = false;
    int trimWidth = 0;
    int trimHeight = 0;
};
