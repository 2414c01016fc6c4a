#pragma once

#include <QAccessibleWidget>

class XpB;

// What assistive tools see of an XpB: a push button named by its caption
// without the access key marks, pressed while held, with a Press action.
class XpBAccessible : public QAccessibleWidget
{
public:
    explicit XpBAccessible(XpB *button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    XpB *button() const;
};
