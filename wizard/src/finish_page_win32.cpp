#include "pages_win32.h"
#include "ravelin_app_win32.h"
#include "resource_ids.h"
#include "restart_step.h"

CRavelinPropertyPage5::CRavelinPropertyPage5(CRavelinWizApp& app)
    : CRavelinPropertyPage(IDD_PAGE5, IDS_PAGE5_CAPTION), app_(app) {}

BOOL CRavelinPropertyPage5::OnInitDialog() {
    SetBanner(IDC_BANNER5, IDB_BANNER5);
    SetHeading(IDC_FINISH_HEADING, IDS_FINISH_HEADING);
    SetBody(IDC_FINISH_TEXT, IDS_FINISH_TEXT);
    CreateToolTip();
    SetText(IDC_RESTART_NOW, IDS_RESTART_NOW);
    SetText(IDC_RESTART_LATER, IDS_RESTART_LATER);
    CheckRadioButton(Window(), IDC_RESTART_NOW, IDC_RESTART_LATER, IDC_RESTART_NOW);
    return TRUE;
}

// The entry is written by now: there is no way back, only Finish.
void CRavelinPropertyPage5::OnSetActive() { SetWizardButtons(PSWIZB_FINISH); }

bool CRavelinPropertyPage5::OnWizardFinish() {
    const bool restartNow = IsDlgButtonChecked(Window(), IDC_RESTART_NOW) == BST_CHECKED;
    ravelinwiz::RunFinish(restartNow ? ravelinwiz::RestartChoice::kNow : ravelinwiz::RestartChoice::kLater, app_.system,
                          app_.restarter);
    return true;
}
