#pragma once
// Stand-ins for the cache's collaborators: the handset command library's read
// and IMEI exports, which log every call and count what is freed, and the
// connection.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cache_setup.h"

namespace porvesk::test {

class FakeConnection;

class FakeItemLink : public ItemLink {
public:
    // The handset on the port answers IMEI queries with the IMEI `handset` says
    // is on the port.
    explicit FakeItemLink(std::shared_ptr<FakeConnection> handset);

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
    // Runs inside every IMEI query, before it answers, with its "<port>,<baud>,<third>".
    void OnImeiQuery(std::function<void(const std::string&)> hook);

    int32_t ReadMsFile(const PortSettings& settings, int32_t kind, const char* path, uint8_t** data, uint32_t* length,
                       uint32_t reserved) override;
    int32_t ReadMediaCenter(const PortSettings& settings, int32_t category, int32_t kind, int32_t reserved,
                            const char* name, uint8_t** data, uint32_t* length) override;
    int32_t FreeRecvMem(uint8_t** pointer) override;
    int32_t QueryImei(const PortSettings& settings, char* imei, uint32_t size) override;

private:
    int32_t Read(const std::string& call, uint8_t** data, uint32_t* length);

    const std::shared_ptr<FakeConnection> handset_;

    std::mutex lock_;
    int32_t result_ = 0;
    std::string content_ = "content";
    bool handsOutBuffer_ = true;
    std::function<void()> onExchange_;
    std::vector<std::string> calls_;
    std::vector<const uint8_t*> freed_;
    std::function<void(const std::string&)> onImeiQuery_;
};

// The detector's view of the connection, and the handset really on the port.
class FakeConnection : public HandsetConnection {
public:
    // A handset with this IMEI is on the port and reported connected.
    void Connect(SerloxIDTag port, const std::string& imei);
    void Disconnect();
    // Another handset is on the port; the detector has not noticed yet.
    void SwapHandsetUnnoticed(const std::string& imei);
    std::string ImeiOnPort();
    // How many times the connection was asked for.
    size_t Queries();

    bool Current(SerloxIDTag& port, std::string& imei) override;

private:
    std::mutex lock_;
    bool connected_ = false;
    SerloxIDTag port_ = SERLOX_NO_PORT;
    std::string imei_;
    std::string imeiOnPort_;
    size_t queries_ = 0;
};

}  // namespace porvesk::test
