#include "connectionreset.h"

#include <QTcpSocket>

// Neither the peer's acknowledgements nor a reset can be asked for here: the
// connection closes in order, and a client sees a body cut short.
namespace ConnectionReset {

qint64 unacknowledged(QTcpSocket *)
{
    return 0;
}

void reset(QTcpSocket *socket)
{
    socket->abort();
}

} // namespace ConnectionReset
