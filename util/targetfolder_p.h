#pragma once

// What holding a folder takes on each platform; targetfolder_unix.cpp and
// targetfolder_win.cpp implement it, targetfolder.cpp holds the rest.

#include "nativehandle.h"
#include "targetfolder.h"

#include <QString>
#include <QStringList>

namespace TargetFolderSys {

// The folder at path, held; NoHandle when it is no folder or cannot be had.
NativeHandle openFolder(const QString &path);
// The folder name inside parent (at parentPath), made when missing, held.
NativeHandle openSubfolder(NativeHandle parent, const QString &parentPath, const QString &name);
void closeFolder(NativeHandle folder);

bool takesFiles(NativeHandle folder);
TargetFolder::Entry entryAt(NativeHandle folder, const QString &folderPath, const QString &name);
// The names of the files in the folder, in no order.
QStringList fileNames(NativeHandle folder, const QString &folderPath);
// Removes the file name unless a live writer holds it; true when it went.
bool removeUnlessHeld(NativeHandle folder, const QString &folderPath, const QString &name);

} // namespace TargetFolderSys
