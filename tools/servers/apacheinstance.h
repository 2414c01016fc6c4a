#pragma once

#include "serverinstance.h"

// Debian's Apache httpd in the foreground with a configuration of its own that
// loads only the modules it needs from /usr/lib/apache2/modules.
//
// Apache refuses to serve as root, so when started by root its workers run as
// nobody: start() then lets others read the served folder (adds o+rx to its
// folders and o+r to its files) and fails when a folder above it is closed.
class ApacheInstance : public ServerInstance
{
public:
    ApacheInstance();

    static QString program();

protected:
    std::optional<QStringList> configure(quint16 port) override;
    QStringList logFiles() const override { return {QStringLiteral("error.log")}; }

private:
    bool letWorkersRead();
};
