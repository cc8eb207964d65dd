#pragma once
// Connection detection: finds the serial port on which a handset answers, keeps
// checking that the same handset (same IMEI) stays connected, and reports
// connection changes to a registered window.
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "serlox/serlox.h"

#if defined(_WIN32)
#if defined(PORVESK_BUILD)
#define PORVESK_API __declspec(dllexport)
#else
#define PORVESK_API __declspec(dllimport)
#endif
#else
#define PORVESK_API __attribute__((visibility("default")))
#endif

// Messages sent synchronously (the detector waits until they are handled) to the
// window given to RegisterRecvConChangeMsg; wParam and lParam are 0. The window
// must not wait for the detector while it handles them.
constexpr uint32_t WM_CONDETECT_CONNECTED = 1724;     // a handset was found, flow control set
constexpr uint32_t WM_CONDETECT_DISCONNECTED = 1824;  // the handset was lost, its port closed

// A window handle (HWND) on Windows. Natively it is a ConDetectNativeWindow*.
using ConDetectWindow = void*;

#if !defined(_WIN32)
// Natively there are no windows: Receive is called on the detector thread.
struct ConDetectNativeWindow {
    void (*receive)(void* context, uint32_t message);
    void* context;
};
#endif

// What the SIM of the connected handset says about its operator.
struct ConDetectSimOperator {
    std::string mcc;  // mobile country code: the IMSI's first three digits
    std::string mnc;  // the (up to) three digits after them; whether the third
                      // belongs to the network code only an operator table knows
    std::string spn;  // service provider name from the SIM; empty when it has none
};

// Results of QuerySimOperator beside those of the handset library (which it
// passes on: minus the handset's error number, for example -10 for a missing
// SIM and -11 for a SIM waiting for its PIN, 20109 when the handset refuses).
constexpr int32_t CONDETECT_OK = 0;
constexpr int32_t CONDETECT_NOT_CONNECTED = 30001;  // no handset connected
constexpr int32_t CONDETECT_HANDSET_BUSY = 30002;   // another component kept the handset lock
constexpr int32_t CONDETECT_BAD_IMSI = 30003;       // the handset's IMSI is not 6 to 15 digits

namespace porvesk {
struct DetectorSetup;
struct DetectorState;
struct DetectorRun;
enum class LockResult;
}  // namespace porvesk

// The connection detector. The library holds exactly one (ConDetectGetObj);
// callers never delete it. Only the members marked PORVESK_API are exported.
// It must not be destroyed from within its own message handler.
class CConDetect {
public:
    PORVESK_API CConDetect();
    // Builds a detector on other collaborators and timings (tests only; not exported).
    explicit CConDetect(const porvesk::DetectorSetup& setup);
    PORVESK_API virtual ~CConDetect();
    CConDetect(const CConDetect&) = delete;
    CConDetect& operator=(const CConDetect&) = delete;

    // Sets the window that receives the connection messages (null: none).
    PORVESK_API void RegisterRecvConChangeMsg(ConDetectWindow window);
    // Starts the detector thread; true only for the call that started it.
    PORVESK_API bool StartDetect();
    // True while a handset is connected.
    PORVESK_API bool GetCurConnectStatus();
    // Model and IMEI texts of the handset found last (empty until one is found;
    // kept after a disconnection).
    PORVESK_API std::string GetCurConnectModel();
    PORVESK_API std::string GetCurConnectImei();
    // Port of the handset found last; SERLOX_NO_PORT until one is found.
    PORVESK_API SerloxIDTag GetCurConnectPort();
    // While not connected: re-read the port list now (after a settle time).
    PORVESK_API void ReGetSysSerloxList();
    // While connected: check the connection now.
    PORVESK_API void DetectConIsAlive();
    // Reads the IMSI and the service provider name from the SIM of the connected
    // handset while holding the handset lock "AccessHandsetMutex", so that the
    // detector's checks wait meanwhile. Runs on the caller's thread, bounded by
    // the handset library's time-outs. A SIM without a service provider name
    // still gives CONDETECT_OK with an empty name.
    PORVESK_API int32_t QuerySimOperator(ConDetectSimOperator& sim);

    // Ends the detector thread and waits for it (the destructor does it too).
    // Detection cannot be started again afterwards. Not exported: used by the
    // library's unload path and by tests.
    void StopDetect();

    // Candidate port list (not exported).
    bool GetSerialPortHKEY();
    static SerloxIDTag CommNameToSerloxID(const char* data, int length);
    bool GetSysSerloxList();
    bool MoveSerloxtoHead(SerloxIDTag port);
    bool GetSerloxListCopy(std::list<SerloxIDTag>& ports);
    void WriteCurPortToRegistry();

private:
    static void ConDetectThreadCallBack(void* detector);
    void ConDetectThreadProc();
    bool CheckRecvModelStr(const char* text);
    bool CheckRecvImeiStr(const char* text);
    std::string GetImeiFrmImeiStr(const char* text);

    bool FollowOneConnection(porvesk::DetectorRun& run);
    void RecoverFromFault(porvesk::DetectorRun& run);
    bool ScanUntilConnected(porvesk::DetectorRun& run);
    void MoveLastCommportToHead();
    bool ProbePort(porvesk::DetectorRun& run, SerloxIDTag port, int32_t attempts);
    void ClosePortOf(porvesk::DetectorRun& run);
    void ReportConnected(porvesk::DetectorRun& run);
    bool WatchConnection(const PortSettings& settings);
    void CheckConnection(const PortSettings& settings);
    porvesk::LockResult TakeHandsetMutexForCheck();
    bool HandsetStillThere(const PortSettings& settings);
    void SendConnectionMessage(uint32_t message);

    std::unique_ptr<porvesk::DetectorState> state_;
};

// The library's detector: the same object on every call, never null while the
// library is loaded.
extern "C" PORVESK_API CConDetect* ConDetectGetObj();
