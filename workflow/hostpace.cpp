#include "hostpace.h"

#include <algorithm>

HostPace::HostPace(int fixed) : Auto(fixed <= 0), Limit(fixed <= 0 ? AutoStart : fixed) {}

void HostPace::restartWindow()
{
    WindowOpen = false;
    WindowClean = true;
}

void HostPace::sample(qint64 nowMs, qint64 bytes, bool saturated)
{
    if (!Auto || Settled)
        return;
    if (!WindowOpen) {
        // A window counts only from a moment when every slot is in use and bodies
        // come: before the first answers it would tell nothing, however long the
        // round trip.
        if (!saturated || bytes <= 0)
            return;
        WindowOpen = true;
        WindowClean = true;
        WindowStartMs = nowMs;
        WindowStartBytes = bytes;
        return;
    }
    WindowClean = WindowClean && saturated;
    if (nowMs - WindowStartMs < WindowMs)
        return;
    const double rate = double(bytes - WindowStartBytes) / double(nowMs - WindowStartMs);
    const bool clean = WindowClean;
    restartWindow();
    if (!clean || rate <= 0)
        return;
    // Growing by less than a tenth is the noise of a link already full.
    if (LastRate >= 0 && rate <= LastRate * 1.1) {
        Settled = true;
        return;
    }
    LastRate = rate;
    const int ceiling = Cap > 0 ? std::min(Cap, AutoMax) : AutoMax;
    Limit = std::min(Limit * 2, ceiling);
    if (Limit == ceiling) {
        Settled = true;
        return;
    }
    // The next window starts here: a long round trip is not waited out twice.
    WindowOpen = true;
    WindowStartMs = nowMs;
    WindowStartBytes = bytes;
}

void HostPace::refused(int accepted)
{
    Cap = std::max(1, Cap > 0 ? std::min(Cap, accepted) : accepted);
    Limit = std::min(Limit, Cap);
    Settled = true; // never more than the server takes
    restartWindow();
}

void HostPace::troubled()
{
    if (!Auto)
        return; // a number given is kept
    Limit = std::max(1, Limit / 2);
    LastRate = -1;
    // Automatic, it may grow again from here once the line is clean.
    Settled = Cap > 0 && Limit >= Cap;
    restartWindow();
}

void HostPace::holdUntil(qint64 ms)
{
    HeldUntil = std::max(HeldUntil, ms);
    restartWindow();
}
