#pragma once
// The benchmark figures: each one measured against its floor or limit in the
// same run, on the same machine, through the same simulated phone.
#include <cstdint>
#include <string>
#include <vector>

namespace ravelin::test {
class SimulatedPhone;
}

namespace bench {

// Waits the product specifies, from which the floors are worked out.
constexpr double kPurgePauseMs = 10;      // serial link: settle pause before a purge
constexpr double kWritePauseMs = 5;       // serial link: pause after every written piece
constexpr double kQueuePollMs = 20;       // serial link: longest queue poll per awaited answer
constexpr double kRescanWaitMs = 2000;    // detector: wait at the start of every scan pass
constexpr double kBetweenPortsMs = 2000;  // detector: wait after a port without a handset
constexpr double kLineBitsPerByte = 10;   // start bit, 8 data bits, stop bit

struct Options {
    int idleSeconds = 60;
    uint32_t itemBytes = 1024 * 1024;
    uint32_t pacedBytes = 256 * 1024;
    int pacedBaud = 115200;
    bool verbose = false;
};

struct Figure {
    std::string name;
    std::string measured;   // with its unit
    std::string reference;  // the floor or limit, with its unit
    double ratio = 0;
    std::string ratioMeaning;
    std::string target;
    bool met = false;
};

// Raw round trips of command sequences on the bare port, in ms (medians).
struct RawTrips {
    double imeiQueryMs = 0;  // "AT", "ATE0", "AT+CGSN", each up to its final OK
    double handshakeMs = 0;  // "AT", "ATE0"
    // A probe that finds the phone ("ATZ", "ATE0", "AT+CGMM", "AT+CGSN"), then
    // its flow control set ("AT", "ATE0", "AT+IFC=0").
    double findMs = 0;
};

RawTrips MeasureRawTrips(ravelin::test::SimulatedPhone& phone);
std::vector<Figure> ExchangeFigures(ravelin::test::SimulatedPhone& phone, const RawTrips& trips);
std::vector<Figure> TransferFigures(ravelin::test::SimulatedPhone& phone, const RawTrips& trips,
                                    const Options& options);
std::vector<Figure> DetectorFigures(ravelin::test::SimulatedPhone& phone, const RawTrips& trips,
                                    const Options& options);

// Time in ms since an arbitrary start, steady.
double NowMs();
double Median(std::vector<double> samples);
std::string Format(double value, int decimals);

}  // namespace bench
