#include "consoleoutput.h"

#include <windows.h>

namespace {

// A window program started from cmd or PowerShell has no standard handles of its
// own unless they were redirected; it borrows its parent's console once.
HANDLE StandardHandle(DWORD which)
{
    HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        static const bool attached = ::AttachConsole(ATTACH_PARENT_PROCESS);
        if (!attached)
            return nullptr;
        handle = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;
        ::SetStdHandle(which, handle);
    }
    return handle;
}

} // namespace

namespace ConsoleOutput {

void write(Stream stream, const QString &text)
{
    const HANDLE handle =
        StandardHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (!handle || text.isEmpty())
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        // A console takes UTF-16 whatever its code page, with LF as a line end.
        const std::wstring wide = text.toStdWString();
        ::WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
    // A file or a pipe: UTF-8.
    const QByteArray bytes = text.toUtf8();
    ::WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
}

} // namespace ConsoleOutput
