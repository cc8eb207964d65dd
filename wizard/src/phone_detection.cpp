#include "phone_detection.h"

namespace ravelinwiz {

namespace {

void PollDetectorPort(ConnectionDetector& detector, Sleeper& sleeper, WizardUi& ui, DetectionResults& results) {
    ui.BeginWaitCursor();
    sleeper.Sleep(kDetectPollIntervalMs);
    results.port = detector.GetCurConnectPort();
    ui.EndWaitCursor();
}

}  // namespace

bool RunPhoneDetection(ConnectionDetector& detector, Sleeper& sleeper, WizardUi& ui, DetectionResults& results) {
    ui.SetWizardButtons(kButtonBack);
    detector.StartDetect();  // a detector already running is left alone

    int polls = 0;
    do {
        PollDetectorPort(detector, sleeper, ui, results);
        ++polls;
    } while (results.port == 0 && polls < kDetectMaxPolls);

    results.model = detector.GetCurConnectModel();
    results.imei = detector.GetCurConnectImei();

    if (results.port <= 0) {
        ui.ShowErrorMessage(kStrNoPhoneDetected);
        ui.SetWizardButtons(kButtonBack | kButtonNext);
        return false;
    }
    results.portText = "COM" + std::to_string(results.port);
    ui.SetWizardButtons(kButtonBack | kButtonNext);
    return true;
}

}  // namespace ravelinwiz
