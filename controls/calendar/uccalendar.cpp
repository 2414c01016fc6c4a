#include "uccalendar.h"

#include "calendardrawing.h"
#include "calendarpainter.h"
#include "controlsaccessibility.h"
#include "menupopupevent.h"
#include "propertybag.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

// Cells of a freshly placed control, before the host sizes it.
constexpr int NewCellWidth = 30;
constexpr int NewCellHeight = 20;

} // namespace

ucCalendar::ucCalendar(QWidget *parent) : QWidget(parent), hooks(u"ucCalendar"_s)
{
    InstallControlsAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    BuildMenus();

    model.InitProperties(ContainerFont());
    QWidget::setFont(model.Font());
    initialised = true;
    UpdateMonthChecks();
    UpdateYearCaptions();
    const int b = model.BorderWidth();
    resize(2 * b + 7 * NewCellWidth, 2 * b + 2 * CalendarGeometry::RowHeight + 6 * NewCellHeight);
    SnapSize();
}

ucCalendar::~ucCalendar()
{
    hooks.sc_UnSubclassAll();
    runMode = false;
    initialised = false;
    // The menus read the caption table, which goes before the children do.
    delete mnuMonths;
    delete mnuYears;
}

QFont ucCalendar::ContainerFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

void ucCalendar::BuildMenus()
{
    static const std::array<QString, 12> designMonths = {
        u"January"_s, u"Febraury"_s, u"March"_s,     u"April"_s,   u"May"_s,      u"June"_s,
        u"July"_s,    u"August"_s,   u"September"_s, u"October"_s, u"November"_s, u"December"_s};
    static const std::array<QString, 11> designYears = {u"-5"_s, u"-4"_s,      u"-3"_s, u"-2"_s,
                                                        u"-1"_s, u"Current"_s, u"+1"_s, u"+2"_s,
                                                        u"+3"_s, u"+4"_s,      u"+5"_s};

    menuCaptions[MonthsMenuId] = u"Months"_s;
    for (int m = 1; m <= 12; ++m)
        menuCaptions[MonthsMenuId + m] = designMonths[m - 1];
    menuCaptions[YearsMenuId] = u"Years"_s;
    for (int i = 1; i <= 11; ++i)
        menuCaptions[YearsMenuId + i] = designYears[i - 1];

    mnuMonths = new CalendarMenu(MonthsMenuId, &menuCaptions, this);
    for (int m = 1; m <= 12; ++m) {
        QAction *item = mnuMonths->AddItem(MonthsMenuId + m);
        connect(item, &QAction::triggered, this,
                [this, m] { Settle(model.ChooseMonth(m), false); });
    }
    mnuYears = new CalendarMenu(YearsMenuId, &menuCaptions, this);
    for (int i = 1; i <= 11; ++i) {
        QAction *item = mnuYears->AddItem(YearsMenuId + i);
        connect(item, &QAction::triggered, this, [this, i] { Settle(model.ChooseYear(i), false); });
    }
    for (CalendarMenu *menu : {mnuMonths, mnuYears}) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            MenuPopupEvent popup(menu);
            QCoreApplication::sendEvent(this, &popup);
        });
    }

    for (int m = 1; m <= 12; ++m)
        setMenuCaption(MonthsMenuId + m, CalendarModel::MonthName(m));
}

void ucCalendar::setMenuCaption(int id, const QString &caption)
{
    menuCaptions[id] = caption;
    CalendarMenu *menu = id > YearsMenuId ? mnuYears : mnuMonths;
    const int position = id - menu->Id() - 1;
    if (QAction *item = menu->Item(position))
        item->setText(caption);
}

void ucCalendar::UpdateMonthChecks()
{
    for (int m = 1; m <= 12; ++m)
        mnuMonths->Item(m - 1)->setChecked(m == model.DisplayMonth());
}

void ucCalendar::UpdateYearCaptions()
{
    for (int i = 1; i <= 11; ++i) {
        setMenuCaption(YearsMenuId + i, model.YearCaption(i));
        // The middle item always stands for the year on show.
        mnuYears->Item(i - 1)->setChecked(i == CurrentYearItem);
    }
}

void ucCalendar::MakeMenuOwnerDrawn(CalendarMenu *menu)
{
    const QList<QAction *> items = menu->actions();
    for (QAction *item : items) {
        const int id = menu->ItemId(item);
        if (id < 0 || id >= int(menuCaptions.size()))
            continue;
        QString caption = item->text().left(127);
        if (const qsizetype nul = caption.indexOf(QChar(0)); nul >= 0)
            caption.truncate(nul);
        menuCaptions[id] = caption;
    }
    menu->setOwnerDrawn(true);
}

void ucCalendar::OpenMenu(CalendarMenu *menu, QPoint at)
{
    menu->exec(mapToGlobal(at));
}

void ucCalendar::StartHooks()
{
    const bool hooked = hooks.sc_Subclass(
        this, 0, [this](bool before, bool &, qint32 &, QObject *, QEvent *event, qint32 &) {
            HookCallback(before, event);
        });
    if (!hooked)
        return;
    for (const int message : {int(QEvent::ThemeChange), int(QEvent::PaletteChange),
                              int(QEvent::StyleChange), int(MenuPopupEvent::EventType())})
        hooks.sc_WatchMessage(this, message, EventHooks::HOOK_AFTER);
}

void ucCalendar::HookCallback(bool before, QEvent *event)
{
    if (before)
        return;
    if (event->type() == MenuPopupEvent::EventType()) {
        if (auto *menu = qobject_cast<CalendarMenu *>(static_cast<MenuPopupEvent *>(event)->Menu()))
            MakeMenuOwnerDrawn(menu);
        return;
    }
    // Theme, palette or style changed: the colours of the picture did too.
    PaintCalendar();
}

void ucCalendar::Settle(bool settled, bool clicked)
{
    UpdateMonthChecks();
    UpdateYearCaptions();
    if (!settled)
        return;
    PaintCalendar();
    AnnounceDay();
    const QPointer<ucCalendar> alive(this);
    Q_EMIT Change();
    if (clicked && alive)
        Q_EMIT Click();
}

void ucCalendar::AnnounceDay()
{
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(this);
    if (!table || !table->tableInterface())
        return;
    // The title names the table: the month may have turned.
    QAccessibleEvent title(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&title);
    const int index = model.ActiveCell() - 7;
    if (index < 0)
        return;
    QAccessibleInterface *cell = table->tableInterface()->cellAt(index / 7, index % 7);
    if (!cell)
        return;
    QAccessibleEvent selection(cell, QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void ucCalendar::PaintCalendar()
{
    if (!initialised)
        return;
    canvasStale = true;
    if (isVisible()) {
        RenderIfStale();
        update();
    }
}

void ucCalendar::RenderIfStale() const
{
    if (!canvasStale)
        return;
    canvasStale = false;
    canvas = CalendarPainter::Render(model, size(),
                                     {palette(), hasFocus, logicalDpiY(), devicePixelRatioF()});
}

QImage ucCalendar::Picture() const
{
    RenderIfStale();
    return canvas;
}

void ucCalendar::SnapSize()
{
    if (inResize)
        return;
    inResize = true;
    const CalendarGeometry::Snap snap =
        CalendarGeometry::SnapSize(size(), trimWidth, trimHeight, CalendarGeometry::FlagsOf(model));
    trimWidth = snap.trimWidth;
    trimHeight = snap.trimHeight;
    if (snap.snapped != size())
        resize(snap.snapped);
    inResize = false;
    PaintCalendar();
}

void ucCalendar::ResizeBy(int dw, int dh)
{
    resize(width() + dw, height() + dh);
    // A hidden widget hears of its new size only when shown.
    SnapSize();
}

void ucCalendar::setShowMonth(bool on)
{
    if (on == model.ShowMonth())
        return;
    model.setShowMonth(on);
    SnapSize();
    ResizeBy(0, on ? CalendarGeometry::RowHeight : -CalendarGeometry::RowHeight);
}

void ucCalendar::setShowWeekDays(bool on)
{
    if (on == model.ShowWeekDays())
        return;
    model.setShowWeekDays(on);
    SnapSize();
    ResizeBy(0, on ? CalendarGeometry::RowHeight : -CalendarGeometry::RowHeight);
}

void ucCalendar::setMonthChangeButtons(bool on)
{
    model.setMonthChangeButtons(on);
    PaintCalendar();
}

void ucCalendar::setShowWeekNumber(bool on)
{
    if (on == model.ShowWeekNumber())
        return;
    model.setShowWeekNumber(on);
    const int w = CalendarGeometry::WeekNumberWidth;
    ResizeBy(on ? w : -w, 0);
}

void ucCalendar::setActiveDate(const QString &text)
{
    if (!model.setActiveDate(text))
        return;
    UpdateYearCaptions();
    UpdateMonthChecks();
    PaintCalendar();
    AnnounceDay();
}

void ucCalendar::setLineStyle(int style)
{
    model.setLineStyle(style);
    PaintCalendar();
}

void ucCalendar::setBorderStyle(int style)
{
    const int old = model.BorderWidth();
    model.setBorderStyle(style);
    const int delta = model.BorderWidth() - old;
    ResizeBy(delta, delta);
}

void ucCalendar::setFocusStyle(int style)
{
    model.setFocusStyle(style);
    PaintCalendar();
}

void ucCalendar::setFirstDayOfWeek(int day)
{
    if (model.setFirstDayOfWeek(day))
        PaintCalendar();
}

void ucCalendar::setColor(quint32 CalendarModel::Colors::*member, quint32 value)
{
    model.Colours().*member = value;
    PaintCalendar();
}

void ucCalendar::setActiveDayFont(const QFont &font)
{
    model.setActiveDayFont(font);
    PaintCalendar();
}

void ucCalendar::setMonthNameFont(const QFont &font)
{
    model.setMonthNameFont(font);
    PaintCalendar();
}

void ucCalendar::setFont(const QFont &font)
{
    model.setFont(font);
    QWidget::setFont(font);
    PaintCalendar();
}

void ucCalendar::AboutBox()
{
    QMessageBox box(QMessageBox::NoIcon, u"About ucCalendar"_s, CalendarModel::AboutText(),
                    QMessageBox::Ok, this);
    box.exec();
}

void ucCalendar::ReadProperties(const PropertyBag &bag)
{
    model.ReadProperties(bag, ContainerFont());
    QWidget::setFont(model.Font());
    UpdateMonthChecks();
    initialised = true;
    UpdateYearCaptions();
    // Styles and flags may have changed the cell layout.
    SnapSize();
    if (!runMode) {
        runMode = true;
        StartHooks();
    }
}

void ucCalendar::WriteProperties(PropertyBag &bag) const
{
    model.WriteProperties(bag, ContainerFont());
}

CalendarGeometry::TitleMetrics ucCalendar::TitleMetrics() const
{
    QFont bold = model.Font();
    bold.setBold(true);
    const QFontMetrics metrics(CalendarDrawing::CreatePointFont(bold, logicalDpiY()));
    return {metrics.horizontalAdvance(model.TitleText()),
            metrics.horizontalAdvance(CalendarModel::MonthName(model.DisplayMonth())),
            metrics.horizontalAdvance(QString::number(model.DisplayYear()))};
}

void ucCalendar::showEvent(QShowEvent *event)
{
    RenderIfStale();
    QWidget::showEvent(event);
}

void ucCalendar::paintEvent(QPaintEvent *)
{
    // Moved to a screen of another ratio: drawn again for it.
    if (!canvas.isNull() && canvas.devicePixelRatio() != devicePixelRatioF())
        canvasStale = true;
    RenderIfStale();
    QPainter painter(this);
    if (canvas.isNull())
        painter.fillRect(rect(), palette().button());
    else
        painter.drawImage(0, 0, canvas);
}

void ucCalendar::resizeEvent(QResizeEvent *)
{
    SnapSize();
}

void ucCalendar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        PaintCalendar();
    QWidget::changeEvent(event);
}

void ucCalendar::keyPressEvent(QKeyEvent *event)
{
    using Move = CalendarModel::Move;
    Move move;
    switch (event->key()) {
    case Qt::Key_Left:
        move = Move::Left;
        break;
    case Qt::Key_Up:
        move = Move::Up;
        break;
    case Qt::Key_Right:
        move = Move::Right;
        break;
    case Qt::Key_Down:
        move = Move::Down;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    Settle(model.MoveSelection(move), false);
}

void ucCalendar::mousePressEvent(QMouseEvent *)
{
    mouseFocus = true;
}

void ucCalendar::mouseReleaseEvent(QMouseEvent *event)
{
    const CalendarGeometry geometry = Geometry();
    const CalendarGeometry::Hit hit = geometry.HitTest(event->position().toPoint(), TitleMetrics());
    const Qt::MouseButton button = event->button();
    const int menuTop = geometry.Border() + 18;

    if (button != Qt::MiddleButton) {
        if (hit.area == CalendarGeometry::Hit::MonthMenu) {
            OpenMenu(mnuMonths, QPoint(hit.rect.left(), menuTop));
            return;
        }
        if (hit.area == CalendarGeometry::Hit::YearMenu) {
            OpenMenu(mnuYears, QPoint(hit.rect.left(), menuTop));
            return;
        }
    }
    if (button != Qt::LeftButton)
        return;
    switch (hit.area) {
    case CalendarGeometry::Hit::PreviousMonth:
        Settle(model.PreviousMonth(), false);
        break;
    case CalendarGeometry::Hit::NextMonth:
        Settle(model.NextMonth(), false);
        break;
    case CalendarGeometry::Hit::Day:
        Settle(model.PickCell(hit.cell), true);
        break;
    default:
        break;
    }
}

void ucCalendar::focusInEvent(QFocusEvent *event)
{
    hasFocus = true;
    // Qt hands the focus over before the press that caused it: the click's own
    // repaint shows the mark, on the day clicked.
    if (event->reason() == Qt::MouseFocusReason)
        mouseFocus = true;
    if (!mouseFocus)
        PaintCalendar();
    // After the focus event Qt sends for the whole control, so the day is the
    // last word.
    QMetaObject::invokeMethod(this, &ucCalendar::AnnounceDay, Qt::QueuedConnection);
}

void ucCalendar::focusOutEvent(QFocusEvent *)
{
    hasFocus = false;
    mouseFocus = false;
    PaintCalendar();
}
