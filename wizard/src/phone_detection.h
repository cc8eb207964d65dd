#pragma once
#include <cstdint>

#include "detection_results.h"
#include "wizard_seams.h"

namespace ravelinwiz {

constexpr uint32_t kDetectPollIntervalMs = 1000;
constexpr int kDetectMaxPolls = 15;

// The detection page's Next: starts the detector, polls its port once a second
// until a port shows up or the polls run out, and records what it found.
// True when a phone was found and the wizard may go on.
bool RunPhoneDetection(ConnectionDetector& detector, Sleeper& sleeper, WizardUi& ui, DetectionResults& results);

}  // namespace ravelinwiz
