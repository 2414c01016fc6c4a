#pragma once

#include <QByteArrayView>
#include <QString>

// Writes bytes as the file at path, creating the file's folder (one level) when
// it is missing. The bytes go to a temporary file in the same folder that then
// replaces the target in one rename, so an interrupted write never leaves a
// partial file under the final name. Returns false, leaving any existing file
// untouched, when the folder cannot be made, the existing file is read-only or
// not a file, the path is a link (the write would follow it elsewhere), or the
// write fails. On Windows "/" and "\" both separate folders.
bool SaveToFile(const QString &path, QByteArrayView bytes);
