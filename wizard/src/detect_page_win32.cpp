#include "pages_win32.h"
#include "phone_detection.h"
#include "ravelin_app_win32.h"
#include "resource_ids.h"

CRavelinPropertyPage2::CRavelinPropertyPage2(CRavelinWizApp& app)
    : CRavelinPropertyPage(IDD_PAGE2, IDS_PAGE2_CAPTION), app_(app) {}

BOOL CRavelinPropertyPage2::OnInitDialog() {
    SetBanner(IDC_BANNER2, IDB_BANNER2);
    SetHeading(IDC_DETECT_HEADING, IDS_DETECT_HEADING);
    SetBody(IDC_DETECT_TEXT, IDS_DETECT_TEXT);
    CreateToolTip();
    RelayMouseMoves();
    return TRUE;
}

void CRavelinPropertyPage2::OnSetActive() { SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT); }

bool CRavelinPropertyPage2::OnWizardNext() {
    ravelinwiz::PageWizardUi ui(Window());
    return ravelinwiz::RunPhoneDetection(app_.detectorService, app_.sleeper, ui, app_.results);
}
