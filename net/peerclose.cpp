#include "peerclose.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <netinet/in.h> // before netinet/tcp.h
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

void PeerClose::watch(qintptr descriptor)
{
    release();
#ifdef Q_OS_LINUX
    if (descriptor >= 0)
        Descriptor = ::fcntl(int(descriptor), F_DUPFD_CLOEXEC, 0);
#else
    Q_UNUSED(descriptor);
#endif
}

PeerClose::How PeerClose::how() const
{
#ifdef Q_OS_LINUX
    if (Descriptor < 0)
        return How::Unknown;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(Descriptor, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return How::Unknown;
    switch (info.tcpi_state) {
    case TCP_CLOSE_WAIT: // the peer's FIN came; we have not closed yet
    case TCP_LAST_ACK:
        return How::Orderly;
    case TCP_CLOSE: // torn down without our close: a reset
        return How::Reset;
    default:
        return How::Unknown;
    }
#else
    return How::Unknown;
#endif
}

void PeerClose::release()
{
#ifdef Q_OS_LINUX
    if (Descriptor >= 0)
        ::close(Descriptor);
#endif
    Descriptor = -1;
}
