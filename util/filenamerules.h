#pragma once

#include <QChar>
#include <QStringView>

// What the file systems of the platform make of a file name. One file per
// platform implements these: filenamerules_unix.cpp, filenamerules_win.cpp.
namespace FileNameRules {

// c cannot stand in a name. Control characters (U+0000-U+001F, U+007F) count
// everywhere: legal in Linux names, they break listings, shells and copies.
bool isRefused(QChar c);

// What the units at i of name (one character, two for a surrogate pair) take in
// a stored name: bytes of UTF-8 on Linux, UTF-16 units on Windows. Advances i
// past them.
qsizetype storedLength(QStringView name, qsizetype &i);

// name is made of allowed characters and still names no file: on Windows the
// device names (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$, in
// any case, with or without an extension) and names that end in a dot or a
// blank, which Windows would store under another name. Never on Unix.
bool isReserved(QStringView name);

} // namespace FileNameRules
