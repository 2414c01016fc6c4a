#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

// An input locked while it holds the keyboard focus hands it on to the next
// one. This gives it back when the input is unlocked again, unless the focus
// has moved on since: a date picked from the keyboard, or a run started with
// Space, leaves the focus where it was once the work is done.
class FocusKeeper : public QObject
{
public:
    FocusKeeper(const QList<QWidget *> &inputs, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> locked; // the input that lost the focus by being locked
    QPointer<QWidget> heldBy; // where the focus went then
};
