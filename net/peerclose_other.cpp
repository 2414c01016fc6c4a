#include "peerclose_p.h"

// No way to ask here: the end stays Unknown.
namespace PeerCloseSys {

qintptr duplicate(qintptr)
{
    return -1;
}

PeerClose::How how(qintptr)
{
    return PeerClose::How::Unknown;
}

void close(qintptr) {}

} // namespace PeerCloseSys
