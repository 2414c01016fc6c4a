#pragma once

#include <QString>

// What the progress bar shows for a percentage: the read-out text and the width
// of the fill, or nothing at 0 and above 100 (the last reports of a transfer
// count the headers too and overshoot).
struct ProgressReadout
{
    bool shown = false;
    QString text;
    int fillWidth = 0;
};

ProgressReadout ProgressFor(qint16 percent, int barWidth);
