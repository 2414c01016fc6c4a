#pragma once

#include <QtGlobal>

class QTcpSocket;

// Ends a connection the way a server that crashes or a link that breaks does: a
// reset (RST) instead of an orderly close. The platform file says how near it
// gets; where it cannot reset, the close is an ordinary one.
namespace ConnectionReset {

// Bytes written that the peer has not acknowledged yet; 0 where that is unknown.
qint64 unacknowledged(QTcpSocket *socket);
void reset(QTcpSocket *socket);

} // namespace ConnectionReset
