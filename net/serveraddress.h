#pragma once

#include <QString>
#include <QStringView>

// Where a connection goes: the host text of a URL or of the host setting, split
// into name and port. A port written in the text ("host:8080", "[::1]:8080") wins
// over the default port.
struct ServerAddress
{
    QString Name;
    quint16 Port = 0;

    // False for an empty name or a port outside 1..65535 (a written port that is not
    // all digits counts as outside).
    bool isValid() const { return !Name.isEmpty() && Port != 0; }

    static ServerAddress parse(QStringView hostText, int defaultPort);
};
