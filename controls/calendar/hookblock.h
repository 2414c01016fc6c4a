#pragma once

#include "messagetable.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QEvent;

// The hook on one object (as a rule a widget): an event filter that hands
// chosen events to a callback before and/or after the previous handler. That
// is the hook another owner put on the object earlier, if one is still in
// place, or else the object's own event(). Lives as a child of the object.
// Other event filters installed on the object before the hook do not see the
// events the hook takes.
class HookBlock : public QObject
{
    Q_OBJECT

public:
    // before: true for the call ahead of the widget's own handling. Setting
    // handled there skips the widget and the after call; result is what the
    // delivery gives back (the widget's own result, 0 or 1, in the after call).
    using Callback = std::function<void(bool before, bool &handled, qint32 &result, QObject *window,
                                        QEvent *event, qint32 &userValue)>;

    HookBlock(QObject *window, qint32 userValue, Callback callback);

    QObject *Window() const { return window; }
    MessageTable &Before() { return before; }
    MessageTable &After() { return after; }
    qint32 &UserValue() { return userValue; }
    int BusyCount() const { return busy; }
    bool Installed() const { return installed; }

    // The latest hook still in place on window, the first to see its events.
    static HookBlock *Topmost(QObject *window);

    // The whole hooked delivery of one event; its result.
    qint32 Procedure(QEvent *event);
    // The previous handler (an earlier hook or the widget's own handling),
    // counted as busy while it runs.
    qint32 CallPrevious(QEvent *event);

    // No more callbacks; the hook leaves once no call into the widget's own
    // handling is in progress.
    void Shutdown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Remove();

    QPointer<QObject> window;
    // The hook this one passes events on to; none: the widget itself.
    QPointer<HookBlock> previous;
    quint64 order;
    Callback callback;
    MessageTable before;
    MessageTable after;
    qint32 userValue;
    int busy = 0;
    bool shutdown = false;
    bool installed = false;
};
