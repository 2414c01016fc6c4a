#pragma once

// How each platform keeps a connection to ask about its end:
// peerclose_linux.cpp, peerclose_win.cpp, peerclose_other.cpp.

#include "peerclose.h"

namespace PeerCloseSys {

// A second descriptor of the socket that outlives Qt's; -1 where none can be had.
qintptr duplicate(qintptr descriptor);
PeerClose::How how(qintptr duplicate);
void close(qintptr duplicate);

} // namespace PeerCloseSys
