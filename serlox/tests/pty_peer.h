#pragma once
// The far end of a serial line for the port tests: a pseudo-terminal whose
// terminal side is mapped to a COM port through a temporary port map folder.
#include <termios.h>

#include <string>

#include "temp_folder.h"

namespace serlox::test {

// A temporary port map folder, named in SERLOX_DEVICE_DIR while it exists.
class DeviceMapFolder {
public:
    DeviceMapFolder();
    ~DeviceMapFolder();
    DeviceMapFolder(const DeviceMapFolder&) = delete;
    DeviceMapFolder& operator=(const DeviceMapFolder&) = delete;
    const std::string& Path() const { return folder_.Path(); }

private:
    ravelin::test::TempFolder folder_{"serlox-map"};
};

class PtyPeer {
public:
    PtyPeer(const DeviceMapFolder& folder, int port);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    void Send(const std::string& bytes);
    // Reads until `count` bytes came or `timeoutMs` passed.
    std::string Receive(size_t count, int timeoutMs);
    // The terminal settings as the port left them.
    termios Line() const;
    // Whether the terminal is in exclusive mode (no further opens but by root).
    bool Exclusive() const;
    // Closes the line as a pulled cable does.
    void HangUp();

private:
    int master_ = -1;
    // Kept open so that the line survives the port's own close.
    int terminal_ = -1;
    std::string link_;
};

}  // namespace serlox::test
