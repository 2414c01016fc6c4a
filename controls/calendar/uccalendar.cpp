#include "uccalendar.h"

#include "propertybag.h"

#include <QCalendarWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ucCalendar::ucCalendar(QWidget *parent) : QWidget(parent), calendar(new QCalendarWidget(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(calendar);
    calendar->setFirstDayOfWeek(Qt::Monday);
    connect(calendar, &QCalendarWidget::clicked, this, [this] {
        Q_EMIT Change();
        Q_EMIT Click();
    });
}

QString ucCalendar::ActiveDate() const
{
    return calendar->selectedDate().toString(u"dd.MM.yyyy"_s);
}

void ucCalendar::setActiveDate(const QString &text)
{
    const QDate date = QDate::fromString(text, u"dd.MM.yyyy"_s);
    if (date.isValid())
        calendar->setSelectedDate(date);
}

void ucCalendar::ReadProperties(const PropertyBag &bag)
{
    setActiveDate(bag.ReadProperty(u"ActiveDate"_s, ActiveDate()).toString());
}
