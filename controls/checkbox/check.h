#pragma once

#include <QWidget>

class PropertyBag;

// Interim check box: the members the main window uses, drawn plainly.
class Check : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Value READ Value WRITE setValue)

public:
    explicit Check(QWidget *parent = nullptr);

    bool Value() const { return value; }
    // Every write raises Click, also when the value does not change.
    void setValue(bool v);

    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

Q_SIGNALS:
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool value = false;
};
