#pragma once

#include "serverinstance.h"

// Python's http.server module run by Debian's /usr/bin/python3 (not whatever
// python3 comes first on the PATH). It cannot answer an arbitrary path with a
// redirect; it does answer a folder named without its trailing "/" with a 301
// to the name with it, which is its redirect case.
class PythonHttpInstance : public ServerInstance
{
public:
    PythonHttpInstance();

    static QString program();
    bool canRedirect() const override { return false; }

protected:
    std::optional<QStringList> configure(quint16 port) override;
};
