#include "serlox_port.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "modquar/modquar.h"
#include "ravelin/trace.h"

using serlox::FlowMode;

namespace {

constexpr uint32_t kRetryCloseMs = 10;

constexpr char kTraceComponent[] = "Serlox";

bool Usable(CModelAgent* agent, serlox::SerialDevice& device, serlox::StopSignal& stop) {
    return agent != nullptr && device.Valid() && stop.Valid();
}

const char* FlowModeName(FlowMode mode) {
    switch (mode) {
        case FlowMode::Software:
            return "XON/XOFF";
        case FlowMode::Hardware:
            return "RTS/CTS";
        default:
            return "none";
    }
}

}  // namespace

CSerloxPort::CSerloxPort(int port, CModelAgent* agent) : agent_(agent), port_(agent ? port : 0) {}

CSerloxPort::~CSerloxPort() { Close(); }

LinkResult CSerloxPort::Open(PortSettings settings) {
    std::lock_guard<std::recursive_mutex> guard(portLock_);
    if (!Usable(agent_, device_, stop_)) return LINK_OPEN_FAILED;
    if (IsOpen()) return LINK_ALREADY_OPEN;
    // A reader that closed the port itself may still be on its way out.
    reader_.Join();
    stop_.Clear();
    if (!OpenDevice()) {
        TraceFailure("open");
        return LINK_OPEN_FAILED;
    }
    if (!device_.SetUp()) {
        TraceFailure("open (set-up)");
        CloseLocked();
        return LINK_OPEN_FAILED;
    }
    TraceEvent("open");
    if (Configure(settings, 1) != LINK_OK) {
        CloseLocked();
        return LINK_CONFIG_FAILED;
    }
    if (!reader_.Start(&CSerloxPort::ReaderMain, this)) {
        TraceFailure("open (reader thread)");
        CloseLocked();
        return LINK_READER_FAILED;
    }
    device_.RaiseDtr();
    return LINK_OK;
}

// Forming the device name allocates; running out of memory fails the open.
bool CSerloxPort::OpenDevice() {
    try {
        return device_.Open(port_);
    } catch (const std::exception&) {
        return false;
    }
}

LinkResult CSerloxPort::Configure(PortSettings settings, uint32_t purge) {
    std::lock_guard<std::mutex> feed(feedLock_);
    if (!device_.IsOpen()) return LINK_NOT_OPEN;
    serlox::LineSettings line;
    if (!device_.ReadLineSettings(line)) {
        TraceFailure("configure (reading settings)");
        return LINK_CONFIG_FAILED;
    }
    if (agent_ != nullptr) flowMode_ = serlox::FlowModeFromIndex(agent_->GetFlowControlIndex());
    serlox::ApplyLinkSettings(line, settings.baudRate, flowMode_);
    if (!device_.WriteLineSettings(line)) {
        TraceFailure("configure");
        return LINK_CONFIG_FAILED;
    }
    if (purge != 0) PurgeInput();
    TraceSettings(settings.baudRate, purge != 0);
    return LINK_OK;
}

// Runs with the feed lock held: nothing the reader took from the driver
// before the purge can reach the queue after it.
void CSerloxPort::PurgeInput() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleBeforePurgeMs));
    device_.Purge();
    queue_.Clear();
    assembler_.Reset();
    unescaper_.Reset();
}

LinkResult CSerloxPort::Close() {
    std::lock_guard<std::recursive_mutex> guard(portLock_);
    if (device_.IsOpen()) TraceEvent("close");
    CloseLocked();
    return LINK_OK;
}

void CSerloxPort::CloseLocked() {
    stop_.Raise();
    reader_.Join();
    std::lock_guard<std::mutex> write(writeLock_);
    std::lock_guard<std::mutex> feed(feedLock_);
    device_.Close();
}

int32_t CSerloxPort::IsOpen() { return device_.IsOpen() ? 1 : 0; }

void CSerloxPort::TraceEvent(std::string_view event) const noexcept {
    ravelin::trace::Event(kTraceComponent, "COM", port_, " ", event);
}

void CSerloxPort::TraceFailure(const char* step) const noexcept {
    if (!ravelin::trace::On()) return;
    try {
        const std::string error = ravelin::trace::LastSystemError();
        TraceEvent(std::string(step) + " failed: " + error);
    } catch (...) {
        // Out of memory: the line is dropped.
    }
}

void CSerloxPort::TraceSettings(uint32_t baudRate, bool purged) const noexcept {
    ravelin::trace::Event(kTraceComponent, "COM", port_, " configure ", baudRate, " baud, flow control ",
                          FlowModeName(flowMode_), purged ? ", purged" : "");
}

void CSerloxPort::TraceSent(const char* bytes, uint32_t length) noexcept {
    if (!ravelin::trace::On()) return;
    try {
        TraceEvent("> " + ravelin::trace::Excerpt(traffic_.Sent(std::string_view(bytes, length))));
    } catch (...) {
        // Out of memory: the line is dropped.
    }
}

void CSerloxPort::TraceReceived(const std::string& line) noexcept {
    if (!ravelin::trace::On()) return;
    try {
        TraceEvent("< " + ravelin::trace::Excerpt(traffic_.Received(line)));
    } catch (...) {
        // Out of memory: the line is dropped.
    }
}

int32_t CSerloxPort::Spare1(uint32_t, uint32_t) { return 0; }

int32_t CSerloxPort::Spare2(uint32_t, uint32_t, uint32_t) { return 0; }

LinkResult CSerloxPort::ReadChunk(char* buffer, uint32_t capacity, uint32_t* length, uint32_t timeoutMs, uint32_t,
                                  uint32_t) {
    if (!IsOpen()) return LINK_NOT_OPEN;
    *length = 0;
    const auto deadline = serlox::ReceiveQueue::Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string chunk;
    if (!queue_.TakeUntil(deadline, chunk)) return LINK_TIMEOUT;
    if (chunk.size() > capacity) {
        std::memcpy(buffer, chunk.data(), capacity);
        *length = capacity;
        return LINK_TRUNCATED;
    }
    std::memset(buffer, 0, capacity);
    std::memcpy(buffer, chunk.data(), chunk.size());
    *length = static_cast<uint32_t>(chunk.size());
    return LINK_OK;
}

LinkResult CSerloxPort::Write(const char* bytes, uint32_t length, uint32_t, uint32_t) {
    if (!IsOpen()) return LINK_NOT_OPEN;
    std::string wire;
    try {
        TraceSent(bytes, length);
        wire = flowMode_ == FlowMode::Software ? serlox::EscapeForWire(bytes, length) : std::string(bytes, length);
    } catch (const std::exception&) {
        return LINK_WRITE_FAILED;
    }
    const LinkResult result = SendPieces(wire);
    if (result != LINK_OK) TraceFailure("write");
    return result;
}

LinkResult CSerloxPort::SendPieces(const std::string& wire) {
    std::lock_guard<std::mutex> write(writeLock_);
    for (size_t sent = 0; sent < wire.size();) {
        const size_t piece = std::min(kWritePieceSize, wire.size() - sent);
        size_t written = 0;
        if (!device_.IsOpen() || stop_.IsRaised() ||
            !device_.WritePiece(wire.data() + sent, piece, kWritePieceTimeoutMs, stop_, written) || written == 0) {
            return LINK_WRITE_FAILED;
        }
        sent += written;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPauseAfterPieceMs));
    }
    return LINK_OK;
}

void CSerloxPort::ReaderMain(void* port) { static_cast<CSerloxPort*>(port)->RunReader(); }

// Reading goes on while other threads write: the two directions use separate
// device requests, so received bytes keep flowing into the queue in order.
void CSerloxPort::RunReader() {
    if (!ReadUntilStopped()) CloseAfterDeviceLoss();
}

// False when the device is gone, or when a chunk could not be stored (out of
// memory): input would be lost from then on, so the port is closed as for a
// lost device rather than letting the exception end the process.
bool CSerloxPort::ReadUntilStopped() {
    try {
        while (!stop_.IsRaised()) {
            const serlox::WaitResult woken = device_.WaitForInput(stop_);
            if (woken == serlox::WaitResult::Stopped) continue;
            if (woken == serlox::WaitResult::Gone || !FeedAvailable()) return false;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CSerloxPort::FeedAvailable() {
    std::lock_guard<std::mutex> feed(feedLock_);
    char block[kReadBlockSize];
    size_t count = 0;
    if (!device_.ReadAvailable(block, sizeof block, count, stop_)) return false;
    if (flowMode_ == FlowMode::Software) count = unescaper_.Decode(block, count);
    std::vector<std::string> chunks;
    assembler_.Feed(block, count, chunks);
    for (std::string& chunk : chunks) {
        TraceReceived(chunk);
        queue_.Push(std::move(chunk));
    }
    return true;
}

// The reader closes the port itself when the device is gone. A thread that
// holds the port lock meanwhile is either closing the port (it has raised the
// stop signal and waits for this thread) or finishing an Open.
void CSerloxPort::CloseAfterDeviceLoss() {
    while (!portLock_.try_lock()) {
        if (stop_.WaitFor(kRetryCloseMs)) return;
    }
    TraceEvent("closed: the device is gone");
    CloseLocked();
    portLock_.unlock();
}
