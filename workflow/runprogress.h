#pragma once

#include "songid.h"
#include "songoutcome.h"

#include <QHash>

#include <QtGlobal>
#include <algorithm>

// Where a run stands, in songs and bytes, and how fast it goes: plain arithmetic
// the run's signals feed and the owner reads. Songs found on disk already are no
// part of the total; a failed song counts as done. Time comes in as an argument,
// so a test needs no clock.
class RunProgress
{
public:
    // Songs the run fetches as far as it knows now, songs found present included.
    void setTotal(int songs);
    void started(SongId song);
    // bytes: of the song's body so far; length: the body's, -1 when not known.
    void received(SongId song, qint64 bytes, qint64 length);
    void finished(SongId song, SongOutcome::Kind kind, qint64 bytes);
    // The bytes so far, seen at ms since the run began; the speed follows it.
    void sample(qint64 ms);

    int total() const { return std::max(0, Total - Present); }
    int inFlight() const { return int(Flying.size()); }
    int done() const { return Done; }
    // Songs done and the parts of those in flight, of total().
    int percent() const;
    // Smoothed; 0 until two samples apart in time have been seen.
    double bytesPerSecond() const { return Speed; }
    // What is still to come: the rest of the songs in flight, and the songs not
    // started yet, each as long as the finished ones were on average. -1 while
    // nothing tells how long a song is.
    qint64 bytesLeft() const;
    // -1 while either the speed or the bytes left are unknown.
    qint64 secondsLeft() const;

private:
    struct Flight
    {
        qint64 bytes = 0;
        qint64 length = -1;
    };
    // The mean length of a song: of the finished ones, else of the known lengths
    // of those in flight; -1 when there is none.
    qint64 meanLength() const;

    QHash<SongId, Flight> Flying;
    int Total = 0;
    int Present = 0;
    int Done = 0;
    int Stored = 0;
    qint64 StoredBytes = 0;
    qint64 Arrived = 0; // every body byte seen, of finished songs too
    qint64 LastMs = -1;
    qint64 LastArrived = 0;
    double Speed = 0;
};
