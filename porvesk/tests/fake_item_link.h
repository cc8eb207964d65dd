#pragma once
// Stand-ins for the cache's collaborators: the handset command library's read
// exports, which log every call and count what is freed, and the connection.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cache_setup.h"

namespace porvesk::test {

class FakeItemLink : public ItemLink {
public:
    // What every read answers from now on: its result, and whether it hands out
    // a buffer (the content, then CR LF, as the library does).
    void Answer(int32_t result, const std::string& content, bool handsOutBuffer = true);
    // Runs inside every read, before it answers.
    void OnExchange(std::function<void()> hook);

    // One line per read: "file <port>,<baud>,<third> <kind> <path> <reserved>" or
    // "mc <port>,<baud>,<third> <category> <kind> <reserved> <name>".
    std::vector<std::string> Calls();
    // Buffers given to FreeRecvMem, in order.
    std::vector<const uint8_t*> Freed();

    int32_t ReadMsFile(const PortSettings& settings, int32_t kind, const char* path, uint8_t** data,
                       uint32_t* length, uint32_t reserved) override;
    int32_t ReadMediaCenter(const PortSettings& settings, int32_t category, int32_t kind, int32_t reserved,
                            const char* name, uint8_t** data, uint32_t* length) override;
    int32_t FreeRecvMem(uint8_t** pointer) override;

private:
    int32_t Read(const std::string& call, uint8_t** data, uint32_t* length);

    std::mutex lock_;
    int32_t result_ = 0;
    std::string content_ = "content";
    bool handsOutBuffer_ = true;
    std::function<void()> onExchange_;
    std::vector<std::string> calls_;
    std::vector<const uint8_t*> freed_;
};

class FakeConnection : public HandsetConnection {
public:
    void Connect(SerloxIDTag port, const std::string& imei);
    void Disconnect();

    bool Current(SerloxIDTag& port, std::string& imei) override;

private:
    std::mutex lock_;
    bool connected_ = false;
    SerloxIDTag port_ = SERLOX_NO_PORT;
    std::string imei_;
};

}  // namespace porvesk::test
