#pragma once

// What writing a part file takes on each platform; partfile_unix.cpp and
// partfile_win.cpp implement it, partfile.cpp holds the rest.

#include "nativehandle.h"
#include "partfile.h"

#include <QString>

class TargetFolder;

namespace PartFileSys {

enum class Created { Done, Taken, Failed };
// Makes the new file name in folder and opens it for writing, held against other
// instances' clean-up from the moment it exists. Taken: the name is someone
// else's, try another.
Created create(const TargetFolder &folder, const QString &name, NativeHandle *file);
bool writeAll(NativeHandle file, const char *data, qint64 size);
// Empties the file; the next write goes to its start.
bool truncate(NativeHandle file);
// Sends bytes [from, from + size) on their way to the disk without waiting,
// where the platform can.
void startWriteBack(NativeHandle file, qint64 from, qint64 size);
// The data written is on the disk.
bool syncData(NativeHandle file);
// Renames the open file from to to in folder, never replacing what is at to.
PartFile::Commit renameNoReplace(const TargetFolder &folder, NativeHandle file, const QString &from,
                                 const QString &to);
// Removes the open file name; the handle stays to be closed.
void remove(const TargetFolder &folder, NativeHandle file, const QString &name);
void close(NativeHandle file);

} // namespace PartFileSys
