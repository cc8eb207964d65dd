#include "pages_win32.h"
#include "resource_ids.h"

CRavelinPropertyPage1::CRavelinPropertyPage1() : CRavelinPropertyPage(IDD_PAGE1, IDS_PAGE1_CAPTION) {}

BOOL CRavelinPropertyPage1::OnInitDialog() {
    SetBanner(IDC_BANNER1, IDB_BANNER1);
    SetHeading(IDC_WELCOME_HEADING, IDS_WELCOME_HEADING);
    SetBody(IDC_WELCOME_BODY1, IDS_WELCOME_BODY1);
    SetBody(IDC_WELCOME_BODY2, IDS_WELCOME_BODY2);
    SetBody(IDC_WELCOME_BODY3, IDS_WELCOME_BODY3);
    SetBody(IDC_LEGAL_NOTICE, IDS_LEGAL_NOTICE);
    return TRUE;
}

void CRavelinPropertyPage1::OnSetActive() { SetWizardButtons(PSWIZB_NEXT); }
