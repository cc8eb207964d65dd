#include "serlox_app.h"

#include <exception>

#include "modquar/modquar.h"

namespace {

CSerloxApp* g_table = nullptr;

}  // namespace

CSerloxApp::CSerloxApp() {
    CModelAgent* agent = GetModelAgent();
    for (int port = SERLOX_FIRST_PORT; port <= SERLOX_LAST_PORT; ++port) {
        slots_[port] = std::make_unique<CSerloxPort>(port, agent);
    }
}

CSerloxApp::~CSerloxApp() = default;

CSerloxObj* CSerloxApp::Port(int port) const {
    if (port < SERLOX_FIRST_PORT || port > SERLOX_LAST_PORT) return nullptr;
    return slots_[port].get();
}

namespace serlox {

bool CreatePortTable() {
    try {
        g_table = new CSerloxApp();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void DestroyPortTable() {
    delete g_table;
    g_table = nullptr;
}

}  // namespace serlox

extern "C" CSerloxObj* SerloxGetObj(int port) { return g_table != nullptr ? g_table->Port(port) : nullptr; }
