#include "apn_source_win32.h"
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
    {IDC_CONNECTION_NAME_LABEL, IDC_CONNECTION_NAME_EDIT, IDS_CONNECTION_NAME_LABEL, ravelinwiz::kConnectionNameLimit},
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

void CRavelinPropertyPage4::OnSetActive() {
    PrefillCredentials();
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
}

// Empty user name and password fields take those of the operator whose APN the
// driver page installed; what the user typed stays.
void CRavelinPropertyPage4::PrefillCredentials() {
    const ravelinwiz::Credentials typed{ravelin::win32::ToUtf8(ravelinwiz::ControlText(Window(), IDC_USER_NAME_EDIT)),
                                        ravelin::win32::ToUtf8(ravelinwiz::ControlText(Window(), IDC_PASSWORD_EDIT))};
    const ravelinwiz::Credentials filled = ravelinwiz::PrefilledCredentials(app_.keptApn, app_.installedApn, typed);
    if (filled.userName != typed.userName) {
        SetDlgItemTextW(Window(), IDC_USER_NAME_EDIT, ravelin::win32::FromUtf8(filled.userName).c_str());
    }
    if (filled.password != typed.password) {
        SetDlgItemTextW(Window(), IDC_PASSWORD_EDIT, ravelin::win32::FromUtf8(filled.password).c_str());
    }
}

bool CRavelinPropertyPage4::OnWizardNext() {
    auto field = [this](int control) { return ravelinwiz::ToUtf16(ravelinwiz::ControlText(Window(), control)); };
    const ravelinwiz::DialUpFields fields{field(IDC_CONNECTION_NAME_EDIT), field(IDC_DIAL_NUMBER_EDIT),
                                          field(IDC_USER_NAME_EDIT), field(IDC_PASSWORD_EDIT)};
    ravelinwiz::PageWizardUi ui(Window());
    ravelinwiz::EntryWriter writer(app_.system, app_.phonebook, app_.profile);
    return ravelinwiz::RunDialUpStep(app_.results.model, fields, ui, writer).goOn;
}
