#pragma once

#include <QList>
#include <QString>

// One song of a loaded history page.
struct SongEntry
{
    int position = 0; // 1-based place of its block on the page
    QString title;    // artist, " - ", song name, cleaned
    QString url;      // decoded download address; empty when the block had none
};

// Playlists hold at most this many songs (the counter of the original list).
constexpr int MaxSongs = 32767;

// The songs of a history page: the page split at every "song_box", each block
// after the first giving one song, in page order, none skipped.
QList<SongEntry> ParsePlaylist(const QString &pageText);

// "&amp;" becomes "&", then "/", "\", ":", "*" and "%" go. Nothing else is
// decoded or removed.
QString CleanTitle(QString title);

// The position as at least four digits ("0007", "12345").
QString PositionText(int position);

// The list's line for a song: position, a blank, title.
QString ListItemText(const SongEntry &song);
