#pragma once

#include "playlist.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The song files already under a station's folder: in it and in the folders
// below it (the day folders), with or without the number in front of a name.
// A song is found by its file name without a number, so yesterday's
// "0012 Artist - Song.mp3" is today's song 3 too. The scan reads folder entries
// only, never a file, and stops at its limits; it needs no event loop and may
// run on any thread.
class SongLibrary
{
public:
    struct Limits
    {
        int depth = 3;        // folders below the station's folder that are read
        int entries = 200000; // entries read in all
    };

    // Nothing is found in an empty library.
    SongLibrary() = default;
    static SongLibrary scan(const QString &stationFolder, const Limits &limits);
    static SongLibrary scan(const QString &stationFolder) { return scan(stationFolder, Limits()); }

    // The path of a file holding song, in the platform's form; "" when there is none.
    QString find(const SongEntry &song) const;

    // Entries read, and whether the scan saw every one within the depth.
    int entriesRead() const { return Read; }
    bool complete() const { return Complete; }

    // The file name a song has without a number: the key it is found by. A
    // numbered name gives it too ("0012 Artist - Song.mp3" gives "Artist - Song.mp3").
    static QString keyOf(const SongEntry &song);
    static QString unnumbered(const QString &fileName);

private:
    // Where a file lies: its folder among those read, and its name there.
    struct Place
    {
        int folder = -1;
        QString name;
    };

    void add(const QString &name, int folder);

    QStringList Folders;
    QHash<QString, Place> Files; // by key; paths are made only for what is found
    int Read = 0;
    bool Complete = true;
};
