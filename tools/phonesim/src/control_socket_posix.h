#pragma once
// The loopback TCP socket of the control channel.
#include <string>

namespace phonesim {

// Listens on 127.0.0.1:`port` (0: any free port); returns the socket or -1 with a
// message, and the port actually bound.
int ListenOnLoopback(int port, int& boundPort, std::string& error);
// Accepts a waiting client as a non-blocking socket; -1 when none is waiting.
int AcceptClient(int listener);

}  // namespace phonesim
