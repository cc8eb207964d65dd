#include <porvesk/porvesk.h>

#include "system_win32.h"

namespace ravelinwiz {

PorveskDetector::PorveskDetector(CConDetect* detector) : detector_(detector) {}

bool PorveskDetector::StartDetect() { return detector_ != nullptr && detector_->StartDetect(); }

int PorveskDetector::GetCurConnectPort() {
    return detector_ != nullptr ? static_cast<int>(detector_->GetCurConnectPort()) : 0;
}

std::string PorveskDetector::GetCurConnectModel() {
    return detector_ != nullptr ? detector_->GetCurConnectModel() : std::string();
}

std::string PorveskDetector::GetCurConnectImei() {
    return detector_ != nullptr ? detector_->GetCurConnectImei() : std::string();
}

}  // namespace ravelinwiz
