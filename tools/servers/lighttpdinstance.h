#pragma once

#include "serverinstance.h"

// Debian's lighttpd in the foreground (-D).
class LighttpdInstance : public ServerInstance
{
public:
    LighttpdInstance();

    static QString program();

protected:
    std::optional<QStringList> configure(quint16 port) override;
    QStringList logFiles() const override { return {QStringLiteral("error.log")}; }
};
