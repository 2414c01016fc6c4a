#include "runprogress.h"

#include <algorithm>
#include <cmath>

namespace {

// How long a change of pace takes to show in full: a song that ends or a new
// connection's slow start do not swing the figure from one tick to the next.
constexpr double SmoothingMs = 3000.0;

} // namespace

void RunProgress::setTotal(int songs)
{
    Total = songs;
}

void RunProgress::started(SongId song)
{
    // A song started again (a retry) keeps what it had, so its bytes count once.
    if (!Flying.contains(song))
        Flying.insert(song, {});
}

void RunProgress::received(SongId song, qint64 bytes, qint64 length)
{
    const auto it = Flying.find(song);
    if (it == Flying.end())
        return;
    // Fewer bytes than before: the song started over, and these came anew.
    Arrived += bytes >= it->bytes ? bytes - it->bytes : bytes;
    it->bytes = bytes;
    it->length = length;
}

void RunProgress::finished(SongId song, SongOutcome::Kind kind, qint64 bytes)
{
    Flying.remove(song);
    switch (kind) {
    case SongOutcome::Kind::Stored:
        ++Done;
        ++Stored;
        StoredBytes += std::max<qint64>(0, bytes);
        break;
    case SongOutcome::Kind::Failed:
        ++Done;
        break;
    case SongOutcome::Kind::Present:
        ++Present;
        break;
    case SongOutcome::Kind::NoAddress:
        break; // never part of the total
    }
}

void RunProgress::sample(qint64 ms)
{
    if (LastMs < 0 || ms <= LastMs) {
        if (LastMs < 0) {
            LastMs = ms;
            LastArrived = Arrived;
        }
        return;
    }
    const double elapsed = double(ms - LastMs);
    const double now = double(Arrived - LastArrived) * 1000.0 / elapsed;
    const double weight = 1.0 - std::exp(-elapsed / SmoothingMs);
    // The first measure stands for itself; later ones move the figure gradually.
    Speed = Speed > 0 ? Speed + weight * (now - Speed) : now;
    LastMs = ms;
    LastArrived = Arrived;
}

int RunProgress::percent() const
{
    const int songs = total();
    if (songs <= 0)
        return 0;
    double done = Done;
    for (const Flight &flight : Flying) {
        if (flight.length > 0)
            done += std::clamp(double(flight.bytes) / double(flight.length), 0.0, 1.0);
    }
    return std::clamp(int(std::floor(100.0 * done / double(songs))), 0, 100);
}

qint64 RunProgress::meanLength() const
{
    if (Stored > 0)
        return StoredBytes / Stored;
    qint64 sum = 0;
    int known = 0;
    for (const Flight &flight : Flying) {
        if (flight.length > 0) {
            sum += flight.length;
            ++known;
        }
    }
    return known > 0 ? sum / known : -1;
}

qint64 RunProgress::bytesLeft() const
{
    const qint64 mean = meanLength();
    qint64 left = 0;
    for (const Flight &flight : Flying) {
        const qint64 length = flight.length >= 0 ? flight.length : mean;
        if (length < 0)
            return -1;
        left += std::max<qint64>(0, length - flight.bytes);
    }
    const int waiting = std::max(0, total() - Done - inFlight());
    if (waiting > 0) {
        if (mean < 0)
            return -1;
        left += qint64(waiting) * mean;
    }
    return left;
}

qint64 RunProgress::secondsLeft() const
{
    const qint64 left = bytesLeft();
    if (left < 0 || Speed <= 0)
        return -1;
    return qint64(std::ceil(double(left) / Speed));
}
