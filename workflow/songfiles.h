#pragma once

#include "playlist.h"

#include <QString>

// Longest file name the file systems we run on accept: 255 bytes of UTF-8 on
// Linux, 255 UTF-16 units on Windows.
constexpr int MaxFileNameLength = 255;

// The file name of a song: its position as four digits and a blank (unless
// noNumbers), its title, ".mp3"; made safe for the file system and capped.
QString SongFileName(const SongEntry &song, bool noNumbers);
// What SongFileName makes its name of, before it is made safe and cut.
QString SongFileStem(const SongEntry &song, bool noNumbers);

// stem with what does not belong in a file name replaced by "_" (control
// characters U+0000-U+001F and U+007F everywhere; on Windows also ? " < > | : *;
// "/" and "\" never reach here, the title cleaning removes them), cut after its
// last whole character that lets extension fit MaxFileNameLength. Linear in the
// length of stem.
QString SafeFileName(const QString &stem, const QString &extension);

// The folders a run stores into: the chosen folder (given a separator when it
// lacks one) and the station's name; below it, optionally, the day of the run.
// Each ends in the folder separator.
QString StationFolder(const QString &chosenFolder, const QString &stationName);
QString DateFolder(const QString &stationFolder, const QString &dateText);
