#include "peerclose_p.h"

// TCP_INFO_v0 is declared for Windows 10 1703 and later.
#undef NTDDI_VERSION
#define NTDDI_VERSION 0x0A000003
#include <winsock2.h>

#include <mstcpip.h>

namespace PeerCloseSys {

qintptr duplicate(qintptr descriptor)
{
    WSAPROTOCOL_INFOW info;
    if (::WSADuplicateSocketW(SOCKET(descriptor), ::GetCurrentProcessId(), &info) != 0)
        return -1;
    const SOCKET copy = ::WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO,
                                     &info, 0, WSA_FLAG_OVERLAPPED);
    if (copy == INVALID_SOCKET)
        return -1;
    // Never waits: asked while the connection lives, it says Unknown.
    u_long nonBlocking = 1;
    ::ioctlsocket(copy, FIONBIO, &nonBlocking);
    return qintptr(copy);
}

// Windows 10 keeps the connection's state after Qt has read the end; where it
// cannot be asked, a reset connection fails every read with WSAECONNRESET,
// while after the peer's FIN a read finds the end again.
PeerClose::How how(qintptr duplicate)
{
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD size = 0;
    if (::WSAIoctl(SOCKET(duplicate), SIO_TCP_INFO, &version, sizeof version, &info, sizeof info,
                   &size, nullptr, nullptr) == 0) {
        switch (info.State) {
        case TCPSTATE_CLOSE_WAIT:
        case TCPSTATE_LAST_ACK:
            return PeerClose::How::Orderly;
        case TCPSTATE_CLOSED:
            return PeerClose::How::Reset;
        default:
            break;
        }
    }
    char byte;
    const int got = ::recv(SOCKET(duplicate), &byte, 1, MSG_PEEK);
    if (got == 0)
        return PeerClose::How::Orderly;
    if (got == SOCKET_ERROR) {
        const int error = ::WSAGetLastError();
        if (error == WSAECONNRESET || error == WSAECONNABORTED)
            return PeerClose::How::Reset;
    }
    return PeerClose::How::Unknown;
}

void close(qintptr duplicate)
{
    ::closesocket(SOCKET(duplicate));
}

} // namespace PeerCloseSys
