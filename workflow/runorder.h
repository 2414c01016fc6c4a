#pragma once

#include "songid.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// Which song a run starts next: the songs in page order, each reached once. A
// song's mark and the numbering option are read when the run reaches it, so what
// the user changes meanwhile counts for the songs not reached yet. A song whose
// name is taken by one in flight is passed over and goes once the name is free.
// Also how many songs the run fetches, as far as it can tell so far, and the
// songs' file names: two different songs never get one name within a run.
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
            Wait,      // nothing can start now: ask again when a song is done
            End,       // every song was reached and taken
        };
        Kind kind = Kind::End;
        int index = -1; // into songs()
        QString name;
        int ordinal = 0;
    };

    // Whether a song can start now, given its file name and address.
    enum class Room {
        Go,
        NameBusy, // a song of that name is in flight: this one is passed over
        HostFull, // its server takes no more now: this one and those after it wait
    };
    using RoomCheck = std::function<Room(const QString &name, const QString &url)>;

    RunOrder(QList<IdentifiedSong> songs, const Marks *marks);

    // Counts the songs marked now that have an address: the first guess of total().
    void begin();
    // The next step: a song passed over earlier comes first once it can go.
    // Songs without a mark are passed over on the way.
    Step next(const RoomCheck &room);
    // The addresses of the songs likely to start next, at most most of them.
    QStringList upcomingUrls(int most) const;

    const IdentifiedSong &song(int index) const { return Songs.at(index); }
    qsizetype size() const { return Songs.size(); }
    bool atEnd() const { return Next >= Songs.size() && Deferred.isEmpty(); }
    // Songs the run fetches: those reached, and those not reached yet that are
    // marked now or were at the start.
    int total() const { return Total; }
    int reached() const { return Reached; }

private:
    QString nameOf(const SongEntry &song);

    QList<IdentifiedSong> Songs;
    const Marks *MarksSource;
    QList<bool> CountedAtBegin;
    qsizetype Next = 0;
    QList<QPair<int, QString>> Deferred; // passed over for their names, in page order
    QHash<QString, QString> Claims;      // file name -> what it was made of
    int Total = 0;
    int Reached = 0;
};
