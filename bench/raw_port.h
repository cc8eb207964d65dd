#pragma once
// A bare serial port for reference measurements: no reader thread, no line
// cutting, no pauses; the same bytes the handset library exchanges go out and
// come back directly. Natively the pseudo-terminal behind the port map entry is
// opened raw with termios; on Windows a plain overlapped COM handle is used.
#include <cstddef>
#include <memory>
#include <string>

namespace bench {

class RawPort {
public:
    // Null when the port cannot be opened.
    static std::unique_ptr<RawPort> Open(int comPort);
    virtual ~RawPort() = default;

    virtual bool Write(const std::string& bytes) = 0;
    // Waits up to timeoutMs for input and takes what is there, at most
    // `capacity` bytes. Returns the count, 0 on time-out, -1 on failure.
    virtual long ReadSome(char* buffer, size_t capacity, int timeoutMs) = 0;

    // Reads until what arrived ends with `ending` and holds more than
    // `atLeast` bytes; false on time-out or failure.
    bool ReadUntil(const std::string& ending, size_t atLeast, std::string& received, int timeoutMs);
    // Sends a command line and reads until its final "OK".
    bool Exchange(const std::string& command, int timeoutMs);
};

}  // namespace bench
