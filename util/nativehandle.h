#pragma once

#include <QtGlobal>

// A file or folder the program holds open: a descriptor on Unix, a HANDLE on
// Windows. Both platforms use -1 for none (INVALID_HANDLE_VALUE on Windows).
using NativeHandle = qintptr;
inline constexpr NativeHandle NoHandle = -1;
