#pragma once
// String and button numbers of the wizard's page logic. The string tables that
// carry the texts live with the program's resources.
#include <cstdint>

namespace ravelinwiz {

// The texts of the error boxes the page logic shows.
enum StringId : uint32_t {
    kStrNoPhoneDetected = 2025,
    kStrPortEmpty = 2026,
    kStrApnEmpty = 2027,
    kStrConnectionNameEmpty = 2028,
    kStrDialNumberEmpty = 2029,
};

// The wizard buttons a page enables; any combination of the flags.
using WizardButtons = uint32_t;
constexpr WizardButtons kButtonsNone = 0;
constexpr WizardButtons kButtonBack = 1;
constexpr WizardButtons kButtonNext = 2;
constexpr WizardButtons kButtonFinish = 4;

}  // namespace ravelinwiz
