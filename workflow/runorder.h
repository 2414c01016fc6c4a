#pragma once

#include "songid.h"

#include <QList>
#include <QString>

#include <functional>

// Which song a run starts next: the songs in page order, each reached once. A
// song's mark and the numbering option are read when the run reaches it, so what
// the user changes meanwhile counts for the songs not reached yet. Also how many
// songs the run fetches, as far as it can tell so far.
class RunOrder
{
public:
    // What the order asks of the songs' owner.
    class Marks
    {
    public:
        virtual ~Marks() = default;
        virtual bool isMarked(SongId song) const = 0;
        virtual bool noNumbers() const = 0;
    };

    struct Step
    {
        enum class Kind {
            Fetch,     // song goes next, under name; the ordinal-th of the run
            NoAddress, // song is marked but has no address: nothing to fetch
            Wait,      // the next song's name is busy: ask again when a song is done
            End,       // every song was reached
        };
        Kind kind = Kind::End;
        int index = -1; // into songs()
        QString name;
        int ordinal = 0;
    };

    RunOrder(QList<IdentifiedSong> songs, const Marks *marks);

    // Counts the songs marked now that have an address: the first guess of total().
    void begin();
    // The next step. Songs without a mark are passed over on the way; a song whose
    // name nameBusy() says is taken waits until it no longer is, and the songs
    // after it wait with it, so two songs of one name go one after the other.
    Step next(const std::function<bool(const QString &)> &nameBusy);

    const IdentifiedSong &song(int index) const { return Songs.at(index); }
    qsizetype size() const { return Songs.size(); }
    bool atEnd() const { return Next >= Songs.size(); }
    // Songs the run fetches: those reached, and those not reached yet that are
    // marked now or were at the start.
    int total() const { return Total; }
    int reached() const { return Reached; }

private:
    QList<IdentifiedSong> Songs;
    const Marks *MarksSource;
    QList<bool> CountedAtBegin;
    qsizetype Next = 0;
    int Total = 0;
    int Reached = 0;
};
