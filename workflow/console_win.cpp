#include "console_p.h"

#include <QMetaObject>

#include <cstdio>
#include <io.h>
#include <mutex>
#include <windows.h>

namespace {

// The console control handler runs on a thread of its own: it reaches the
// Console only through the event loop, and only while one watches.
std::mutex Guard;
Console *Watcher = nullptr;
HANDLE Ended = nullptr; // set once nothing watches any more

BOOL WINAPI Handler(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        break;
    default:
        return FALSE;
    }
    {
        const std::lock_guard<std::mutex> lock(Guard);
        // Only the first request is ours: a second one ends the process.
        if (!Watcher)
            return FALSE;
        QMetaObject::invokeMethod(Watcher, &Console::interrupted, Qt::QueuedConnection);
        Watcher = nullptr;
    }
    // A closed console ends the process once this returns: give the run a few
    // seconds to stop as the stop button stops it.
    if (event == CTRL_CLOSE_EVENT && Ended)
        WaitForSingleObject(Ended, 4000);
    return TRUE;
}

// The window program (tunetrawl.exe) started from cmd or PowerShell has no
// standard handles unless they were redirected: it borrows the console of the
// command line that started it, once. The console program (tunetrawl.com) has
// its own.
HANDLE Handle(Console::Stream stream)
{
    const DWORD which = stream == Console::Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    HANDLE handle = GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE)
        return handle;
    static const bool attached = AttachConsole(ATTACH_PARENT_PROCESS);
    if (!attached)
        return nullptr;
    handle = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    SetStdHandle(which, handle);
    return handle;
}

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

} // namespace

namespace ConsoleSystem {

void write(Console::Stream stream, const QString &text)
{
    const HANDLE handle = Handle(stream);
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return; // started without a console and without redirection
    if (IsConsole(handle)) {
        // The console takes UTF-16 whatever its code page.
        const wchar_t *at = reinterpret_cast<const wchar_t *>(text.utf16());
        DWORD left = DWORD(text.size());
        while (left > 0) {
            DWORD written = 0;
            if (!WriteConsoleW(handle, at, left, &written, nullptr) || written == 0)
                return;
            at += written;
            left -= written;
        }
        return;
    }
    const QByteArray bytes = text.toUtf8();
    const char *at = bytes.constData();
    DWORD left = DWORD(bytes.size());
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, at, left, &written, nullptr) || written == 0)
            return;
        at += written;
        left -= written;
    }
}

bool isTerminal(Console::Stream stream)
{
    // _isatty alone says yes for NUL too; the console mode tells a real console.
    const int fd = _fileno(stream == Console::Stream::Out ? stdout : stderr);
    return (fd < 0 || _isatty(fd)) && IsConsole(Handle(stream));
}

int width(Console::Stream stream)
{
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    if (!GetConsoleScreenBufferInfo(Handle(stream), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

void watchInterrupts(Console *console)
{
    {
        const std::lock_guard<std::mutex> lock(Guard);
        Watcher = console;
    }
    if (!Ended)
        Ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    else
        ResetEvent(Ended);
    SetConsoleCtrlHandler(Handler, TRUE);
}

void stopWatching()
{
    SetConsoleCtrlHandler(Handler, FALSE);
    {
        const std::lock_guard<std::mutex> lock(Guard);
        Watcher = nullptr;
    }
    if (Ended)
        SetEvent(Ended);
}

} // namespace ConsoleSystem
