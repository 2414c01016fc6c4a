#include "connectionreset.h"

#include <QTcpSocket>

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace ConnectionReset {

qint64 unacknowledged(QTcpSocket *socket)
{
    int pending = 0;
    return ::ioctl(int(socket->socketDescriptor()), SIOCOUTQ, &pending) == 0 ? pending : 0;
}

void reset(QTcpSocket *socket)
{
    // Linger 0: the close sends RST, not FIN.
    const linger hard{1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    socket->abort();
}

} // namespace ConnectionReset
