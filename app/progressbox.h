#pragma once

#include <QLabel>

// The frame of the window's progress bar (Progress): a picture box holding the
// fill picture and the read-out. Assistive tools see a progress bar with the
// percentage the read-out shows.
class ProgressBox : public QLabel
{
    Q_OBJECT

public:
    explicit ProgressBox(QWidget *parent = nullptr);

    int ShownPercent() const { return shown; }
    // What the read-out shows now, 0 while it shows nothing.
    void setShownPercent(int percent);

private:
    int shown = 0;
};
