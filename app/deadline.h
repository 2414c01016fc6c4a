#pragma once

#include <QTimer>

class G;

// Bounds one waiting call of G as a whole: when the time is up, the call is
// aborted and ends empty.
class Deadline
{
public:
    Deadline(G *client, int ms);
    bool passed() const { return Passed; }

private:
    QTimer Timer;
    bool Passed = false;
};
