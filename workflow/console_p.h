#pragma once

#include "console.h"

// What each platform's file (console_unix.cpp, console_win.cpp) gives Console.
namespace ConsoleSystem {

void write(Console::Stream stream, const QString &text);
bool isTerminal(Console::Stream stream);
// 0 when it cannot be told.
int width(Console::Stream stream);
// Requests to stop reach console's interrupted() from its thread's event loop.
void watchInterrupts(Console *console);
// The system's own handling again; nothing reaches console after this returns.
void stopWatching();

} // namespace ConsoleSystem
