#pragma once
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
};
