#include "serveraddress.h"

namespace {

quint16 defaultPortNumber(int port)
{
    return port > 0 && port <= 65535 ? quint16(port) : 0;
}

// 0 when the text is not a port number; "host:" means the default port.
quint16 portNumber(QStringView digits, int defaultPort)
{
    if (digits.isEmpty())
        return defaultPortNumber(defaultPort);
    if (digits.size() > 5)
        return 0;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= 65535 ? quint16(value) : 0;
}

} // namespace

ServerAddress ServerAddress::parse(QStringView hostText, int defaultPort)
{
    ServerAddress address;
    if (hostText.startsWith(u'[')) {
        const qsizetype close = hostText.indexOf(u']');
        if (close < 0)
            return address;
        address.Name = hostText.mid(1, close - 1).toString();
        const QStringView rest = hostText.mid(close + 1);
        if (rest.isEmpty())
            address.Port = defaultPortNumber(defaultPort);
        else if (rest.startsWith(u':'))
            address.Port = portNumber(rest.mid(1), defaultPort);
        return address;
    }
    const qsizetype colon = hostText.lastIndexOf(u':');
    if (colon < 0) {
        address.Name = hostText.toString();
        address.Port = defaultPortNumber(defaultPort);
    } else {
        address.Name = hostText.left(colon).toString();
        address.Port = portNumber(hostText.mid(colon + 1), defaultPort);
    }
    return address;
}
