#pragma once

#include <QString>

// A bare HTTP/1.0 file server for one file on a loopback port: "/nolen" is answered
// without Content-Length (the end of the body is the close), any other path with
// it. Serves connections one after another until the process ends. Prints its port
// on the first line of standard output. Returns an exit code.
int RunRawServer(const QString &file);
