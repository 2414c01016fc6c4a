#include "connectionreset.h"

#include <QTcpSocket>

#include <winsock2.h>

namespace ConnectionReset {

// Winsock does not tell how much the peer has acknowledged.
qint64 unacknowledged(QTcpSocket *)
{
    return 0;
}

void reset(QTcpSocket *socket)
{
    // Linger 0: the close sends RST, not FIN.
    const linger hard{1, 0};
    ::setsockopt(SOCKET(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER,
                 reinterpret_cast<const char *>(&hard), sizeof hard);
    socket->abort();
}

} // namespace ConnectionReset
