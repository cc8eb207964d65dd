#pragma once
// Test access to a handset simulator that answers on a serial port of the suite.
//
// Natively a SimulatedPhone starts the simulator program on a fresh pseudo-terminal
// and maps a COM number to it through the serial link's Linux device folder
// (SERLOX_DEVICE_DIR, one "comN" symlink per port). Under Wine the test bench has
// already started the simulators and mapped them to COM ports; the test program
// finds them through RAVELIN_PHONES ("<com>@<host>:<control port>,...").
// Both ways the test talks to the simulator over its loopback control channel.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ravelin::test {

class SimulatedPhone {
public:
    // Starts (natively) or attaches to (under Wine) the simulator number `index`
    // (0 or 1; simulator 0 is on a COM port below 10, simulator 1 on one of 10 or
    // more), reset to a default phone configured by `options`.
    static std::unique_ptr<SimulatedPhone> Start(int index = 0, const std::string& options = "");
    ~SimulatedPhone();

    int ComPort() const { return comPort_; }

    // Reconfigures the phone as if started with these command-line options; clears
    // its command log and received bytes, turns echo on and leaves raw mode.
    void Reset(const std::string& options);
    // Raw mode: the phone neither parses nor answers, it only records what it gets.
    void SetRaw(bool raw);
    // Sends bytes to the PC side exactly as given.
    void SendRaw(const std::string& bytes);
    // Bytes received from the PC side since the last call (or the last reset).
    std::string TakeReceived();
    // Waits up to timeoutMs until at least `count` bytes were received, then takes them all.
    std::string WaitReceived(size_t count, int timeoutMs);
    // Command lines the phone has received since the last reset, without their CR.
    std::vector<std::string> Commands();
    // Pulls the cable: the pseudo-terminal is closed.
    void Hangup();
    // Plugs the cable back in: a fresh pseudo-terminal on the same COM port.
    void Plug();

    // Raw access to the control channel: sends one request line and returns the
    // data lines of the reply; throws std::runtime_error on an "error" reply.
    std::vector<std::string> Request(const std::string& line);

private:
    SimulatedPhone() = default;
    int comPort_ = 0;
    intptr_t socket_ = -1;
    int processId_ = 0;
    std::string linkPath_;
};

}  // namespace ravelin::test
