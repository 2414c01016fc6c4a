#include "partfile_p.h"

#include "longpath_win.h"
#include "targetfolder.h"

#include <windows.h>

namespace {

HANDLE AsHandle(NativeHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

std::wstring PathIn(const TargetFolder &folder, const QString &name)
{
    return LongPath(folder.path() + name);
}

} // namespace

namespace PartFileSys {

Created create(const TargetFolder &folder, const QString &name, NativeHandle *file)
{
    // Created and opened in one step, sharing no writing: from the moment the name
    // exists, a clean-up's open fails (see removeUnlessHeld). Shared for deleting,
    // so that the open file can be renamed to the song.
    const HANDLE handle = ::CreateFileW(PathIn(folder, name).c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Created::Taken
                                                                           : Created::Failed;
    }
    *file = reinterpret_cast<NativeHandle>(handle);
    return Created::Done;
}

bool writeAll(NativeHandle file, const char *data, qint64 size)
{
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(qMin<qint64>(size, qint64(1) << 30));
        if (!::WriteFile(AsHandle(file), data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool truncate(NativeHandle file)
{
    LARGE_INTEGER start;
    start.QuadPart = 0;
    return ::SetFilePointerEx(AsHandle(file), start, nullptr, FILE_BEGIN) &&
           ::SetEndOfFile(AsHandle(file));
}

void startWriteBack(NativeHandle, qint64, qint64)
{
    // Windows writes cached data out on its own; nothing starts it early.
}

bool syncData(NativeHandle file)
{
    return ::FlushFileBuffers(AsHandle(file));
}

PartFile::Commit renameNoReplace(const TargetFolder &folder, NativeHandle, const QString &from,
                                 const QString &to)
{
    // Without MOVEFILE_REPLACE_EXISTING the rename fails on any existing name.
    if (::MoveFileExW(PathIn(folder, from).c_str(), PathIn(folder, to).c_str(), 0))
        return PartFile::Commit::Done;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
        folder.entryAt(to) != TargetFolder::Entry::None)
        return PartFile::Commit::Present;
    return PartFile::Commit::Failed;
}

void remove(const TargetFolder &folder, NativeHandle, const QString &name)
{
    // The file is shared for deleting: it goes when the handle closes.
    ::DeleteFileW(PathIn(folder, name).c_str());
}

void close(NativeHandle file)
{
    ::CloseHandle(AsHandle(file));
}

} // namespace PartFileSys
