#pragma once
// A handset object wired to a scripted port on COM5, with a recorder of the
// progress messages it sends.
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "handset_api.h"
#include "scripted_port.h"

#if defined(_WIN32)
#include <ravelin/win32.h>
#endif

namespace mextal::test {

constexpr uint32_t kScriptedPortNumber = 5;

struct ProgressMessage {
    HandsetWindow window;
    uint32_t message;
    uint32_t bytes;
    bool operator==(const ProgressMessage& other) const {
        return window == other.window && message == other.message && bytes == other.bytes;
    }
};

class HandsetHarness {
public:
    explicit HandsetHarness(std::unique_ptr<CAtResponseParser> parser = std::make_unique<CAtResponseParser>(),
                            CModelAgent* agent = nullptr)
        : api(HandsetLinks{[this](int number) -> CSerloxObj* {
                               return number == static_cast<int>(kScriptedPortNumber) ? &port : nullptr;
                           },
                           [this](HandsetWindow window, uint32_t message, uint32_t bytes) {
                               progress.push_back({window, message, bytes});
                           },
                           agent},
              std::move(parser)) {}

    // A phone that answers "AT", "ATZ" and "ATE0" with OK, as a handset with
    // echo switched off does.
    void ScriptPoliteHandshake() {
        port.On("AT\r", {"\r\nOK\r\n"});
        port.On("ATZ\r", {"\r\nOK\r\n"});
        port.On("ATE0\r", {"\r\nOK\r\n"});
    }

    ScriptedPort port;
    std::vector<ProgressMessage> progress;
    PortSettings settings{kScriptedPortNumber, 115200, 0};
    PortSettings missingPort{17, 115200, 0};
    CHandsetApi api;
};

// Sets (or with null removes) a variable of the process environment, such as
// the model information service's MODQUAR_AT_WAIT_TIMEOUT.
inline void SetEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
    SetEnvironmentVariableA(name, value);
#else
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

}  // namespace mextal::test
