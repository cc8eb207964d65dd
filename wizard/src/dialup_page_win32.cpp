#include "dialup_step.h"
#include "pages_win32.h"
#include "ravelin_app_win32.h"
#include "resource_ids.h"
#include "text_win32.h"

namespace {

struct DialUpEdit {
    int label;
    int edit;
    UINT text;
    size_t limit;
};

// Each edit takes no more than its record field holds.
constexpr DialUpEdit kDialUpEdits[] = {
    {IDC_CONNECTION_NAME_LABEL, IDC_CONNECTION_NAME_EDIT, IDS_CONNECTION_NAME_LABEL,
     ravelinwiz::kConnectionNameLimit},
    {IDC_DIAL_NUMBER_LABEL, IDC_DIAL_NUMBER_EDIT, IDS_DIAL_NUMBER_LABEL, ravelinwiz::kDialNumberLimit},
    {IDC_USER_NAME_LABEL, IDC_USER_NAME_EDIT, IDS_USER_NAME_LABEL, ravelinwiz::kUserNameLimit},
    {IDC_PASSWORD_LABEL, IDC_PASSWORD_EDIT, IDS_PASSWORD_LABEL, ravelinwiz::kPasswordLimit},
};

constexpr wchar_t kDefaultDialNumber[] = L"*99#";

}  // namespace

CRavelinPropertyPage4::CRavelinPropertyPage4(CRavelinWizApp& app)
    : CRavelinPropertyPage(IDD_PAGE4, IDS_PAGE4_CAPTION), app_(app) {}

BOOL CRavelinPropertyPage4::OnInitDialog() {
    SetBanner(IDC_BANNER4, IDB_BANNER4);
    SetHeading(IDC_DIALUP_HEADING, IDS_DIALUP_HEADING);
    CreateToolTip();
    for (const DialUpEdit& field : kDialUpEdits) {
        SetBody(field.label, field.text);
        AddToolTip(field.edit, field.text);
        SendDlgItemMessageW(Window(), field.edit, EM_LIMITTEXT, field.limit, 0);
    }
    SetDlgItemTextW(Window(), IDC_DIAL_NUMBER_EDIT, kDefaultDialNumber);
    return TRUE;
}

void CRavelinPropertyPage4::OnSetActive() { SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT); }

bool CRavelinPropertyPage4::OnWizardNext() {
    auto field = [this](int control) {
        return ravelinwiz::ToUtf16(ravelinwiz::ControlText(Window(), control));
    };
    const ravelinwiz::DialUpFields fields{field(IDC_CONNECTION_NAME_EDIT), field(IDC_DIAL_NUMBER_EDIT),
                                          field(IDC_USER_NAME_EDIT), field(IDC_PASSWORD_EDIT)};
    ravelinwiz::PageWizardUi ui(Window());
    ravelinwiz::EntryWriter writer(app_.system, app_.phonebook, app_.profile);
    return ravelinwiz::RunDialUpStep(app_.results.model, fields, ui, writer).goOn;
}
