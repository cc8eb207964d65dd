#pragma once
// The Win32 implementations of the page logic's system interfaces.
#include <ravelin/win32.h>

#include "wizard_seams.h"

class CConDetect;

namespace ravelinwiz {

class Win32SystemInfo : public SystemInfo {
public:
    OsVersion QueryVersion() override;
    std::string SystemErrorText(uint32_t code) override;
    std::optional<std::string> ModuleFileName() override;
    std::optional<std::string> WindowsDirectory() override;
    std::optional<std::string> ToAnsiCodePage(const std::u16string& text) override;
};

class Win32ProcessStarter : public ProcessStarter {
public:
    StartResult RunHidden(const std::string& program, const std::string& commandLine, uint32_t waitMs) override;
    StartResult ShellOpenHidden(const std::string& program, const std::string& parameters, uint32_t waitMs) override;
};

class Win32RasPhonebook : public RasPhonebook {
public:
    uint32_t ValidateEntryName(const std::string& name) override;
    uint32_t SetEntryProperties(const std::string& name, const RasEntryV1& entry, uint32_t entrySize,
                                const uint8_t* deviceInfo, uint32_t deviceInfoSize) override;
    uint32_t SetEntryDialParams(const RasDialParamsV1& params, bool removePassword) override;
    uint32_t GetEntryProperties(const std::string& name, RasEntryV1& entry, uint32_t& entrySize, uint8_t* deviceInfo,
                                uint32_t& deviceInfoSize) override;
    uint32_t DeleteEntry(const std::string& name) override;
    uint32_t ValidateEntryName(const std::u16string& name) override;
    uint32_t SetEntryProperties(const std::u16string& name, const RasEntryV1W& entry, uint32_t entrySize) override;
    uint32_t SetEntryDialParams(const RasDialParamsV1W& params, bool removePassword) override;
    uint32_t DeleteEntry(const std::u16string& name) override;
};

class Win32ProfileWriter : public ProfileWriter {
public:
    void WriteString(const std::string& file, const std::u16string& section, const std::string& key,
                     const std::string& value) override;
};

class Win32Restarter : public Restarter {
public:
    void EnableShutdownPrivilege() override;
    void RequestReboot() override;
};

class ThreadSleeper : public Sleeper {
public:
    void Sleep(uint32_t milliseconds) override;
};

// The detection library's detector behind the page logic's interface.
class PorveskDetector : public ConnectionDetector {
public:
    explicit PorveskDetector(CConDetect* detector);
    bool StartDetect() override;
    int GetCurConnectPort() override;
    std::string GetCurConnectModel() override;
    std::string GetCurConnectImei() override;

private:
    CConDetect* detector_;
};

// The frame of one wizard page: its sheet's buttons, error boxes, the cursor.
class PageWizardUi : public WizardUi {
public:
    explicit PageWizardUi(HWND page);
    void SetWizardButtons(WizardButtons buttons) override;
    void ShowErrorMessage(StringId text) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

private:
    HWND page_;
    HCURSOR previousCursor_ = nullptr;
};

// Wizard buttons in the flags the property sheet takes.
DWORD ToSheetButtons(WizardButtons buttons);
// The error box of the wizard: no owner, application name as caption.
void ShowWizardError(UINT textId);

}  // namespace ravelinwiz
