#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Decodes Base64 (RFC 4648 alphabet, "=" as padding) group by group.
//
// Each complete group of four characters yields three bytes, one fewer for each
// of its third and fourth values that is padding; a padded group may be followed
// by more groups, whose bytes follow directly. Padding in the first or second
// place enters the arithmetic as the value 64. Characters left over after the
// last complete group are ignored.
//
// Characters outside the alphabet and "=" (line breaks, blanks, anything a page
// may put there) are skipped: they neither fill a group place nor yield bytes.
QByteArray Base64Decode(QStringView text);

// Same, straight from the bytes of a page: bytes above 127 are outside the
// alphabet and skipped, as the characters they would decode to are.
QByteArray Base64Decode(QByteArrayView bytes);
