#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// A program of the machine the tests run on, for the fixtures that start real
// servers and tools (nginx, openssl, curl...). Normally a child process; when
// the tests themselves run under Wine, those programs exist only on the Linux
// side, so a process host there (scripts/process-host.py, its port in
// TUNETRAWL_PROCESS_HOST) runs them on the tests' behalf. Paths cross between
// the two sides through hostPath() and localPath().
class HostProcess
{
public:
    struct Identity
    {
        bool root = false;    // the programs run with root's rights
        int nobodyGroup = -1; // the group of the user nobody, -1 when there is none
    };

    HostProcess();
    ~HostProcess(); // kills a program still running
    HostProcess(const HostProcess &) = delete;
    HostProcess &operator=(const HostProcess &) = delete;

    // True when the programs run through the process host.
    static bool isBridged();
    // name on the host's PATH or in extraFolders (host paths), as a host path; "" when none.
    static QString findProgram(const QString &name, const QStringList &extraFolders = {});
    static Identity identity();
    // A path of this process as the host's programs name it, and back.
    static QString hostPath(const QString &localPath);
    static QString localPath(const QString &hostPath);

    // Where stdout and stderr go together (a local path); without one they are
    // kept for output().
    void setOutputFile(const QString &localPath) { OutputFile = localPath; }
    void setWorkingDirectory(const QString &localPath) { WorkingDirectory = localPath; }

    // Starts program (a host path) and waits at most 5 s for it to have started.
    bool start(const QString &program, const QStringList &arguments);
    bool waitForFinished(int msecs);
    bool isRunning();
    // Asks the program to end (SIGTERM); kill() ends it outright.
    void terminate();
    void kill();

    // Once finished: the exit code, and whether it ended normally.
    int exitCode() const { return ExitCode; }
    bool exitedNormally() const { return Normal; }
    QByteArray output() const { return Output; }
    QString errorString() const { return Error; }

    class Backend;

private:
    std::unique_ptr<Backend> Runner;
    QString OutputFile;
    QString WorkingDirectory;
    int ExitCode = -1;
    bool Normal = false;
    QByteArray Output;
    QString Error;
};
