#pragma once
// The platform part of a port: a serial device opened by COM port number, and
// the stop signal that ends every wait of the reader and the writer. One
// implementation per platform (serial_device_win32.cpp, serial_device_posix.cpp).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "line_settings.h"

namespace serlox {

// A manual-reset signal: once raised, every wait sees it until it is cleared.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    bool Valid() const;
    void Raise();
    void Clear();
    bool IsRaised() const;
    // Waits up to `timeoutMs`; true when the signal is raised.
    bool WaitFor(uint32_t timeoutMs) const;

    struct State;
    const State& Native() const { return *state_; }

private:
    std::unique_ptr<State> state_;
};

enum class WaitResult {
    Input,    // bytes are waiting in the driver
    Stopped,  // the stop signal was raised
    Gone,     // the device no longer answers (cable pulled, driver failure)
};

class SerialDevice {
public:
    // Size of the driver's input and output queues.
    static constexpr uint32_t kDriverQueueSize = 2048;

    SerialDevice();
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // False when the device's own resources could not be created.
    bool Valid() const;
    // Opens the device of COM `port` for exclusive reading and writing.
    bool Open(int port);
    bool IsOpen() const { return open_.load(); }
    // Prepares an opened device: input events, driver queues, no driver
    // time-outs, raw line; both directions purged.
    bool SetUp();
    bool ReadLineSettings(LineSettings& settings);
    bool WriteLineSettings(const LineSettings& settings);
    // Throws away what the driver holds in both directions.
    void Purge();
    // Returns once input is waiting, the stop signal is raised or the device is gone.
    WaitResult WaitForInput(const StopSignal& stop);
    // Takes what the driver holds, at most `capacity` bytes; `count` is the
    // number actually read. False when the device is gone.
    bool ReadAvailable(char* buffer, size_t capacity, size_t& count, const StopSignal& stop);
    // Sends one piece within `timeoutMs`; false when it failed, timed out or
    // was cut short by the stop signal. `written` is what the device took.
    bool WritePiece(const char* bytes, size_t count, uint32_t timeoutMs, const StopSignal& stop, size_t& written);
    void RaiseDtr();
    // Stops input events, purges and closes; nothing when not open.
    void Close();

    struct State;

private:
    std::unique_ptr<State> state_;
    std::atomic<bool> open_{false};
};

}  // namespace serlox
