#pragma once

#include <QtGlobal>

// How many songs of one server a run fetches at once. Fixed, it is the number
// given, lowered for good when the server shows it takes fewer. Automatic, it
// starts at AutoStart and doubles, up to AutoMax, after each window in which
// every slot was used, bodies came, nothing went wrong and they came faster than
// in the window before; once a window brings no more, it stays. Windows are short
// and follow one another, so a long round trip's first seconds, when every
// connection still speeds up, take it to AutoMax soon. Trouble on the line (a
// reset or a stall) halves it at once; a server that refuses, queues or throttles
// connections caps it at the connections it was serving then. Plain arithmetic
// on the times and byte counts it is given.
class HostPace
{
public:
    static constexpr int AutoStart = 4;
    static constexpr int AutoMax = 16;
    static constexpr qint64 WindowMs = 200;

    // fixed: songs at once, or 0 for automatic.
    explicit HostPace(int fixed = 0);

    bool isAuto() const { return Auto; }
    // Automatic, and it may still double.
    bool growing() const { return Auto && !Settled; }
    int limit() const { return Limit; }
    // The most the server was seen to accept; 0 while it has refused nothing.
    int cap() const { return Cap; }

    // The host's body bytes so far, at nowMs, and whether all its slots were in
    // use, none of them by a connection the server leaves waiting.
    void sample(qint64 nowMs, qint64 bytes, bool saturated);
    // The server refused, left unanswered or throttled a connection while it served
    // accepted others.
    void refused(int accepted);
    // A connection broke or stalled (automatic only).
    void troubled();

    // No connection to the server until then (a Retry-After).
    void holdUntil(qint64 ms);
    bool heldAt(qint64 nowMs) const { return nowMs < HeldUntil; }
    qint64 heldUntil() const { return HeldUntil; }

private:
    void restartWindow();

    bool Auto = true;
    int Limit = AutoStart;
    int Cap = 0;
    bool Settled = false; // automatic, and a window brought no more

    bool WindowOpen = false;
    bool WindowClean = true; // every sample saturated, no setback
    qint64 WindowStartMs = 0;
    qint64 WindowStartBytes = 0;
    double LastRate = -1; // bytes/ms of the last window that raised the limit
    qint64 HeldUntil = 0;
};
