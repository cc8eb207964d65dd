#pragma once
// Installs and removes modems with the system's device installer (SetupAPI).
#include <string>

namespace gminst {

// Names of the values in a modem's driver key that this installer reads or writes.
inline constexpr wchar_t kAttachedToValue[] = L"AttachedTo";
inline constexpr wchar_t kFriendlyNameValue[] = L"FriendlyName";
inline constexpr wchar_t kUserInitValue[] = L"UserInit";
// Marks the modems this installer created, so that a later run replaces or
// removes only those and never a modem someone else installed.
inline constexpr wchar_t kMadeByValue[] = L"InstalledBy";
inline constexpr wchar_t kMadeByData[] = L"GMINST32";

struct ModemRequest {
    std::wstring infPath;     // full path of MDMTavo.inf
    std::wstring port;        // "COM5"
    std::wstring hardwareId;  // selects the INF's model line
    std::wstring apn;         // already checked: letters, digits, '.', '-'
};

struct SetupOutcome {
    bool succeeded;
    std::wstring action;  // what was done, or which call failed and the system's error
};

// Installs the INF's driver for the hardware id. A present device with that id
// that this installer did not create (the phone's own modem interface) gets the
// driver; otherwise a root-enumerated modem attached to the port is created. The
// modem's extra initialisation selects the APN. Modems this installer created
// earlier on the same port are removed once the new one is installed; when
// anything fails, a modem created by this run is removed again.
SetupOutcome InstallModem(const ModemRequest& request);

// Removes every modem this installer created on the port.
SetupOutcome RemoveModems(const std::wstring& port);

}  // namespace gminst
