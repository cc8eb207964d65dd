#pragma once
// The port object of one COM port.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "line_assembler.h"
#include "flow_escape.h"
#include "line_settings.h"
#include "reader_thread.h"
#include "receive_queue.h"
#include "serial_device.h"
#include "traffic_trace.h"
#include "serlox/serlox.h"

class CModelAgent;

class CSerloxPort final : public CSerloxObj {
public:
    // Reads per driver read; also the line assembler's capacity.
    static constexpr size_t kReadBlockSize = 2048;
    static constexpr size_t kWritePieceSize = 512;
    static constexpr uint32_t kWritePieceTimeoutMs = 5000;
    static constexpr uint32_t kPauseAfterPieceMs = 5;
    static constexpr uint32_t kSettleBeforePurgeMs = 10;

    // Without a model agent the object cannot work: every operation fails.
    CSerloxPort(int port, CModelAgent* agent);
    ~CSerloxPort() override;

    LinkResult Open(PortSettings settings) override;
    LinkResult Configure(PortSettings settings, uint32_t purge) override;
    LinkResult Close() override;
    int32_t IsOpen() override;
    int32_t Spare1(uint32_t, uint32_t) override;
    int32_t Spare2(uint32_t, uint32_t, uint32_t) override;
    LinkResult ReadChunk(char* buffer, uint32_t capacity, uint32_t* length, uint32_t timeoutMs, uint32_t,
                         uint32_t) override;
    LinkResult Write(const char* bytes, uint32_t length, uint32_t, uint32_t) override;

private:
    bool OpenDevice();
    LinkResult SendPieces(const std::string& wire);
    static void ReaderMain(void* port);
    void RunReader();
    bool ReadUntilStopped();
    // Reads what the driver holds and turns it into chunks; false when the device is gone.
    bool FeedAvailable();
    void CloseAfterDeviceLoss();
    // Called with the port lock held.
    void CloseLocked();
    void PurgeInput();
    // Trace lines about this port, "COM<n> <event>"; a failure adds the
    // system's last error, which must still be the failed call's. Tracing
    // never throws into the port's work.
    void TraceEvent(std::string_view event) const noexcept;
    void TraceFailure(const char* step) const noexcept;
    void TraceSettings(uint32_t baudRate, bool purged) const noexcept;
    void TraceSent(const char* bytes, uint32_t length) noexcept;
    void TraceReceived(const std::string& line) noexcept;

    CModelAgent* const agent_;
    const int port_;
    std::atomic<serlox::FlowMode> flowMode_{serlox::FlowMode::None};
    serlox::SerialDevice device_;
    serlox::StopSignal stop_;
    serlox::ReaderThread reader_;
    // Serialises Write calls; Close takes it before it closes the device.
    std::mutex writeLock_;
    // Held by the reader while it takes bytes from the driver and feeds them,
    // and by Configure and Close while they use the device, so that a purge
    // never races with a half-fed block.
    std::mutex feedLock_;
    serlox::ReceiveQueue queue_;
    serlox::LineAssembler assembler_;
    serlox::Unescaper unescaper_;
    serlox::TrafficRedactor traffic_;
};
