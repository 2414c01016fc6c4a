#pragma once

#include "playlist.h"

#include <QtGlobal>

// A song of a loaded list as the run and the views name it. An id stays its
// song's for as long as the list holds it, whatever happens to the rows, and is
// never given again: an id from an earlier list names no song of a later one.
using SongId = quint64;

struct IdentifiedSong
{
    SongId id = 0;
    SongEntry song;
};
