#pragma once
#include <string>

namespace ravelinwiz {

// What the detection page found; read by the installation and dial-up pages.
struct DetectionResults {
    int port = 0;          // COM port number of the handset; 0 = none
    std::string portText;  // "COM<n>", set only when a port was found
    std::string model;
    std::string imei;
};

}  // namespace ravelinwiz
