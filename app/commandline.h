#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for, decided before any window exists: either run
// the program, or print a text and end with an exit code.
struct CommandLineVerdict
{
    bool run = true;
    int exitCode = 0;
    QString out; // for standard output
    QString err; // for standard error
};

// Exit code for a command line the program does not understand.
inline constexpr int UsageError = 2;

// Needs a QCoreApplication for the program name in the help text.
CommandLineVerdict ReadCommandLine(const QStringList &arguments);
