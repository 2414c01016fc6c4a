#pragma once

#include <QString>

#include <string>

// path as the wide-character file calls take it: absolute, with backslashes and
// the \\?\ prefix that lifts the 260-character limit. Such a path is taken
// literally: no "." or ".." steps, and trailing dots and blanks stay.
std::wstring LongPath(const QString &path);
