// Figures of the handset library over the serial link: one command exchange,
// a media-centre item read unthrottled and at a paced line rate, and the memory
// such a read takes.
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "figures.h"
#include "mextal/mextal.h"
#include "process_meter.h"
#include "raw_port.h"
#include "serlox/serlox.h"
#include "support/simulated_phone.h"

namespace bench {
namespace {

using ravelin::test::SimulatedPhone;

constexpr uint32_t kBaudRate = 115200;
constexpr int kExchangeSamples = 30;
constexpr int kTransferSamples = 5;
constexpr int kAnswerMs = 5000;
constexpr int kTransferMs = 120000;
constexpr char kFinalOk[] = "\r\nOK\r\n";
constexpr uint32_t kTextSize = 128;
constexpr int kItemCategory = 3;
constexpr uint32_t kWarmUpItemBytes = 4096;
// The answers an IMEI query awaits: "AT", "ATE0", the IMEI line, the final "OK".
constexpr int kImeiQueryAnswers = 4;
// The purges (settings applied before the operation and again by the
// handshake) and the command lines written ("AT", "ATE0", the request).
constexpr int kOperationPurges = 2;
constexpr int kOperationWrites = 3;
constexpr double kExchangeTarget = 1.10;
constexpr double kMemoryTarget = 3;
constexpr double kUnthrottledTarget = 0.50;
constexpr double kLineRateTarget = 0.95;
constexpr double kShortestMs = 0.001;

const std::vector<std::string> kImeiQueryCommands = {"AT", "ATE0", "AT+CGSN"};
const std::vector<std::string> kHandshakeCommands = {"AT", "ATE0"};
const std::vector<std::string> kFindCommands = {"ATZ", "ATE0", "AT+CGMM", "AT+CGSN", "AT", "ATE0", "AT+IFC=0"};

template <typename Run>
std::vector<double> TimesMs(int samples, Run run) {
    std::vector<double> times;
    for (int sample = 0; sample < samples; ++sample) {
        const double start = NowMs();
        run();
        times.push_back(NowMs() - start);
    }
    return times;
}

template <typename Run>
double MedianMs(int samples, Run run) {
    return Median(TimesMs(samples, run));
}

// The best of several runs: the reference a bare port can reach.
template <typename Run>
double BestMs(int samples, Run run) {
    const std::vector<double> times = TimesMs(samples, run);
    return *std::min_element(times.begin(), times.end());
}

void Require(bool condition, const std::string& what) {
    if (!condition) throw std::runtime_error(what);
}

std::unique_ptr<RawPort> OpenRaw(SimulatedPhone& phone) {
    std::unique_ptr<RawPort> raw = RawPort::Open(phone.ComPort());
    Require(raw != nullptr, "the bare port cannot be opened");
    Require(raw->Exchange("ATE0", kAnswerMs), "the phone does not answer on the bare port");
    return raw;
}

void RunSequence(RawPort& raw, const std::vector<std::string>& commands) {
    for (const std::string& command : commands) {
        Require(raw.Exchange(command, kAnswerMs), "no answer to " + command + " on the bare port");
    }
}

// The serial link's port object, open for the lifetime of the object.
class OpenPort {
public:
    explicit OpenPort(SimulatedPhone& phone)
        : settings_{static_cast<uint32_t>(phone.ComPort()), kBaudRate, 0}, port_(SerloxGetObj(phone.ComPort())) {
        Require(port_ != nullptr && port_->Open(settings_) == LINK_OK, "the serial link cannot open the port");
    }
    ~OpenPort() { port_->Close(); }
    OpenPort(const OpenPort&) = delete;
    OpenPort& operator=(const OpenPort&) = delete;

    const PortSettings* Settings() const { return &settings_; }

private:
    PortSettings settings_;
    CSerloxObj* port_;
};

// The phone's generated content: byte i is (i * 131 + size) & 0xFF.
bool IsGeneratedContent(const uint8_t* data, uint32_t size) {
    for (uint32_t i = 0; i < size; ++i) {
        if (data[i] != static_cast<uint8_t>((i * 131u + size) & 0xFFu)) return false;
    }
    return true;
}

struct Item {
    const char* name;
    int id;
};
constexpr Item kLargeItem{"Bench.bin", 77};
constexpr Item kPacedItem{"Paced.bin", 78};
constexpr Item kWarmUpItem{"Small.bin", 79};

std::string ItemOption(const Item& item, uint32_t size) {
    return "--mc-item " + std::to_string(kItemCategory) + ":" + std::to_string(item.id) + ":" + item.name + ":" +
           std::to_string(size);
}

std::string ReadRequest(const char* name) {
    return "AT$QKMCR=" + std::to_string(kItemCategory) + ",255,0,\"" + name + "\"";
}

// One ReadMediaCenter of the item; checks length and every byte.
void ReadItem(const OpenPort& port, const char* name, uint32_t size) {
    uint8_t* data = nullptr;
    uint32_t length = 0;
    const int32_t result =
        ReadMediaCenter(port.Settings(), kItemCategory, MC_ITEM_MEDIA_CENTER, 0, name, &data, &length);
    const bool whole = result == MEXTAL_OK && length == size && IsGeneratedContent(data, size);
    FreeRecvMem(&data);
    Require(whole, "ReadMediaCenter gave " + std::to_string(result) + " with " + std::to_string(length) + " bytes");
}

std::string Ms(double value) { return Format(value, 2) + " ms"; }
std::string MiBps(double bytes, double ms) { return Format(bytes / (1024.0 * 1024.0) / (ms / 1000.0), 2) + " MiB/s"; }

Figure MakeFigure(const std::string& name, const std::string& measured, const std::string& reference, double ratio,
                  const std::string& ratioMeaning, const std::string& target, bool met) {
    Figure figure;
    figure.name = name;
    figure.measured = measured;
    figure.reference = reference;
    figure.ratio = ratio;
    figure.ratioMeaning = ratioMeaning;
    figure.target = target;
    figure.met = met;
    return figure;
}

// Resident growth over a read of the large item. A small item read before brings
// in the code and buffers every read uses, so that the growth is the read's data.
Figure MemoryFigure(SimulatedPhone& phone, uint32_t size) {
    OpenPort port(phone);
    ReadItem(port, kWarmUpItem.name, kWarmUpItemBytes);
    const size_t baseline = ResidentBytes();
    ResidentPeak peak;
    ReadItem(port, kLargeItem.name, size);
    const size_t highest = peak.Stop();
    const double grown = highest > baseline ? static_cast<double>(highest - baseline) : 0.0;
    const double ratio = grown / size;
    return MakeFigure("memory: peak resident size during ReadMediaCenter",
                      "+" + Format(grown / 1024.0, 0) + " KiB over " + Format(baseline / 1024.0, 0) + " KiB",
                      "item " + Format(size / 1024.0, 0) + " KiB", ratio, "growth / item size", "<= 3",
                      ratio <= kMemoryTarget);
}

// The large item through the library against the same answer on the bare port;
// once whole, once less the waits every operation makes before its request
// (2 purges, 3 write pauses) and the handshake's round trips.
std::vector<Figure> UnthrottledFigures(SimulatedPhone& phone, const RawTrips& trips, uint32_t size) {
    double rawMs = 0;
    {
        std::unique_ptr<RawPort> raw = OpenRaw(phone);
        rawMs = BestMs(kTransferSamples, [&] {
            std::string received;
            Require(raw->Write(ReadRequest(kLargeItem.name) + "\r") &&
                        raw->ReadUntil(kFinalOk, size, received, kTransferMs),
                    "the item does not come whole on the bare port");
        });
    }
    double libraryMs = 0;
    {
        OpenPort port(phone);
        libraryMs = MedianMs(kTransferSamples, [&] { ReadItem(port, kLargeItem.name, size); });
    }
    const std::string reference =
        "raw, best of " + std::to_string(kTransferSamples) + ": " + MiBps(size, rawMs) + " (" + Ms(rawMs) + ")";
    const double fixedMs = kOperationPurges * kPurgePauseMs + kOperationWrites * kWritePauseMs + trips.handshakeMs;
    const double dataMs = std::max(libraryMs - fixedMs, kShortestMs);
    return {MakeFigure("transfer: ReadMediaCenter " + Format(size / 1024.0, 0) + " KiB, unthrottled",
                       "median " + MiBps(size, libraryMs) + " (" + Ms(libraryMs) + ")", reference, rawMs / libraryMs,
                       "throughput / raw throughput", ">= 0.50", rawMs / libraryMs >= kUnthrottledTarget),
            MakeFigure("transfer: the same, less the operation's fixed waits",
                       MiBps(size, dataMs) + " (" + Ms(libraryMs) + " - " + Ms(fixedMs) + ")", reference,
                       rawMs / dataMs, "throughput / raw throughput", ">= 0.50", rawMs / dataMs >= kUnthrottledTarget)};
}

Figure PacedFigure(SimulatedPhone& phone, const Options& options) {
    const uint32_t size = options.pacedBytes;
    double pacedMs = 0;
    {
        OpenPort port(phone);
        const double start = NowMs();
        ReadItem(port, kPacedItem.name, size);
        pacedMs = NowMs() - start;
    }
    const double lineBytesPerSecond = options.pacedBaud / kLineBitsPerByte;
    const double throughput = size / (pacedMs / 1000.0);
    const double ratio = throughput / lineBytesPerSecond;
    return MakeFigure("transfer: ReadMediaCenter " + Format(size / 1024.0, 0) + " KiB at " +
                          std::to_string(options.pacedBaud) + " baud",
                      Format(throughput, 0) + " B/s (" + Ms(pacedMs) + ")",
                      "line rate " + Format(lineBytesPerSecond, 0) + " B/s", ratio, "throughput / line rate", ">= 0.95",
                      ratio >= kLineRateTarget);
}

}  // namespace

RawTrips MeasureRawTrips(SimulatedPhone& phone) {
    std::unique_ptr<RawPort> raw = OpenRaw(phone);
    RawTrips trips;
    trips.imeiQueryMs = MedianMs(kExchangeSamples, [&] { RunSequence(*raw, kImeiQueryCommands); });
    trips.handshakeMs = MedianMs(kExchangeSamples, [&] { RunSequence(*raw, kHandshakeCommands); });
    trips.findMs = MedianMs(kExchangeSamples, [&] { RunSequence(*raw, kFindCommands); });
    return trips;
}

std::vector<Figure> ExchangeFigures(SimulatedPhone& phone, const RawTrips& trips) {
    OpenPort port(phone);
    const double measured = MedianMs(kExchangeSamples, [&] {
        char imei[kTextSize] = {};
        Require(QueryImei(port.Settings(), imei, kTextSize) == MEXTAL_OK && imei[0] != '\0', "QueryImei failed");
    });
    const double floor = trips.imeiQueryMs + kOperationPurges * kPurgePauseMs + kOperationWrites * kWritePauseMs;
    const std::string basis = "raw " + Ms(trips.imeiQueryMs) +
                              " + 2 purges + 3 write pauses; polls allowed: " + Ms(kImeiQueryAnswers * kQueuePollMs);
    const double ratio = measured / floor;
    return {MakeFigure("exchange: QueryImei", Ms(measured), Ms(floor) + " (" + basis + ")", ratio, "measured / floor",
                       "<= 1.10", ratio <= kExchangeTarget)};
}

std::vector<Figure> TransferFigures(SimulatedPhone& phone, const RawTrips& trips, const Options& options) {
    std::vector<Figure> figures;
    phone.Reset(ItemOption(kLargeItem, options.itemBytes) + " " + ItemOption(kWarmUpItem, kWarmUpItemBytes));
    // First of all, while the process has never held a buffer of this size.
    figures.push_back(MemoryFigure(phone, options.itemBytes));
    for (Figure& figure : UnthrottledFigures(phone, trips, options.itemBytes)) figures.push_back(figure);
    phone.Reset(ItemOption(kPacedItem, options.pacedBytes) + " --pace " + std::to_string(options.pacedBaud));
    figures.push_back(PacedFigure(phone, options));
    phone.Reset("");
    return figures;
}

}  // namespace bench
