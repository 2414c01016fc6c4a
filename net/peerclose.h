#pragma once

#include <QtGlobal>

// Tells how the peer ended a connection. Qt reports a reset (RST) like an orderly
// close (FIN) and closes its descriptor on the way, so a duplicate of the
// descriptor is kept from the connect on and the kernel asked at the end. Where
// the kernel cannot be asked, the end stays Unknown and a body without a length
// cannot be trusted.
class PeerClose
{
public:
    enum class How { Unknown, Orderly, Reset };

    PeerClose() = default;
    ~PeerClose() { release(); }
    PeerClose(const PeerClose &) = delete;
    PeerClose &operator=(const PeerClose &) = delete;

    void watch(qintptr descriptor);
    // Call once the socket has reported the close.
    How how() const;
    void release();

private:
    int Descriptor = -1;
};
