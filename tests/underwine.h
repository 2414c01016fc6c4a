#pragma once

// Whether the Windows build runs under Wine, which does not do all that Windows
// does; the rows that need the real thing say so when they skip.
#ifdef Q_OS_WIN
#include <windows.h>

inline bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
#else
inline bool UnderWine()
{
    return false;
}
#endif
