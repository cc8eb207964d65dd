#pragma once
// What SimulatedPhone needs from the platform: finding or starting a simulator and
// a TCP connection to its control channel.
#include <cstdint>
#include <string>

namespace ravelin::test::host {

constexpr intptr_t kNoSocket = -1;

struct PhoneEndpoint {
    int comPort = 0;
    int processId = 0;     // 0 when the phone is not ours to end
    std::string linkPath;  // empty when the phone is not ours to end
    std::string host;
    int controlPort = 0;
    bool needsReset = false;  // true when `options` still have to be applied with "reset"
};

// Natively starts simulator `index` with `options`; under Windows finds the one the
// bench started. Throws std::runtime_error when there is none.
PhoneEndpoint OpenPhone(int index, const std::string& options);
// Natively reaps the simulator process (killing it if it does not end by itself)
// and removes its link; under Windows nothing.
void ReleasePhone(const PhoneEndpoint& endpoint);
// True when the test owns the simulator process and ends it with "quit".
bool OwnsPhoneProcess();

intptr_t Connect(const std::string& host, int port);
void Disconnect(intptr_t socket);
void SendAll(intptr_t socket, const std::string& bytes);
// Bytes that arrive within timeoutMs (at least one); throws on time-out, error or
// a closed connection.
std::string ReceiveSome(intptr_t socket, int timeoutMs);
void SleepMs(int milliseconds);

}  // namespace ravelin::test::host
