#pragma once

#include "hostprocess.h"

#include <optional>

// How a program is run: as a child here, or through the process host.
class HostProcess::Backend
{
public:
    struct Launch
    {
        QString program;
        QStringList arguments;
        QString workingDirectory;
        QString outputFile;
    };
    struct Ending
    {
        int exitCode = -1;
        bool normal = false;
        QByteArray output;
    };

    virtual ~Backend() = default;
    // "" once started, else why not.
    virtual QString start(const Launch &launch) = 0;
    // nullopt while it still runs after msecs.
    virtual std::optional<Ending> waitForFinished(int msecs) = 0;
    virtual void signal(bool kill) = 0;
};

// Who this process's own children run as.
HostProcess::Identity localIdentity();
// Paths across to the process host and back; the same on a host of one system.
QString bridgedHostPath(const QString &localPath);
QString bridgedLocalPath(const QString &hostPath);
