#pragma once

#include <QWidget>

class PropertyBag;
class QCalendarWidget;

// Interim month calendar: the members the main window uses, over Qt's calendar.
class ucCalendar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString ActiveDate READ ActiveDate WRITE setActiveDate)

public:
    explicit ucCalendar(QWidget *parent = nullptr);

    // "dd.MM.yyyy"
    QString ActiveDate() const;
    void setActiveDate(const QString &text);

    void ReadProperties(const PropertyBag &bag);

Q_SIGNALS:
    void Change();
    void Click();

private:
    QCalendarWidget *calendar;
};
