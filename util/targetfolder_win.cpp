#include "targetfolder_p.h"

#include "longpath_win.h"

#include <windows.h>

namespace {

HANDLE AsHandle(NativeHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// Held for listing, shared for reading and writing but not for deleting: while
// it is open nobody can rename, remove or replace the folder.
NativeHandle HoldFolder(const QString &path)
{
    const HANDLE folder = ::CreateFileW(LongPath(path).c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return NoHandle;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(folder, &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::CloseHandle(folder);
        return NoHandle;
    }
    return reinterpret_cast<NativeHandle>(folder);
}

} // namespace

namespace TargetFolderSys {

NativeHandle openFolder(const QString &path)
{
    return HoldFolder(path);
}

NativeHandle openSubfolder(NativeHandle, const QString &parentPath, const QString &name)
{
    const QString path = parentPath + name;
    if (!::CreateDirectoryW(LongPath(path).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return NoHandle;
    return HoldFolder(path);
}

void closeFolder(NativeHandle folder)
{
    ::CloseHandle(AsHandle(folder));
}

bool takesFiles(NativeHandle)
{
    return true;
}

TargetFolder::Entry entryAt(NativeHandle, const QString &folderPath, const QString &name)
{
    const DWORD attributes = ::GetFileAttributesW(LongPath(folderPath + name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? TargetFolder::Entry::None
                   : TargetFolder::Entry::File; // unknown: never overwrite
    }
    // A link or junction counts as a file, as on Unix.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return TargetFolder::Entry::Folder;
    return TargetFolder::Entry::File;
}

QStringList fileNames(NativeHandle, const QString &folderPath)
{
    QStringList names;
    WIN32_FIND_DATAW found;
    const HANDLE search =
        ::FindFirstFileExW(LongPath(folderPath + u'*').c_str(), FindExInfoBasic, &found,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names += QString::fromWCharArray(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

bool removeUnlessHeld(NativeHandle, const QString &folderPath, const QString &name)
{
    // A writer holds its part file for writing and shares no writing: this open
    // then fails with a sharing violation, and the file stays. Unheld, the file
    // goes when this handle closes.
    const HANDLE file = ::CreateFileW(
        LongPath(folderPath + name).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

} // namespace TargetFolderSys
