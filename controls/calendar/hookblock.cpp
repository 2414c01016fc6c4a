#include "hookblock.h"

#include <QEvent>

HookBlock::HookBlock(QObject *window, qint32 userValue, Callback callback)
    : QObject(window), window(window), callback(std::move(callback)), userValue(userValue)
{
    window->installEventFilter(this);
    installed = true;
}

bool HookBlock::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != window || !installed)
        return false;
    Procedure(event);
    // The widget's own event() ran inside Procedure, or a callback handled it.
    return true;
}

qint32 HookBlock::Procedure(QEvent *event)
{
    const QPointer<HookBlock> alive(this);
    const int type = int(event->type());
    qint32 result = 0;
    bool handled = false;

    if (callback && before.Delivers(type)) {
        callback(true, handled, result, window, event, userValue);
        if (!alive || handled)
            return result;
    }

    result = CallPrevious(event);
    // The widget may have gone, taking this hook with it.
    if (!alive)
        return result;
    if (busy == 0 && shutdown) {
        Remove();
        return result;
    }

    if (callback && after.Delivers(type))
        callback(false, handled, result, window, event, userValue);
    return result;
}

qint32 HookBlock::CallPrevious(QEvent *event)
{
    if (!window)
        return 0;
    const QPointer<HookBlock> alive(this);
    ++busy;
    // QObject::event is public: the object's own handler, widgets' included.
    const bool accepted = window->event(event);
    if (alive)
        --busy;
    return accepted ? 1 : 0;
}

void HookBlock::Shutdown()
{
    shutdown = true;
    before.Remove(MessageTable::AllMessages);
    after.Remove(MessageTable::AllMessages);
    if (busy == 0)
        Remove();
}

void HookBlock::Remove()
{
    if (!installed)
        return;
    installed = false;
    if (window)
        window->removeEventFilter(this);
    deleteLater();
}
