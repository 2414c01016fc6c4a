#include "focuskeeper.h"

#include <QApplication>
#include <QEvent>

FocusKeeper::FocusKeeper(const QList<QWidget *> &inputs, QObject *parent) : QObject(parent)
{
    for (QWidget *input : inputs)
        input->installEventFilter(this);
}

bool FocusKeeper::eventFilter(QObject *watched, QEvent *event)
{
    auto *input = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::FocusOut && !input->isEnabled()) {
        // Qt has moved the focus already. Locked one after the other, the
        // inputs pass it along; the first one is owed it.
        if (!locked || input != heldBy)
            locked = input;
        heldBy = QApplication::focusWidget();
    } else if (event->type() == QEvent::EnabledChange && input == locked && input->isEnabled()) {
        if (QApplication::focusWidget() == heldBy)
            input->setFocus(Qt::OtherFocusReason);
        locked = nullptr;
        heldBy = nullptr;
    }
    return false;
}
