#pragma once

#include <QAccessibleWidget>

class Check;

// What assistive tools see of a Check: a check box named by its caption label,
// checked or not, pressed while held, with a Toggle action.
class CheckAccessible : public QAccessibleWidget
{
public:
    explicit CheckAccessible(Check *box);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    // The picture area inside is part of the box, not a child of its own.
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    Check *box() const;
};
