#include "driver_install.h"
#include "pages_win32.h"
#include "ravelin_app_win32.h"
#include "resource_ids.h"
#include "text_win32.h"

CRavelinPropertyPage3::CRavelinPropertyPage3(CRavelinWizApp& app)
    : CRavelinPropertyPage(IDD_PAGE3, IDS_PAGE3_CAPTION), app_(app) {}

BOOL CRavelinPropertyPage3::OnInitDialog() {
    SetBanner(IDC_BANNER3, IDB_BANNER3);
    SetHeading(IDC_DRIVER_HEADING, IDS_DRIVER_HEADING);
    SetBody(IDC_DRIVER_TEXT, IDS_DRIVER_TEXT);
    SetBody(IDC_APN_LABEL, IDS_APN_LABEL);
    CreateToolTip();
    AddToolTip(IDC_APN_EDIT, IDS_APN_LABEL);
    return TRUE;
}

// The port list is filled on every visit, not only when the page is first
// built: after going back and detecting again it must show the port found last.
void CRavelinPropertyPage3::OnSetActive() {
    ShowDetectedPort();
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
}

void CRavelinPropertyPage3::ShowDetectedPort() {
    const std::string& port = app_.results.portText;
    if (port.empty()) {
        return;
    }
    HWND list = GetDlgItem(Window(), IDC_PORT_LIST);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const LRESULT item =
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ravelinwiz::FromAnsi(port).c_str()));
    SendMessageW(list, CB_SETITEMDATA, item, 0);
    SendMessageW(list, CB_SETCURSEL, item, 0);
}

std::string CRavelinPropertyPage3::SelectedPort() const {
    HWND list = GetDlgItem(Window(), IDC_PORT_LIST);
    const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        return {};
    }
    const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR) {
        return {};
    }
    std::wstring text(length + 1, L'\0');
    const LRESULT copied =
        SendMessageW(list, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == CB_ERR ? 0 : copied);
    return ravelinwiz::ToAnsi(text);
}

bool CRavelinPropertyPage3::OnWizardNext() {
    const std::string apn = ravelinwiz::ToAnsi(ravelinwiz::ControlText(Window(), IDC_APN_EDIT));
    ravelinwiz::PageWizardUi ui(Window());
    return ravelinwiz::RunDriverInstallation(app_.results.model, {SelectedPort(), apn}, ui,
                                             app_.system, app_.starter)
        .goOn;
}
