#pragma once
#include <optional>
#include <string>

#include "apn_choice.h"
#include "apn_source_win32.h"
#include "apn_table.h"
#include "detection_results.h"
#include "system_win32.h"

class CConDetect;

// The program's application object: the detector of the detection library,
// fetched once and never released, the detection results the pages share, and
// the system services the pages' logic runs on.
class CRavelinWizApp {
public:
    CRavelinWizApp();
    CRavelinWizApp(const CRavelinWizApp&) = delete;
    CRavelinWizApp& operator=(const CRavelinWizApp&) = delete;

    // Runs the wizard sheet modally; the program ends when it closes.
    void Run();

    CConDetect* const detector;
    ravelinwiz::DetectionResults results;

    ravelinwiz::PorveskDetector detectorService;
    ravelinwiz::ThreadSleeper sleeper;
    ravelinwiz::Win32SystemInfo system;
    ravelinwiz::Win32ProcessStarter starter;
    ravelinwiz::Win32RasPhonebook phonebook;
    ravelinwiz::Win32ProfileWriter profile;
    ravelinwiz::Win32Restarter restarter;

    // The operator table and the SIM the driver page suggests an APN from; the
    // suggestion the user kept and the APN given to the installer (both UTF-8),
    // from which the dial-up page takes user name and password.
    const std::optional<ravelinwiz::ApnTable> apnTable;
    ravelinwiz::PorveskSimReader simReader;
    std::optional<ravelinwiz::ApnSuggestion> keptApn;
    std::string installedApn;
};
