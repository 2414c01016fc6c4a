#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What every benchmark shares: medians and their printing, the process's memory,
// child programs timed from spawn to exit, bare-socket fetches and file helpers.
// Linux only (/proc, posix_spawn).
namespace Bench {

constexpr qint64 MiB = qint64(1) << 20;

double median(QList<double> values);
// "1.234 1.240 ..." with the given decimals.
QString figures(const QList<double> &values, int decimals = 3);
// One line: label, the figures, their median and the unit.
void printSeries(const char *label, const QList<double> &values, const char *unit,
                 int decimals = 3);
// "met" or "MISSED" after a target's text; returns ok.
bool verdict(const QString &what, bool ok);

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), or -1.
qint64 statusKiB(const char *field);
// Starts the peak (VmHWM) again from the current RSS.
void resetPeak();
// Runs the event loop for ms, so deferred deletions and timers are done.
void settle(int ms);

// Monotonic clock in nanoseconds, the one children print too.
qint64 nowNs();

struct ChildRun
{
    double ms = 0;     // spawn to exit
    int exitCode = -1; // -1 when it did not exit normally
    QByteArray out;    // standard output, when asked for
};
// Runs program with arguments, standard output to /dev/null (or captured) and
// standard error inherited; extraEnvironment entries are "NAME=value".
ChildRun runChild(const QString &program, const QStringList &arguments, bool captureOutput = false,
                  const QStringList &extraEnvironment = {});
// A program on the PATH, or "".
QString findProgram(const QString &name);

// Writes size bytes of seeded random data (incompressible, like a song).
bool writeRandomFile(const QString &path, qint64 size, quint32 seed = 42);
bool writeFile(const QString &path, const QByteArray &bytes);
// open, fdatasync, close: the durability a committed song has.
bool syncFileData(const QString &path);
// Writes every dirty page of the machine out, so one step's write-back does not
// land in the next step's time.
void syncAll();
// Removes the files (not folders) in folder; returns how many there were.
int clearFolder(const QString &folder);

// GET url (http://127.0.0.1:port/path) over a blocking socket as HTTP/1.0; the
// body goes to fileDescriptor (or is dropped when it is -1). Returns the body
// size, or -1.
qint64 bareFetch(const QString &url, int fileDescriptor = -1);

// "xcb (DISPLAY :99)" or "offscreen": where the windows were shown.
QString platformNote();
// Uses the X server named by DISPLAY when there is one, else offscreen.
void choosePlatform();

// A song_box block as the chart site writes it.
QByteArray songBlock(const QString &artist, const QString &name, const QString &url);
// A history page around the blocks.
QByteArray historyPage(const QByteArray &blocks);

} // namespace Bench
