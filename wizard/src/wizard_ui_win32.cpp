#include "system_win32.h"

#include <commctrl.h>

#include "resource_ids.h"
#include "text_win32.h"

namespace ravelinwiz {

static_assert(kStrNoPhoneDetected == IDS_ERR_NO_PHONE && kStrPortEmpty == IDS_ERR_PORT_EMPTY &&
                  kStrApnEmpty == IDS_ERR_APN_EMPTY && kStrConnectionNameEmpty == IDS_ERR_CONNECTION_NAME_EMPTY &&
                  kStrDialNumberEmpty == IDS_ERR_DIAL_NUMBER_EMPTY,
              "the logic's string ids are the resource ids");

DWORD ToSheetButtons(WizardButtons buttons) {
    DWORD flags = 0;
    if (buttons & kButtonBack) {
        flags |= PSWIZB_BACK;
    }
    if (buttons & kButtonNext) {
        flags |= PSWIZB_NEXT;
    }
    if (buttons & kButtonFinish) {
        flags |= PSWIZB_FINISH;
    }
    return flags;
}

// Without an owner the box would leave the sheet usable underneath it; task
// modal disables the sheet so that Next cannot run a second time meanwhile.
void ShowWizardError(UINT textId) {
    MessageBoxW(nullptr, LoadResString(textId).c_str(), LoadResString(IDS_APP_TITLE).c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

PageWizardUi::PageWizardUi(HWND page) : page_(page) {}

void PageWizardUi::SetWizardButtons(WizardButtons buttons) {
    PropSheet_SetWizButtons(GetParent(page_), ToSheetButtons(buttons));
}

void PageWizardUi::ShowErrorMessage(StringId text) { ShowWizardError(text); }

void PageWizardUi::BeginWaitCursor() { previousCursor_ = SetCursor(LoadCursor(nullptr, IDC_WAIT)); }

void PageWizardUi::EndWaitCursor() { SetCursor(previousCursor_); }

}  // namespace ravelinwiz
