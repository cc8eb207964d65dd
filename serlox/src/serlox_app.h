#pragma once
// The port table: one port object for each of COM1..COM30, built when the
// library is loaded and destroyed when it is unloaded.
#include <array>
#include <memory>

#include "serlox_port.h"

class CSerloxApp {
public:
    CSerloxApp();
    // Closes every open port and waits for its reader.
    ~CSerloxApp();
    CSerloxApp(const CSerloxApp&) = delete;
    CSerloxApp& operator=(const CSerloxApp&) = delete;

    // The object of COM `port`; null outside 1..30.
    CSerloxObj* Port(int port) const;

private:
    std::array<std::unique_ptr<CSerloxPort>, SERLOX_LAST_PORT + 1> slots_;
};

namespace serlox {
// Called by the platform's library entry; false when the table cannot be built.
bool CreatePortTable();
void DestroyPortTable();
}  // namespace serlox
