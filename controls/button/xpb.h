#pragma once

#include <QPushButton>

class PropertyBag;

// Interim themed button: the members the main window uses, on a plain push button.
class XpB : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(bool EnabledCtrl READ EnabledCtrl WRITE setEnabledCtrl)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)

public:
    explicit XpB(QWidget *parent = nullptr);

    bool EnabledCtrl() const { return isEnabled(); }
    void setEnabledCtrl(bool enabled) { setEnabled(enabled); }
    QString Caption() const { return text(); }
    void setCaption(const QString &caption) { setText(caption); }

    void ReadProperties(const PropertyBag &bag);

Q_SIGNALS:
    void Click();
};
