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

// Why rows skip under Wine, in one place for every test that meets them.
inline constexpr char WineCannotReset[] =
    "Wine's sockets tell a reset from an orderly close neither by state nor by a read";
inline constexpr char WineCannotHandshake[] =
    "Wine's Schannel, over GnuTLS, completes no handshake with the tests' own certificates";
inline constexpr char WineCannotServeTls[] =
    "Wine's Schannel, over GnuTLS, cannot load the site's certificate chain";
