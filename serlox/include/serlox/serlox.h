#pragma once
// Serial link: one port object per COM port (COM1..COM30).
#include <cstdint>
#include <mutex>

#if defined(_WIN32)
#if defined(SERLOX_BUILD)
#define SERLOX_API __declspec(dllexport)
#else
#define SERLOX_API __declspec(dllimport)
#endif
#else
#define SERLOX_API __attribute__((visibility("default")))
#endif

// A COM port number; 0 means no port.
enum SerloxIDTag : int32_t {
    SERLOX_NO_PORT = 0,
    SERLOX_FIRST_PORT = 1,
    SERLOX_LAST_PORT = 30,
};

// Passed by value to the port object.
struct PortSettings {
    uint32_t port;
    uint32_t baudRate;
    uint32_t reserved;  // never read by the link; callers pass any value
};
static_assert(sizeof(PortSettings) == 12, "three 32-bit words");

using LinkResult = int32_t;
constexpr LinkResult LINK_OK = 0;
constexpr LinkResult LINK_NOT_OPEN = 4096;
constexpr LinkResult LINK_ALREADY_OPEN = 4097;
constexpr LinkResult LINK_OPEN_FAILED = 4098;
constexpr LinkResult LINK_CONFIG_FAILED = 4099;
constexpr LinkResult LINK_READER_FAILED = 4100;
constexpr LinkResult LINK_WRITE_FAILED = 4103;
constexpr LinkResult LINK_TRUNCATED = 4106;
constexpr LinkResult LINK_TIMEOUT = 4110;

class SERLOX_API CSerloxObj {
public:
    CSerloxObj();
    virtual ~CSerloxObj();
    CSerloxObj(const CSerloxObj&) = delete;
    CSerloxObj& operator=(const CSerloxObj&) = delete;

    virtual LinkResult Open(PortSettings settings) = 0;
    virtual LinkResult Configure(PortSettings settings, uint32_t purge) = 0;
    virtual LinkResult Close() = 0;
    virtual int32_t IsOpen() = 0;
    // Spare1 and Spare2 do nothing and return 0; they hold two places in the virtual
    // table so that ReadChunk and Write stay in the slots callers are compiled against.
    virtual int32_t Spare1(uint32_t, uint32_t) = 0;
    virtual int32_t Spare2(uint32_t, uint32_t, uint32_t) = 0;
    // Takes the oldest received line chunk. The last two words are reserved and ignored.
    virtual LinkResult ReadChunk(char* buffer, uint32_t capacity, uint32_t* length, uint32_t timeoutMs, uint32_t,
                                 uint32_t) = 0;
    // Sends the bytes. The last two words are reserved and ignored.
    virtual LinkResult Write(const char* bytes, uint32_t length, uint32_t, uint32_t) = 0;

protected:
    // Serialises Open and Close; recursive so that Open can Close on failure.
    std::recursive_mutex portLock_;
};

// The object of COM1..COM30; null for any other number.
extern "C" SERLOX_API CSerloxObj* SerloxGetObj(int port);
