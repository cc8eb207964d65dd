// With the trace on, a detection against the handset simulator and a SIM query
// leave a line from every layer, whole lines only, and no IMSI.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "mextal/mextal.h"
#include "porvesk/porvesk.h"
#include "simulated_phone_map.h"
#include "support/simulated_phone.h"
#include "support/trace_file.h"

namespace porvesk::test {
namespace {

using namespace std::chrono_literals;
using ravelin::test::SimulatedPhone;

constexpr char kImsi[] = "262019876543210";

TEST(TraceOfDetection, EveryLayerWritesWholeLinesAndNoImsi) {
    // Set before this program's first call into the libraries, which decide then.
    ravelin::test::TraceFile traceFile;
    std::unique_ptr<SimulatedPhone> phone =
        SimulatedPhone::Start(0, std::string("--model T-SIM7 --imei 356938035643809 --imsi ") + kImsi);
    SerialMapEntry entry(phone->ComPort());
    DetectorSetup setup;
    setup.timings = QuickTimings();
    setup.link = MakeSystemHandsetLink();
    setup.platform = entry.Platform();
    CConDetect detector(setup);
    ASSERT_TRUE(detector.StartDetect());
    ASSERT_TRUE(WaitUntil([&] { return detector.GetCurConnectStatus(); }, 8s));
    ConDetectSimOperator sim;
    EXPECT_EQ(detector.QuerySimOperator(sim), CONDETECT_OK);
    detector.StopDetect();

    const std::string trace = traceFile.Text();
    const std::string port = "COM" + std::to_string(phone->ComPort());
    const std::string expected[] = {
        "Porvesk candidate ports: " + port,
        "Serlox " + port + " open",
        "Serlox " + port + " > ATZ\\r",
        "Serlox " + port + " < OK\\r\\n",
        "Mextal " + port + " DetectHandSetModel: ok, model T-SIM7, IMEI 356938035643809",
        "Porvesk connected on " + port,
        "Porvesk message 1724 not sent: no window registered",
        "Serlox " + port + " > AT+CIMI\\r",
        "Serlox " + port + " < (withheld)\\r\\n",
        "Mextal " + port + " QueryImsi: ok",
        "Porvesk SIM operator: country code 262",
        "Serlox " + port + " close",
    };
    for (const std::string& fragment : expected) EXPECT_NE(trace.find(fragment), std::string::npos) << fragment;
    EXPECT_EQ(trace.find("9876543210"), std::string::npos) << "the IMSI's subscriber digits are in the trace";

    const std::regex shape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[pid \d+ tid \d+\] (Serlox|Mextal|Porvesk) .*)");
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) EXPECT_TRUE(std::regex_match(line, shape)) << line;
}

}  // namespace
}  // namespace porvesk::test
