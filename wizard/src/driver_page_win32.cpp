#include "apn_source_win32.h"
#include "driver_install.h"
#include "pages_win32.h"
#include "ravelin_app_win32.h"
#include "resource_ids.h"
#include "text_win32.h"

namespace {

// The text with `value` in place of its first "%s".
std::wstring FillIn(const std::wstring& pattern, const std::wstring& value) {
    const size_t mark = pattern.find(L"%s");
    if (mark == std::wstring::npos) {
        return pattern;
    }
    std::wstring text = pattern;
    text.replace(mark, 2, value);
    return text;
}

std::wstring Joined(const std::vector<std::string>& apns) {
    std::wstring text;
    for (const std::string& apn : apns) {
        text += (text.empty() ? L"" : L", ") + ravelin::win32::FromUtf8(apn);
    }
    return text;
}

}  // namespace

CRavelinPropertyPage3::CRavelinPropertyPage3(CRavelinWizApp& app)
    : CRavelinPropertyPage(IDD_PAGE3, IDS_PAGE3_CAPTION), app_(app) {}

BOOL CRavelinPropertyPage3::OnInitDialog() {
    SetBanner(IDC_BANNER3, IDB_BANNER3);
    SetHeading(IDC_DRIVER_HEADING, IDS_DRIVER_HEADING);
    SetBody(IDC_DRIVER_TEXT, IDS_DRIVER_TEXT);
    SetBody(IDC_APN_LABEL, IDS_APN_LABEL);
    SetBody(IDC_APN_SOURCE, IDS_APN_SUGGESTED);
    CreateToolTip();
    AddToolTip(IDC_APN_EDIT, IDS_APN_LABEL);
    return TRUE;
}

// The port list is filled on every visit, not only when the page is first
// built: after going back and detecting again it must show the port found last.
void CRavelinPropertyPage3::OnSetActive() {
    ShowDetectedPort();
    OfferSuggestions();
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
}

// Asks the SIM once per visit, and only while the APN field is empty: an APN
// the user typed or kept is never replaced. Without a suggestion the page is
// left exactly as it was.
void CRavelinPropertyPage3::OfferSuggestions() {
    const std::string apnText = ravelin::win32::ToUtf8(ravelinwiz::ControlText(Window(), IDC_APN_EDIT));
    if (!apnText.empty()) {
        return;
    }
    offered_ = ravelinwiz::SuggestionsForEmptyApn(apnText, app_.apnTable ? &*app_.apnTable : nullptr, app_.simReader);
    if (offered_.size() == 1) {
        UseSuggestion(offered_.front());
    } else if (offered_.size() > 1) {
        OfferOperators();
    }
}

// Several operators share the SIM's network: the user picks one from the list,
// which then fills the APN field; nothing is filled before.
void CRavelinPropertyPage3::OfferOperators() {
    HWND list = GetDlgItem(Window(), IDC_OPERATOR_LIST);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const ravelinwiz::ApnSuggestion& suggestion : offered_) {
        SendMessageW(list, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(ravelin::win32::FromUtf8(suggestion.operatorName).c_str()));
    }
    ShowWindow(list, SW_SHOW);
    ShowSourceLine(ravelinwiz::LoadResString(IDS_APN_CHOOSE_OPERATOR));
}

void CRavelinPropertyPage3::UseSuggestion(const ravelinwiz::ApnSuggestion& suggestion) {
    app_.keptApn = suggestion;
    SetDlgItemTextW(Window(), IDC_APN_EDIT, ravelin::win32::FromUtf8(suggestion.setting.apn).c_str());
    std::wstring tip = ravelinwiz::LoadResString(IDS_APN_LABEL);
    if (!suggestion.otherApns.empty()) {
        tip += L"\n" + FillIn(ravelinwiz::LoadResString(IDS_APN_OTHER_APNS), Joined(suggestion.otherApns));
    }
    SetToolTipText(IDC_APN_EDIT, tip);
    ShowSourceLine(
        FillIn(ravelinwiz::LoadResString(IDS_APN_SUGGESTED), ravelin::win32::FromUtf8(suggestion.operatorName)));
}

void CRavelinPropertyPage3::ShowSourceLine(const std::wstring& text) {
    HWND line = GetDlgItem(Window(), IDC_APN_SOURCE);
    SetWindowTextW(line, text.c_str());
    ShowWindow(line, SW_SHOW);
}

void CRavelinPropertyPage3::OnCommand(int control, int code) {
    if (control != IDC_OPERATOR_LIST || code != CBN_SELCHANGE) {
        return;
    }
    const LRESULT selected = SendDlgItemMessageW(Window(), IDC_OPERATOR_LIST, CB_GETCURSEL, 0, 0);
    if (selected >= 0 && static_cast<size_t>(selected) < offered_.size()) {
        UseSuggestion(offered_[selected]);
    }
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
    const LRESULT copied = SendMessageW(list, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == CB_ERR ? 0 : copied);
    return ravelinwiz::ToAnsi(text);
}

bool CRavelinPropertyPage3::OnWizardNext() {
    const std::wstring apnText = ravelinwiz::ControlText(Window(), IDC_APN_EDIT);
    const std::string apn = ravelinwiz::ToAnsi(apnText);
    ravelinwiz::PageWizardUi ui(Window());
    const bool goOn =
        ravelinwiz::RunDriverInstallation(app_.results.model, {SelectedPort(), apn}, ui, app_.system, app_.starter)
            .goOn;
    if (goOn) {
        app_.installedApn = ravelin::win32::ToUtf8(apnText);
    }
    return goOn;
}
