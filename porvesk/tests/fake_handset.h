#pragma once
// A scripted stand-in for the serial link, the handset library and the model
// agent: phones sit on ports, every call is logged.
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "handset_link.h"

namespace porvesk::test {

struct FakePhone {
    int32_t detectResult = 0;  // result of DetectHandSetModel
    std::string model;
    std::string imei;
    int32_t queryResult = 0;  // result of QueryImei
    std::string imsi;
    int32_t imsiResult = 0;  // result of QueryImsi
    std::string spn;
    int32_t spnResult = 0;  // result of QuerySpn
};

// One logged call: "open 5", "detect 5 4" (port, attempts), "close 5", "imei 5", "flow 5 1",
// "imsi 5", "spn 5".
using CallLog = std::vector<std::string>;

class FakeHandsetLink : public HandsetLink {
public:
    void PutPhone(int port, const FakePhone& phone);
    void RemovePhone(int port);
    // Open on `port` fails with `result` (LINK_OK again to undo).
    void SetOpenResult(int port, LinkResult result);
    void SetFlowControlIndex(uint32_t index);
    // Runs on the detector thread after each DetectHandSetModel, with the port probed.
    void OnDetect(std::function<void(SerloxIDTag)> hook);
    // Runs at each QueryImei (on the detector thread), QueryImsi and QuerySpn.
    void OnQuery(std::function<void()> hook);
    // Runs on the detector thread at each SetMsFlowControl.
    void OnFlowControl(std::function<void()> hook);

    CallLog Calls();
    // What each DetectHandSetModel was given: "<port>,<baud rate>,<third word> <time-out ms>".
    CallLog Probes();
    size_t CountCalls(const std::string& call);
    bool IsOpen(int port);
    // Waits (up to a generous bound) until `call` has been logged `times` times.
    bool WaitForCall(const std::string& call, size_t times = 1);

    LinkResult OpenPort(const PortSettings& settings) override;
    void ClosePort(SerloxIDTag port) override;
    int32_t DetectHandSetModel(const PortSettings& settings, int32_t attempts, int32_t timeoutMs, char* model,
                               uint32_t modelSize, char* imei, uint32_t imeiSize) override;
    int32_t QueryImei(const PortSettings& settings, char* imei, uint32_t size) override;
    int32_t SetMsFlowControl(const PortSettings& settings, int32_t selector) override;
    int32_t QueryImsi(const PortSettings& settings, char* imsi, uint32_t size) override;
    int32_t QuerySpn(const PortSettings& settings, char* spn, uint32_t size) override;
    uint32_t GetFlowControlIndex() override;

private:
    void Log(const std::string& call);
    int32_t Query(const char* call, const PortSettings& settings, char* text, uint32_t size,
                  std::string FakePhone::*answer, int32_t FakePhone::*result);

    std::mutex lock_;
    std::condition_variable logged_;
    std::map<int, FakePhone> phones_;
    std::map<int, LinkResult> openResults_;
    std::set<int> open_;
    uint32_t flowControlIndex_ = 2;
    std::function<void(SerloxIDTag)> onDetect_;
    std::function<void()> onQuery_;
    std::function<void()> onFlowControl_;
    CallLog calls_;
    CallLog probes_;
};

}  // namespace porvesk::test
