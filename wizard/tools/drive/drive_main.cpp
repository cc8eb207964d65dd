// wizard_drive: drives a running wizard sheet from another process.
//
//   wizard_drive [--timeout-ms N] STEP...
//   wizard_drive [--timeout-ms N] -f SCRIPT      (one step per line, # starts a comment)
//
// Steps:
//   next | back | finish | cancel     press the sheet button and wait until the sheet settles
//   text:<id>=<value>                 set the text of control <id> on the current page
//   type:<id>=<value>                 type <value> into control <id>, one character at a
//                                     time, as keys would (so the control's limit applies)
//   select-radio:<id>                 check radio button <id> and clear the rest of its group
//   msgbox:ok|cancel|yes|no           close the message box with that button
//   expect-page:<n>                   the current page is page n (1-based)
//   expect-msgbox:<text>              a message box with exactly this text is shown
//   expect-text:<id>=<value>          control <id> on the current page shows exactly <value>
//   expect-length:<id>=<n>            control <id> on the current page holds exactly n characters
//   expect-closed                     the sheet has closed
//   wait:<ms>                         pause
//   shot:<name>                       print "SHOT <name>" and pause so a screenshot can be taken
//                                     (RAVELIN_SHOT_PAUSE_MS, default 1000)
//
// Exit code 0 when every step passed, 1 on a mismatch, 2 on a usage error, 3
// when the sheet cannot be found.
#include <ravelin/win32.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 50;
constexpr DWORD kSettleMs = 400;
constexpr UINT kQueryTimeoutMs = 200;
constexpr int kMessageBoxTextId = 0xFFFF;

enum class ExitCode : int { kPassed = 0, kMismatch = 1, kUsage = 2, kNoSheet = 3 };

DWORD g_timeoutMs = 60000;

using ravelin::win32::FromUtf8;
using ravelin::win32::ToUtf8;

void Report(const std::wstring& step, const std::string& what) {
    std::fprintf(stderr, "wizard_drive: %s: %s\n", ToUtf8(step).c_str(), what.c_str());
}

bool Query(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kQueryTimeoutMs, &result) != 0;
}

HWND CurrentPage(HWND sheet) {
    DWORD_PTR page = 0;
    return Query(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, page) ? reinterpret_cast<HWND>(page) : nullptr;
}

bool IsDialogWindow(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return IsWindowVisible(window) && std::wstring(name) == L"#32770";
}

struct Search {
    HWND sheet;
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindSheet(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (IsDialogWindow(window) && CurrentPage(window) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A message box of the wizard: a visible dialog of the sheet's process that is
// not the sheet (the wizard's boxes have no owner).
BOOL CALLBACK FindMessageBox(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (window != search->sheet && process == search->process && IsDialogWindow(window) &&
        GetDlgItem(window, kMessageBoxTextId) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

class Driver {
public:
    bool Attach() {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < g_timeoutMs) {
            Search search{nullptr, 0, nullptr};
            EnumWindows(FindSheet, reinterpret_cast<LPARAM>(&search));
            if (search.found != nullptr) {
                sheet_ = search.found;
                GetWindowThreadProcessId(sheet_, &process_);
                return true;
            }
            Sleep(kPollMs);
        }
        return false;
    }

    ExitCode Run(const std::vector<std::wstring>& steps) {
        for (const std::wstring& step : steps) {
            std::printf("STEP %s\n", ToUtf8(step).c_str());
            std::fflush(stdout);
            const ExitCode result = RunStep(step);
            if (result != ExitCode::kPassed) {
                return result;
            }
        }
        return ExitCode::kPassed;
    }

private:
    HWND MessageBoxWindow() const {
        Search search{sheet_, process_, nullptr};
        EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    int PageNumber() const {
        HWND page = CurrentPage(sheet_);
        DWORD_PTR index = 0;
        if (page == nullptr || !Query(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0, index)) {
            return 0;
        }
        return static_cast<int>(index) + 1;
    }

    // The sheet has settled when it closed, shows a message box, changed page,
    // or answers messages again and stays on the same page for a while.
    void WaitUntilSettled(int pageBefore) const {
        const DWORD start = GetTickCount();
        DWORD quietSince = 0;
        while (GetTickCount() - start < g_timeoutMs) {
            Sleep(kPollMs);
            if (!IsWindow(sheet_) || MessageBoxWindow() != nullptr) {
                return;
            }
            DWORD_PTR ignored = 0;
            const bool responsive = Query(sheet_, WM_NULL, 0, 0, ignored);
            const int page = responsive ? PageNumber() : 0;
            if (responsive && page != pageBefore) {
                return;
            }
            if (!responsive) {
                quietSince = 0;
            } else if (quietSince == 0) {
                quietSince = GetTickCount();
            } else if (GetTickCount() - quietSince >= kSettleMs) {
                return;
            }
        }
    }

    template <typename Condition>
    bool WaitFor(Condition condition) const {
        const DWORD start = GetTickCount();
        do {
            if (condition()) {
                return true;
            }
            Sleep(kPollMs);
        } while (GetTickCount() - start < g_timeoutMs);
        return false;
    }

    ExitCode Press(int button) {
        const int before = PageNumber();
        PostMessageW(sheet_, PSM_PRESSBUTTON, button, 0);
        WaitUntilSettled(before);
        return ExitCode::kPassed;
    }

    HWND Control(const std::wstring& id) const {
        HWND page = CurrentPage(sheet_);
        return page != nullptr ? GetDlgItem(page, _wtoi(id.c_str())) : nullptr;
    }

    // "<id>=<value>": the control <id> on the current page, and the value.
    HWND NamedControl(const std::wstring& step, const std::wstring& argument, std::wstring& value) const {
        const size_t equals = argument.find(L'=');
        HWND control = equals == std::wstring::npos ? nullptr : Control(argument.substr(0, equals));
        if (control == nullptr) {
            Report(step, "no such control on the current page");
            return nullptr;
        }
        value = argument.substr(equals + 1);
        return control;
    }

    static std::wstring TextOf(HWND window) {
        wchar_t text[1024] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kQueryTimeoutMs,
                            &ignored);
        return text;
    }

    ExitCode SetText(const std::wstring& step, const std::wstring& argument) {
        std::wstring value;
        HWND control = NamedControl(step, argument, value);
        if (control == nullptr) {
            return ExitCode::kMismatch;
        }
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()), SMTO_ABORTIFHUNG,
                            kQueryTimeoutMs, &ignored);
        return ExitCode::kPassed;
    }

    // Each character goes to the control as a typed character message, which an
    // edit accepts only while it is below its text limit.
    ExitCode TypeText(const std::wstring& step, const std::wstring& argument) {
        std::wstring value;
        HWND control = NamedControl(step, argument, value);
        if (control == nullptr) {
            return ExitCode::kMismatch;
        }
        for (const wchar_t character : value) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(control, WM_CHAR, character, 1, SMTO_ABORTIFHUNG, kQueryTimeoutMs, &ignored);
        }
        return ExitCode::kPassed;
    }

    ExitCode ExpectLength(const std::wstring& step, const std::wstring& argument) {
        std::wstring value;
        HWND control = NamedControl(step, argument, value);
        if (control == nullptr) {
            return ExitCode::kMismatch;
        }
        DWORD_PTR length = 0;
        if (!Query(control, WM_GETTEXTLENGTH, 0, 0, length)) {
            Report(step, "the control does not answer");
            return ExitCode::kMismatch;
        }
        if (length != static_cast<DWORD_PTR>(_wtoi(value.c_str()))) {
            Report(step, "control holds " + std::to_string(length) + " characters");
            return ExitCode::kMismatch;
        }
        return ExitCode::kPassed;
    }

    ExitCode ExpectText(const std::wstring& step, const std::wstring& argument) {
        std::wstring value;
        HWND control = NamedControl(step, argument, value);
        if (control == nullptr) {
            return ExitCode::kMismatch;
        }
        const std::wstring shown = TextOf(control);
        if (shown != value) {
            Report(step, "control shows \"" + ToUtf8(shown) + "\"");
            return ExitCode::kMismatch;
        }
        return ExitCode::kPassed;
    }

    ExitCode SelectRadio(const std::wstring& step, const std::wstring& argument) {
        HWND radio = Control(argument);
        HWND page = CurrentPage(sheet_);
        if (radio == nullptr) {
            Report(step, "no such control on the current page");
            return ExitCode::kMismatch;
        }
        HWND item = radio;
        do {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(item, BM_SETCHECK, item == radio ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_ABORTIFHUNG,
                                kQueryTimeoutMs, &ignored);
            item = GetNextDlgGroupItem(page, item, FALSE);
        } while (item != nullptr && item != radio);
        return ExitCode::kPassed;
    }

    ExitCode CloseMessageBox(const std::wstring& step, const std::wstring& argument) {
        int button = 0;
        if (argument == L"ok") button = IDOK;
        if (argument == L"cancel") button = IDCANCEL;
        if (argument == L"yes") button = IDYES;
        if (argument == L"no") button = IDNO;
        if (button == 0) {
            Report(step, "unknown button");
            return ExitCode::kUsage;
        }
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = MessageBoxWindow()) != nullptr; })) {
            Report(step, "no message box");
            return ExitCode::kMismatch;
        }
        const int before = PageNumber();
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        if (!WaitFor([&] { return !IsWindow(box); })) {
            Report(step, "message box stayed open");
            return ExitCode::kMismatch;
        }
        WaitUntilSettled(before);
        return ExitCode::kPassed;
    }

    ExitCode ExpectMessageBox(const std::wstring& step, const std::wstring& expected) {
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = MessageBoxWindow()) != nullptr; })) {
            Report(step, "no message box");
            return ExitCode::kMismatch;
        }
        const std::wstring shown = TextOf(GetDlgItem(box, kMessageBoxTextId));
        if (shown != expected) {
            Report(step, "message box says \"" + ToUtf8(shown) + "\"");
            return ExitCode::kMismatch;
        }
        return ExitCode::kPassed;
    }

    ExitCode ExpectPage(const std::wstring& step, const std::wstring& argument) {
        const int page = PageNumber();
        if (page != _wtoi(argument.c_str())) {
            Report(step, "current page is " + std::to_string(page));
            return ExitCode::kMismatch;
        }
        return ExitCode::kPassed;
    }

    ExitCode ExpectClosed(const std::wstring& step) {
        if (!WaitFor([&] { return !IsWindow(sheet_); })) {
            Report(step, "the sheet is still open");
            return ExitCode::kMismatch;
        }
        return ExitCode::kPassed;
    }

    static ExitCode Shot(const std::wstring& name) {
        std::printf("SHOT %s\n", ToUtf8(name).c_str());
        std::fflush(stdout);
        const char* pause = std::getenv("RAVELIN_SHOT_PAUSE_MS");
        Sleep(pause != nullptr ? std::strtoul(pause, nullptr, 10) : 1000);
        return ExitCode::kPassed;
    }

    ExitCode RunStep(const std::wstring& step) {
        const size_t colon = step.find(L':');
        const std::wstring verb = step.substr(0, colon);
        const std::wstring argument = colon == std::wstring::npos ? L"" : step.substr(colon + 1);
        if (verb == L"next") return Press(PSBTN_NEXT);
        if (verb == L"back") return Press(PSBTN_BACK);
        if (verb == L"finish") return Press(PSBTN_FINISH);
        if (verb == L"cancel") return Press(PSBTN_CANCEL);
        if (verb == L"text") return SetText(step, argument);
        if (verb == L"type") return TypeText(step, argument);
        if (verb == L"select-radio") return SelectRadio(step, argument);
        if (verb == L"msgbox") return CloseMessageBox(step, argument);
        if (verb == L"expect-page") return ExpectPage(step, argument);
        if (verb == L"expect-msgbox") return ExpectMessageBox(step, argument);
        if (verb == L"expect-text") return ExpectText(step, argument);
        if (verb == L"expect-length") return ExpectLength(step, argument);
        if (verb == L"expect-closed") return ExpectClosed(step);
        if (verb == L"wait") {
            Sleep(_wtoi(argument.c_str()));
            return ExitCode::kPassed;
        }
        if (verb == L"shot") return Shot(argument);
        Report(step, "unknown step");
        return ExitCode::kUsage;
    }

    HWND sheet_ = nullptr;
    DWORD process_ = 0;
};

bool ReadScript(const wchar_t* path, std::vector<std::wstring>& steps) {
    std::ifstream file(ToUtf8(path));
    if (!file) {
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        if (!line.empty() && line[0] != '#') {
            steps.push_back(FromUtf8(line));
        }
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> steps;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--timeout-ms" && i + 1 < argc) {
            g_timeoutMs = static_cast<DWORD>(_wtoi(argv[++i]));
        } else if (argument == L"-f" && i + 1 < argc) {
            if (!ReadScript(argv[++i], steps)) {
                std::fprintf(stderr, "wizard_drive: cannot read %s\n", ToUtf8(argv[i]).c_str());
                return static_cast<int>(ExitCode::kUsage);
            }
        } else {
            steps.push_back(argument);
        }
    }
    if (steps.empty()) {
        std::fprintf(stderr, "usage: wizard_drive [--timeout-ms N] (STEP... | -f SCRIPT)\n");
        return static_cast<int>(ExitCode::kUsage);
    }
    Driver driver;
    if (!driver.Attach()) {
        std::fprintf(stderr, "wizard_drive: no wizard sheet found\n");
        return static_cast<int>(ExitCode::kNoSheet);
    }
    return static_cast<int>(driver.Run(steps));
}
