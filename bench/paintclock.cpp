#include "paintclock.h"

#include "benchkit.h"

#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

namespace Bench {

PaintClock::PaintClock(QWidget *widget, std::function<bool()> condition)
    : Widget(widget), Condition(std::move(condition))
{
    Widget->installEventFilter(this);
}

PaintClock::~PaintClock()
{
    Widget->removeEventFilter(this);
}

bool PaintClock::wait(int ms)
{
    if (PaintedNs == 0) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(ms);
        Loop = &loop;
        loop.exec();
        Loop = nullptr;
    }
    return PaintedNs != 0;
}

bool PaintClock::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Widget && event->type() == QEvent::Paint && !Seen &&
        (!Condition || Condition())) {
        Seen = true;
        // Queued, so it runs once this paint and its flush are done.
        QMetaObject::invokeMethod(
            this,
            [this] {
                PaintedNs = nowNs();
                if (Loop)
                    Loop->quit();
            },
            Qt::QueuedConnection);
    }
    return false;
}

} // namespace Bench
