#pragma once

#include <QByteArrayView>
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

// An artist or a song name keeps at most this many UTF-16 units (one fewer where
// the cut would split a surrogate pair). Real names are far shorter; the cap keeps
// painting the list and building file names fast whatever a page holds.
constexpr int MaxFieldLength = 4000;

// The songs of a history response (status line, headers, body, as received): the
// response split at every "song_box", each block after the first giving one song,
// in page order, none skipped. Fields are read as UTF-8 when the response declares
// that charset, else as Windows-1251; only the fields are decoded, never the page.
QList<SongEntry> ParsePlaylist(QByteArrayView response);

// "&amp;" becomes "&", then "/", "\", ":", "*" and "%" go. Nothing else is
// decoded or removed.
QString CleanTitle(QString title);

// The position as at least four digits ("0007", "12345").
QString PositionText(int position);

// The list's line for a song: position, a blank, title.
QString ListItemText(const SongEntry &song);
