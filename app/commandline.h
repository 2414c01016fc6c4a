#pragma once

#include "jobrequest.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for, decided before any window exists: the window,
// a job without one, or a text to print and an exit code to end with.
struct CommandLineVerdict
{
    bool run = true; // the window, or the job when there is one
    int exitCode = 0;
    QString out; // for standard output
    QString err; // for standard error
    std::optional<JobRequest> job;
};

// Exit code for a command line the program does not understand.
inline constexpr int UsageError = 2;

// Needs a QCoreApplication for the program name in the help text.
CommandLineVerdict ReadCommandLine(const QStringList &arguments);
