#include "framepace.h"

#include <QTimer>

FramePace::FramePace(std::function<bool()> show, QObject *parent)
    : QObject(parent), Show(std::move(show)), Frame(new QTimer(this))
{
    Frame->setSingleShot(true);
    Frame->setInterval(FrameMs);
    connect(Frame, &QTimer::timeout, this, &FramePace::frameOver);
}

void FramePace::request()
{
    if (Frame->isActive()) {
        Waiting = true;
        return;
    }
    Waiting = false;
    if (Show())
        Frame->start();
}

void FramePace::flush()
{
    Frame->stop();
    Waiting = false;
    Show();
}

void FramePace::frameOver()
{
    if (!std::exchange(Waiting, false))
        return;
    if (Show())
        Frame->start();
}
