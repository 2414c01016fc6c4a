#include "peerclose.h"

#include "peerclose_p.h"

void PeerClose::watch(qintptr descriptor)
{
    release();
    if (descriptor >= 0)
        Descriptor = PeerCloseSys::duplicate(descriptor);
}

PeerClose::How PeerClose::how() const
{
    return Descriptor < 0 ? How::Unknown : PeerCloseSys::how(Descriptor);
}

void PeerClose::release()
{
    if (Descriptor >= 0)
        PeerCloseSys::close(Descriptor);
    Descriptor = -1;
}
