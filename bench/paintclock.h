#pragma once

#include <QObject>

#include <functional>

class QEventLoop;
class QWidget;

namespace Bench {

// Notes when a widget is first painted once a condition holds (say, its list is
// filled), from the clock's making on: the time the event loop is back from that
// paint, so the frame is out.
class PaintClock : public QObject
{
public:
    explicit PaintClock(QWidget *widget, std::function<bool()> condition = {});
    ~PaintClock() override;

    // nowNs() after that paint, or 0 while none came.
    qint64 paintedNs() const { return PaintedNs; }
    // Runs the event loop until that paint has come, or ms passed.
    bool wait(int ms);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *Widget;
    std::function<bool()> Condition;
    bool Seen = false;
    qint64 PaintedNs = 0;
    QEventLoop *Loop = nullptr;
};

} // namespace Bench
