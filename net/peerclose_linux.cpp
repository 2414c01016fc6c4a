#include "peerclose_p.h"

#include <fcntl.h>
#include <netinet/in.h> // before netinet/tcp.h
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace PeerCloseSys {

qintptr duplicate(qintptr descriptor)
{
    return ::fcntl(int(descriptor), F_DUPFD_CLOEXEC, 0);
}

// The kernel remembers the connection's state after Qt has read the end.
PeerClose::How how(qintptr duplicate)
{
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(int(duplicate), IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return PeerClose::How::Unknown;
    switch (info.tcpi_state) {
    case TCP_CLOSE_WAIT: // the peer's FIN came; we have not closed yet
    case TCP_LAST_ACK:
        return PeerClose::How::Orderly;
    case TCP_CLOSE: // torn down without our close: a reset
        return PeerClose::How::Reset;
    default:
        return PeerClose::How::Unknown;
    }
}

void close(qintptr duplicate)
{
    ::close(int(duplicate));
}

} // namespace PeerCloseSys
