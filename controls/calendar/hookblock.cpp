#include "hookblock.h"

#include <QEvent>

namespace {

// Orders the hooks on one object as they were put in place.
quint64 hooksMade = 0;

} // namespace

HookBlock::HookBlock(QObject *window, qint32 userValue, Callback callback)
    : QObject(window), window(window), order(++hooksMade), callback(std::move(callback)),
      userValue(userValue)
{
    previous = Topmost(window);
    // The filter installed last runs first: this hook now sees events before
    // the earlier ones, and hands them down the chain.
    window->installEventFilter(this);
    installed = true;
}

HookBlock *HookBlock::Topmost(QObject *window)
{
    HookBlock *top = nullptr;
    if (!window)
        return top;
    for (QObject *child : window->children()) {
        auto *block = qobject_cast<HookBlock *>(child);
        if (block && block->installed && (!top || block->order > top->order))
            top = block;
    }
    return top;
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
    qint32 result = 0;
    if (previous)
        result = previous->Procedure(event);
    else // QObject::event is public: the object's own handler, widgets' included.
        result = window->event(event) ? 1 : 0;
    if (alive)
        --busy;
    return result;
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
    if (window) {
        window->removeEventFilter(this);
        // A later hook that passed events to this one passes them further down.
        for (QObject *child : window->children()) {
            auto *later = qobject_cast<HookBlock *>(child);
            if (later && later->previous == this)
                later->previous = previous;
        }
    }
    deleteLater();
}
