#pragma once
#include <string>

namespace ravelinwiz {

struct ModemDriver {
    const char* hardwareId;    // passed to the driver installer
    const char* friendlyName;  // the modem name the dial-up entry dials over
};

struct ModelRow {
    const char* modelCode;
    ModemDriver driver;
};

// The fixed model table, in lookup order.
extern const ModelRow kModelTable[];
extern const size_t kModelTableSize;
extern const ModemDriver kGenericModemDriver;

// Exact, case-sensitive lookup of a handset model; the first equal row wins and
// any other model (or an empty one) gets the generic driver.
const ModemDriver& LookupModemDriver(const std::string& model);

}  // namespace ravelinwiz
