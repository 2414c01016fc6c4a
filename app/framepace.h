#pragma once

#include <QObject>

#include <functional>

class QTimer;

// Shows what changed at most once a frame: the first change at once, which opens
// a frame; what comes within it waits for its end. show() shows what waits and
// tells whether it showed anything (nothing shown opens no frame).
class FramePace : public QObject
{
public:
    FramePace(std::function<bool()> show, QObject *parent);

    // Something changed.
    void request();
    // Shows what waits at once and closes the frame.
    void flush();

    static constexpr int FrameMs = 16;

private:
    void frameOver();

    std::function<bool()> Show;
    QTimer *Frame;
    bool Waiting = false;
};
