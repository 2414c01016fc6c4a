#pragma once

#include <QString>

// Text for the user's terminal: standard output or standard error, in the
// encoding the terminal reads. On Windows a window program has no console of its
// own; these write to the console of the command line that started it, where
// there is one, or to the file or pipe the output goes to. One file per
// platform: consoleoutput_unix.cpp, consoleoutput_win.cpp.
namespace ConsoleOutput {

enum class Stream { Out, Err };
void write(Stream stream, const QString &text);

} // namespace ConsoleOutput
