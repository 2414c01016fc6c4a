#include "calendardrawing.h"
#include "calendarmenustyle.h"
#include "formdesign.h"
#include "propertybag.h"
#include "uccalendar.h"

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QMetaClassInfo>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using Hit = CalendarGeometry::Hit;

// The control as the user meets it: keys, clicks, menus, focus and size.
class tst_ucCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void keys_data();
    void keys();
    void clicks_data();
    void clicks();
    void monthButtons();
    void buttonsOffLeaveTheTitleInert();
    void menusOpenAtTheirPlaces_data();
    void menusOpenAtTheirPlaces();
    void menuChoices_data();
    void menuChoices();
    void menusAreOwnerDrawnOnceLoaded();
    void withoutTitleTopRowsAreDays();
    void disabledControlIgnoresInput();

    void snapsToWholeCells();
    void flagsResizeTheControl();
    void borderStyleResizesBeforeSnapping();
    void focusShowsTheMark();
    void focusByMouseWaitsForTheClick();
    void settingTheDateRaisesNothing();
    void paletteChangeRepaintsThroughTheHooks();
    void showsThePictureItPainted();
    void aboutBox();
    void designerTexts();
    void assistiveToolsSeeATableOfDays();

private:
    static PropertyBag MainWindowBag();
    QPoint CellCentre(int cell) const { return cal->Geometry().DayCell(cell).center(); }
    // Runs action while a menu opened by it is up; gives the menu and where it
    // opened, then does choose with it before closing it.
    void WithMenu(const std::function<void()> &action,
                  const std::function<void(QMenu *)> &choose = {});

    std::unique_ptr<QWidget> host;
    ucCalendar *cal = nullptr;
    QStringList events;
    QMenu *openedMenu = nullptr;
    QPoint openedAt;
};

void tst_ucCalendar::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

PropertyBag tst_ucCalendar::MainWindowBag()
{
    QFont font(u"DejaVu Sans"_s);
    font.setPointSizeF(8.25);
    QFont bold = font;
    bold.setBold(true);
    // The window's calendar, drawn in a font every test machine has.
    PropertyBag bag = FormDesign::SavedProperties(u"Cal");
    bag.WriteProperty(u"font"_s, font);
    bag.WriteProperty(u"activedayfont"_s, bold);
    bag.WriteProperty(u"monthnamefont"_s, bold);
    return bag;
}

void tst_ucCalendar::init()
{
    host = std::make_unique<QWidget>();
    host->resize(400, 300);
    cal = new ucCalendar(host.get());
    cal->setGeometry(8, 8, 322, 224);
    cal->ReadProperties(MainWindowBag());
    events.clear();
    connect(cal, &ucCalendar::Change, this, [this] { events.append(u"Change"_s); });
    connect(cal, &ucCalendar::Click, this, [this] { events.append(u"Click"_s); });
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    openedMenu = nullptr;
}

void tst_ucCalendar::cleanup()
{
    host.reset();
}

void tst_ucCalendar::WithMenu(const std::function<void()> &action,
                              const std::function<void(QMenu *)> &choose)
{
    bool looked = false;
    QTimer::singleShot(0, this, [&] {
        looked = true;
        openedMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!openedMenu)
            return;
        openedAt = openedMenu->pos();
        if (choose)
            choose(openedMenu);
        openedMenu->close();
    });
    action();
    QTRY_VERIFY(looked);
}

void tst_ucCalendar::keys_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("date");
    QTest::addColumn<int>("month");
    QTest::addColumn<QStringList>("raised");

    const QStringList change{u"Change"_s};
    QTest::newRow("Left on 1 September")
        << u"01.09.2014"_s << int(Qt::Key_Left) << u"31.08.2014"_s << 8 << change;
    QTest::newRow("Up in row 1") << u"03.07.2014"_s << int(Qt::Key_Up) << u"03.07.2014"_s << 7
                                 << QStringList();
    QTest::newRow("Down in row 6")
        << u"30.06.2014"_s << int(Qt::Key_Down) << u"30.06.2014"_s << 6 << QStringList();
    QTest::newRow("Down into July")
        << u"28.06.2014"_s << int(Qt::Key_Down) << u"05.07.2014"_s << 7 << change;
    QTest::newRow("Right") << u"18.06.2014"_s << int(Qt::Key_Right) << u"19.06.2014"_s << 6
                           << change;
    QTest::newRow("other keys") << u"18.06.2014"_s << int(Qt::Key_Home) << u"18.06.2014"_s << 6
                                << QStringList();
}

void tst_ucCalendar::keys()
{
    QFETCH(QString, start);
    QFETCH(int, key);
    QFETCH(QString, date);
    QFETCH(int, month);
    QFETCH(QStringList, raised);
    cal->setActiveDate(start);
    QTest::keyClick(cal, Qt::Key(key));
    QCOMPARE(events, raised);
    QCOMPARE(cal->ActiveDate(), date);
    QCOMPARE(cal->Model().DisplayMonth(), month);
    // The months menu follows the month on show.
    QVERIFY(cal->MonthsMenu()->Item(month - 1)->isChecked());
}

void tst_ucCalendar::clicks_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QStringList>("raised");

    const QStringList both{u"Change"_s, u"Click"_s};
    // June 2014 with Monday first: cells 7-12 are 26-31 May, 43-48 1-6 July.
    QTest::newRow("grey leading day") << int(Qt::LeftButton) << 7 << u"26.05.2014"_s << both;
    QTest::newRow("grey trailing day") << int(Qt::LeftButton) << 48 << u"06.07.2014"_s << both;
    QTest::newRow("June day") << int(Qt::LeftButton) << 30 << u"18.06.2014"_s << both;
    QTest::newRow("right button") << int(Qt::RightButton) << 30 << u"20.06.2014"_s << QStringList();
    QTest::newRow("middle button")
        << int(Qt::MiddleButton) << 7 << u"20.06.2014"_s << QStringList();
}

void tst_ucCalendar::clicks()
{
    QFETCH(int, button);
    QFETCH(int, cell);
    QFETCH(QString, date);
    QFETCH(QStringList, raised);
    cal->setActiveDate(u"20.06.2014"_s);
    QTest::mouseClick(cal, Qt::MouseButton(button), {}, CellCentre(cell));
    QCOMPARE(events, raised);
    QCOMPARE(cal->ActiveDate(), date);
    QCOMPARE(cal->Model().DisplayMonth(), CalendarModel::ParseDate(date).month());
}

void tst_ucCalendar::monthButtons()
{
    cal->setActiveDate(u"15.01.2014"_s);
    const QPoint previous = cal->Geometry().PreviousButton().center();
    const QPoint next = cal->Geometry().NextButton().center();

    QTest::mouseClick(cal, Qt::LeftButton, {}, previous);
    QCOMPARE(events, QStringList{u"Change"_s});
    QCOMPARE(cal->ActiveDate(), u"15.12.2013"_s);
    // The years menu now lists Y - 6 ... Y + 4 with Y - 1 checked in the middle.
    CalendarMenu *years = cal->YearsMenu();
    QCOMPARE(years->Item(0)->text(), u"2008"_s);
    QCOMPARE(years->Item(5)->text(), u"2013"_s);
    QCOMPARE(years->Item(10)->text(), u"2018"_s);
    QCOMPARE(cal->MenuCaptions()[ucCalendar::YearsMenuId + 6], u"2013"_s);
    for (int i = 0; i < 11; ++i)
        QCOMPARE(years->Item(i)->isChecked(), i == 5);
    for (int m = 0; m < 12; ++m)
        QCOMPARE(cal->MonthsMenu()->Item(m)->isChecked(), m == 11);

    // Right and middle buttons do not turn months.
    QTest::mouseClick(cal, Qt::RightButton, {}, next);
    QTest::mouseClick(cal, Qt::MiddleButton, {}, next);
    QCOMPARE(events.size(), 1);

    QTest::mouseClick(cal, Qt::LeftButton, {}, next);
    QTest::mouseClick(cal, Qt::LeftButton, {}, next);
    QCOMPARE(cal->ActiveDate(), u"15.02.2014"_s);
    QCOMPARE(events.size(), 3);
}

void tst_ucCalendar::buttonsOffLeaveTheTitleInert()
{
    cal->setMonthChangeButtons(false);
    QTest::mouseClick(cal, Qt::LeftButton, {}, cal->Geometry().PreviousButton().center());
    QTest::mouseClick(cal, Qt::LeftButton, {}, cal->Geometry().NextButton().center());
    QVERIFY(events.isEmpty());
    QCOMPARE(cal->ActiveDate(), u"18.06.2014"_s);
}

void tst_ucCalendar::menusOpenAtTheirPlaces_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("onMonth");
    QTest::addColumn<bool>("opens");

    QTest::newRow("left on the month") << int(Qt::LeftButton) << true << true;
    QTest::newRow("left on the year") << int(Qt::LeftButton) << false << true;
    QTest::newRow("right on the year") << int(Qt::RightButton) << false << true;
    QTest::newRow("right on the month") << int(Qt::RightButton) << true << true;
    QTest::newRow("middle on the month") << int(Qt::MiddleButton) << true << false;
    QTest::newRow("middle on the year") << int(Qt::MiddleButton) << false << false;
}

void tst_ucCalendar::menusOpenAtTheirPlaces()
{
    QFETCH(int, button);
    QFETCH(bool, onMonth);
    QFETCH(bool, opens);

    const CalendarGeometry geometry = cal->Geometry();
    const CalendarGeometry::TitleMetrics title = cal->TitleMetrics();
    const QRect area = onMonth ? geometry.MonthArea(title) : geometry.YearArea(title);
    QVERIFY(area.width() > 0);
    QCOMPARE(geometry.HitTest(area.center(), title).area, onMonth ? Hit::MonthMenu : Hit::YearMenu);

    WithMenu([&] { QTest::mouseClick(cal, Qt::MouseButton(button), {}, area.center()); });
    if (!opens) {
        QVERIFY(!openedMenu);
        return;
    }
    QCOMPARE(openedMenu, onMonth ? cal->MonthsMenu() : cal->YearsMenu());
    // Just under the title text's part, at its left edge.
    QCOMPARE(openedAt, cal->mapToGlobal(QPoint(area.left(), geometry.Border() + 18)));
    QVERIFY(events.isEmpty());
}

void tst_ucCalendar::menuChoices_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("months");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("date");

    QTest::newRow("31 March to February") << u"31.03.2015"_s << true << 2 << u"28.02.2015"_s;
    QTest::newRow("31 March to leap February") << u"31.03.2016"_s << true << 2 << u"29.02.2016"_s;
    QTest::newRow("29 February five years back")
        << u"29.02.2016"_s << false << 1 << u"28.02.2011"_s;
    QTest::newRow("middle year settles again") << u"18.06.2014"_s << false << 6 << u"18.06.2014"_s;
}

void tst_ucCalendar::menuChoices()
{
    QFETCH(QString, start);
    QFETCH(bool, months);
    QFETCH(int, item);
    QFETCH(QString, date);
    cal->setActiveDate(start);
    const CalendarGeometry::TitleMetrics title = cal->TitleMetrics();
    const QRect area = months ? cal->Geometry().MonthArea(title) : cal->Geometry().YearArea(title);

    WithMenu([&] { QTest::mouseClick(cal, Qt::LeftButton, {}, area.center()); },
             [&](QMenu *menu) { menu->actions().at(item - 1)->trigger(); });
    QCOMPARE(events, QStringList{u"Change"_s});
    QCOMPARE(cal->ActiveDate(), date);
    const QDate shown = CalendarModel::ParseDate(date);
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(cal->MonthsMenu()->Item(m - 1)->isChecked(), m == shown.month());
    for (int i = 1; i <= 11; ++i) {
        QCOMPARE(cal->YearsMenu()->Item(i - 1)->text(), QString::number(shown.year() + i - 6));
        QCOMPARE(cal->YearsMenu()->Item(i - 1)->isChecked(), i == 6);
    }
}

void tst_ucCalendar::menusAreOwnerDrawnOnceLoaded()
{
    QVERIFY(cal->RunMode());
    const QRect area = cal->Geometry().MonthArea(cal->TitleMetrics());
    QImage picture;
    QRect checkedItem;
    WithMenu([&] { QTest::mouseClick(cal, Qt::LeftButton, {}, area.center()); },
             [&](QMenu *menu) {
                 checkedItem = menu->actionGeometry(menu->actions().at(5)); // June
                 picture = menu->grab().toImage();
             });
    CalendarMenu *menu = cal->MonthsMenu();
    QVERIFY(menu->OwnerDrawn());
    QCOMPARE(cal->MenuCaptions()[ucCalendar::MonthsMenuId + 6], u"Июнь"_s);
    QCOMPARE(cal->MenuCaptions()[ucCalendar::MonthsMenuId + 9], u"Сентябрь"_s);

    const bool themed = CalendarMenuStyle::IsThemed(menu->style());
    const QSize measured = CalendarMenuStyle::MeasureMenuItem(menu->font(), u"Июнь"_s, themed);
    QCOMPARE(checkedItem.height(), measured.height());
    // The checked month's check mark area: themed, a tinted box framed in
    // highlight; classic, the mark alone in the menu text colour.
    const QPoint origin = checkedItem.topLeft();
    const QPalette &colours = menu->palette();
    if (themed) {
        QCOMPARE(picture.pixelColor(origin + QPoint(1, 1)),
                 ResolveColor(SysColor::Highlight, colours));
        QCOMPARE(picture.pixelColor(origin + QPoint(3, 3)),
                 CalendarDrawing::BlendColors(SysColor::Highlight, SysColor::Window, 30, colours));
    } else {
        // Lowest pixel of the 7 x 7 mark centred in the 18-pixel column.
        const QPoint markFoot = origin + QPoint(5 + 2, (checkedItem.height() - 7) / 2 + 6);
        QCOMPARE(picture.pixelColor(markFoot), ResolveColor(SysColor::MenuText, colours));
    }

    // A calendar that was never loaded keeps plain menus.
    ucCalendar plain(host.get());
    plain.setGeometry(0, 0, 322, 224);
    plain.show();
    QVERIFY(!plain.RunMode());
    WithMenu([&] {
        QTest::mouseClick(&plain, Qt::LeftButton, {},
                          plain.Geometry().MonthArea(plain.TitleMetrics()).center());
    });
    QCOMPARE(openedMenu, plain.MonthsMenu());
    QVERIFY(!plain.MonthsMenu()->OwnerDrawn());
}

void tst_ucCalendar::withoutTitleTopRowsAreDays()
{
    const QPoint monthName = cal->Geometry().MonthArea(cal->TitleMetrics()).center();
    cal->setShowMonth(false);
    cal->setShowWeekDays(false);
    QCOMPARE(cal->height(), 224 - 38);
    QSignalSpy shown(cal->MonthsMenu(), &QMenu::aboutToShow);
    QTest::mouseClick(cal, Qt::LeftButton, {}, monthName);
    QCOMPARE(shown.size(), 0);
    QCOMPARE(events, (QStringList{u"Change"_s, u"Click"_s}));
    // Without header rows the grid starts at the top: row 1 of June 2014 holds
    // 26 May to 1 June in columns 46 pixels wide.
    const QDate picked = QDate(2014, 5, 26).addDays(monthName.x() / 46);
    QCOMPARE(cal->ActiveDate(), CalendarModel::FormatDate(picked));
}

void tst_ucCalendar::disabledControlIgnoresInput()
{
    cal->setEnabled(false);
    QTest::mouseClick(cal, Qt::LeftButton, {}, CellCentre(20));
    QTest::keyClick(cal, Qt::Key_Left);
    QVERIFY(events.isEmpty());
    QCOMPARE(cal->ActiveDate(), u"18.06.2014"_s);
}

void tst_ucCalendar::snapsToWholeCells()
{
    cal->resize(330, 233);
    QCOMPARE(cal->size(), QSize(329, 230));
    QCOMPARE(cal->TrimWidth(), 1);
    QCOMPARE(cal->TrimHeight(), 3);
    cal->resize(335, 240);
    QCOMPARE(cal->size(), QSize(336, 242));
    QCOMPARE(cal->Picture().size(), QSize(336, 242));
}

void tst_ucCalendar::flagsResizeTheControl()
{
    cal->setShowMonth(false);
    QCOMPARE(cal->size(), QSize(322, 205));
    cal->setShowMonth(false);
    QCOMPARE(cal->size(), QSize(322, 205));
    cal->setShowMonth(true);
    QCOMPARE(cal->size(), QSize(322, 224));

    cal->setShowWeekNumber(true);
    QCOMPARE(cal->size(), QSize(346, 224));
    QCOMPARE(cal->Geometry().CellWidth(), 46);
    cal->setShowWeekNumber(true);
    QCOMPARE(cal->width(), 346);
    cal->setShowWeekNumber(false);
    QCOMPARE(cal->width(), 322);
}

void tst_ucCalendar::borderStyleResizesBeforeSnapping()
{
    // A new control: border 1 (2 pixels), cells of 30 x 20; hidden, like the
    // main window's calendar.
    ucCalendar fresh;
    QCOMPARE(fresh.size(), QSize(214, 162));
    fresh.setBorderStyle(0);
    // 212 x 160 first, then trimmed to whole cells.
    QCOMPARE(fresh.size(), QSize(210, 158));
    QCOMPARE(fresh.TrimWidth(), 2);
    QCOMPARE(fresh.TrimHeight(), 2);
    fresh.setBorderStyle(1);
    QCOMPARE(fresh.size(), QSize(214, 162));
    fresh.setBorderStyle(6);
    QCOMPARE(fresh.size(), QSize(212, 160));
}

void tst_ucCalendar::focusShowsTheMark()
{
    // Shown alone in its window, the control took the focus; start without it.
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(cal, &out);
    // 18 June's mark starts at (94, 133); the dots invert (95, 133).
    const QColor unmarked = cal->Picture().pixelColor(95, 133);
    QCOMPARE(unmarked, cal->Picture().pixelColor(96, 133));
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(cal, &in);
    const QColor marked = cal->Picture().pixelColor(95, 133);
    QCOMPARE(marked.rgb(), unmarked.rgb() ^ 0xFFFFFFu);
    QCoreApplication::sendEvent(cal, &out);
    QCOMPARE(cal->Picture().pixelColor(95, 133), unmarked);

    cal->setFocusStyle(2);
    QCoreApplication::sendEvent(cal, &in);
    QCOMPARE(cal->Picture().pixelColor(94, 133), ResolveColor(SysColor::Highlight, cal->palette()));
}

void tst_ucCalendar::focusByMouseWaitsForTheClick()
{
    cal->clearFocus();
    QVERIFY(QApplication::focusWidget() != cal);
    const QImage unfocused = cal->Picture();
    // Qt hands the focus over before the press arrives: the old day must not
    // flash its mark in between.
    QTest::mousePress(cal, Qt::LeftButton, {}, CellCentre(33));
    QCOMPARE(QApplication::focusWidget(), cal);
    QCOMPARE(cal->Picture(), unfocused);
    QTest::mouseRelease(cal, Qt::LeftButton, {}, CellCentre(33));
    QCOMPARE(events, (QStringList{u"Change"_s, u"Click"_s}));
    QCOMPARE(cal->ActiveDate(), u"21.06.2014"_s);
    QVERIFY(cal->Picture() != unfocused);
}

void tst_ucCalendar::settingTheDateRaisesNothing()
{
    cal->setActiveDate(u"31.02.2014"_s);
    QCOMPARE(cal->ActiveDate(), u"18.06.2014"_s);
    cal->setActiveDate(u"2014-09-01T10:00:00"_s);
    QCOMPARE(cal->ActiveDate(), u"01.09.2014"_s);
    QVERIFY(events.isEmpty());
    QVERIFY(cal->MonthsMenu()->Item(8)->isChecked());
    QCOMPARE(cal->YearsMenu()->Item(0)->text(), u"2009"_s);
    QCOMPARE(cal->property("ActiveDate").toString(), u"01.09.2014"_s);
}

void tst_ucCalendar::paletteChangeRepaintsThroughTheHooks()
{
    // Cell 30 (18 June) lies at (92, 131); its corner shows the days' background.
    QPalette red = cal->palette();
    red.setColor(QPalette::Base, Qt::red);
    cal->setPalette(red);
    QCOMPARE(cal->Picture().pixelColor(93, 132), QColor(Qt::red));

    // Without its hooks the control keeps the old picture until it repaints.
    cal->Hooks().sc_UnSubclassAll();
    QPalette green = red;
    green.setColor(QPalette::Base, Qt::green);
    cal->setPalette(green);
    QCOMPARE(cal->Picture().pixelColor(93, 132), QColor(Qt::red));
    cal->Refresh();
    QCOMPARE(cal->Picture().pixelColor(93, 132), QColor(Qt::green));
}

void tst_ucCalendar::showsThePictureItPainted()
{
    cal->setActiveDate(u"05.03.2015"_s);
    const QImage shown = cal->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown, cal->Picture());
}

void tst_ucCalendar::aboutBox()
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QMessageBox::StandardButtons buttons;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->accept();
    });
    cal->AboutBox();
    QCOMPARE(title, u"About ucCalendar"_s);
    QVERIFY(text.startsWith(u"ucCalendar Control 0.9 RC1\n\n"_s));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void tst_ucCalendar::designerTexts()
{
    const QMetaObject *meta = cal->metaObject();
    const auto info = [meta](const QString &key) {
        const int i = meta->indexOfClassInfo(key.toLatin1().constData());
        return i < 0 ? QString() : QString::fromUtf8(meta->classInfo(i).value());
    };
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QString name = QString::fromLatin1(meta->property(i).name());
        QVERIFY2(!info(u"Description:"_s + name).isEmpty(), qPrintable(name));
    }
    for (const QString &member :
         {u"Enabled"_s, u"AboutBox"_s, u"Refresh"_s, u"Change"_s, u"Click"_s})
        QVERIFY2(!info(u"Description:"_s + member).isEmpty(), qPrintable(member));
    QCOMPARE(info(u"Category:ActiveDate"_s), u"Otras"_s);
    QCOMPARE(info(u"Category:LineColor"_s), u"Apariencia"_s);
    QCOMPARE(info(u"Category:MonthChangeButtons"_s), QString());
    QCOMPARE(info(u"Description:Change"_s),
             u"Raised whenever the user changes the currently selected date."_s);
}

void tst_ucCalendar::assistiveToolsSeeATableOfDays()
{
    // June 2014, Monday first: 26 May to 6 July, 18 June in row 4, column 3.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(cal);
    QCOMPARE(iface->text(QAccessible::Name), u"Июнь 2014"_s);
    QAccessibleTableInterface *table = iface->tableInterface();
    QCOMPARE(table->columnDescription(6), u"воскресенье"_s);

    const auto name = [](QAccessibleInterface *cell) { return cell->text(QAccessible::Name); };
    QCOMPARE(name(table->cellAt(0, 0)), u"понедельник, 26 мая 2014 г."_s);
    QCOMPARE(name(table->cellAt(5, 6)), u"воскресенье, 6 июля 2014 г."_s);
    QAccessibleInterface *selected = table->cellAt(3, 2);
    QCOMPARE(table->selectedCells(), QList<QAccessibleInterface *>{selected});
    QVERIFY(selected->state().selected);
    QCOMPARE(iface->indexOfChild(selected), 23);
    const QRect cellOnScreen(cal->mapToGlobal(cal->Geometry().DayCell(30).topLeft()),
                             cal->Geometry().DayCell(30).size());
    QCOMPARE(selected->rect(), cellOnScreen);
    QCOMPARE(iface->childAt(cellOnScreen.center().x(), cellOnScreen.center().y()), selected);

    cal->setFocus();
    QCOMPARE(iface->focusChild(), selected);

    // Left on 1 June turns to May: the same places now hold May's days.
    cal->setActiveDate(u"01.06.2014"_s);
    QTest::keyClick(cal, Qt::Key_Left);
    QCOMPARE(iface->text(QAccessible::Name), u"Май 2014"_s);
    QCOMPARE(name(table->selectedCells().value(0)), u"суббота, 31 мая 2014 г."_s);
    QVERIFY(!selected->state().selected);
    QCOMPARE(name(table->cellAt(0, 0)), u"понедельник, 28 апреля 2014 г."_s);
}

QTEST_MAIN(tst_ucCalendar)
#include "tst_uccalendar.moc"
