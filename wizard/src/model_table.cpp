#include "model_table.h"

namespace ravelinwiz {

const ModemDriver kGenericModemDriver = {"tavo_generic_usb_wireless_modem", "Tavo Generic USB Wireless Modem"};

const ModelRow kModelTable[] = {
    {"83K55_Q38", kGenericModemDriver},
    {"83K61_Q74T9M", kGenericModemDriver},
    {"83K47_Q62T5M", kGenericModemDriver},
    {"X9", kGenericModemDriver},
    {"WIKU9D", kGenericModemDriver},
    {"JOVE4N", {"USB\\Vid_2e1a&Pid_4015&Rev_0100", "Tavo KM9 USB Communication"}},
    {"SULD8F", {"USB\\VID_2E1A&PID_4019", "Tavo-Nelm KM20 USB Communication Class"}},
    {"ZEKO6W", {"USB\\Vid_2e1a&Pid_4021&Rev_0100", "Tavo-Nelm KM3 USB Communication Class"}},
    {"RIVA7G", kGenericModemDriver},
    {"MOXT5K", kGenericModemDriver},
};

const size_t kModelTableSize = sizeof kModelTable / sizeof kModelTable[0];

const ModemDriver& LookupModemDriver(const std::string& model) {
    for (const ModelRow& row : kModelTable) {
        if (model == row.modelCode) {
            return row.driver;
        }
    }
    return kGenericModemDriver;
}

}  // namespace ravelinwiz
