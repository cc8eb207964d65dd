#include "property_page_win32.h"

#include <uxtheme.h>

#include <algorithm>

#include "text_win32.h"

namespace {

constexpr COLORREF kHeadingColour = RGB(150, 150, 150);
constexpr COLORREF kTipTextColour = RGB(100, 100, 100);
constexpr COLORREF kTipBackColour = RGB(231, 231, 231);
constexpr int kTipAutoPopMs = 4500;
constexpr int kWeightBold = 700;
constexpr int kWeightNormal = 400;
constexpr INT_PTR kStayOnPage = -1;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "face names are UTF-16");

template <typename Handle>
void DeleteGdiObject(Handle& handle) {
    if (handle != nullptr) {
        DeleteObject(handle);
        handle = nullptr;
    }
}

// A themed tool-tip draws in the theme's colours and ignores the colour
// messages, so the tips leave the theme first.
void LeaveVisualStyle(HWND window) { SetWindowTheme(window, L"", L""); }

bool Contains(const std::vector<HWND>& windows, HWND window) {
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

}  // namespace

CRavelinPropertyPage::CRavelinPropertyPage(UINT templateId, UINT captionId)
    : templateId_(templateId),
      captionId_(captionId),
      languageFont_(ravelinwiz::ChooseLanguageFont(LANGIDFROMLCID(GetUserDefaultLCID()))) {}

CRavelinPropertyPage::~CRavelinPropertyPage() { ReleaseResources(); }

HPROPSHEETPAGE CRavelinPropertyPage::CreatePage() {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = ravelinwiz::ModuleInstance();
    page.pszTemplate = MAKEINTRESOURCEW(templateId_);
    page.pszTitle = MAKEINTRESOURCEW(captionId_);
    page.pfnDlgProc = DialogProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return CreatePropertySheetPageW(&page);
}

INT_PTR CALLBACK CRavelinPropertyPage::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<CRavelinPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
        page->window_ = window;
        return page->OnInitDialog();
    }
    auto* page = reinterpret_cast<CRavelinPropertyPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (page == nullptr) {
        return FALSE;
    }
    if (message == WM_DESTROY) {
        // No message may reach the object once its window is going away.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        page->ReleaseResources();
        page->window_ = nullptr;
        return FALSE;
    }
    return page->HandleMessage(message, wParam, lParam);
}

INT_PTR CRavelinPropertyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY:
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, OnNotify(*reinterpret_cast<NMHDR*>(lParam)));
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return FALSE;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_MOUSEMOVE:
            RelayToToolTip(message, wParam, lParam);
            return FALSE;
        default:
            return FALSE;
    }
}

LRESULT CRavelinPropertyPage::OnNotify(const NMHDR& header) {
    switch (header.code) {
        case PSN_SETACTIVE:
            OnSetActive();
            return 0;
        case PSN_WIZNEXT:
            return OnWizardNext() ? 0 : kStayOnPage;
        case PSN_WIZFINISH:
            return OnWizardFinish() ? FALSE : TRUE;
        default:
            return 0;
    }
}

INT_PTR CRavelinPropertyPage::OnCtlColorStatic(HDC dc, HWND control) {
    if (Contains(headings_, control)) {
        SetTextColor(dc, kHeadingColour);
    } else if (Contains(bodies_, control)) {
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        return FALSE;
    }
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

void CRavelinPropertyPage::RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!relayMouseMoves_ || toolTip_ == nullptr) {
        return;
    }
    MSG relayed{};
    relayed.hwnd = window_;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = GetMessageTime();
    const DWORD position = GetMessagePos();
    relayed.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    SendMessageW(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void CRavelinPropertyPage::SetWizardButtons(DWORD sheetButtons) {
    PropSheet_SetWizButtons(GetParent(window_), sheetButtons);
}

void CRavelinPropertyPage::SetBanner(int control, UINT bitmapId) {
    if (banner_ == nullptr) {
        banner_ = static_cast<HBITMAP>(
            LoadImageW(ravelinwiz::ModuleInstance(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    }
    SendDlgItemMessageW(window_, control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_));
}

HFONT CRavelinPropertyPage::CreateLanguageFont(int pointSize, int weight) {
    HDC dc = GetDC(window_);
    const int height = -MulDiv(pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window_, dc);
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       reinterpret_cast<const wchar_t*>(languageFont_.faceName));
}

void CRavelinPropertyPage::SetHeading(int control, UINT stringId) {
    if (headingFont_ == nullptr) {
        headingFont_ = CreateLanguageFont(languageFont_.pointSize, kWeightBold);
    }
    SetText(control, stringId);
    HWND item = GetDlgItem(window_, control);
    SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_), TRUE);
    headings_.push_back(item);
}

void CRavelinPropertyPage::SetBody(int control, UINT stringId) {
    if (bodyFont_ == nullptr) {
        bodyFont_ = CreateLanguageFont(languageFont_.pointSize - 1, kWeightNormal);
    }
    SetText(control, stringId);
    HWND item = GetDlgItem(window_, control);
    SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(bodyFont_), TRUE);
    bodies_.push_back(item);
}

void CRavelinPropertyPage::SetText(int control, UINT stringId) {
    SetDlgItemTextW(window_, control, ravelinwiz::LoadResString(stringId).c_str());
}

void CRavelinPropertyPage::CreateToolTip() {
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | TTS_BALLOON, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, ravelinwiz::ModuleInstance(), nullptr);
    if (toolTip_ == nullptr) {
        return;
    }
    LeaveVisualStyle(toolTip_);
    SendMessageW(toolTip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kTipAutoPopMs, 0));
    SendMessageW(toolTip_, TTM_SETTIPTEXTCOLOR, kTipTextColour, 0);
    SendMessageW(toolTip_, TTM_SETTIPBKCOLOR, kTipBackColour, 0);
    SendMessageW(toolTip_, TTM_ACTIVATE, TRUE, 0);
}

void CRavelinPropertyPage::AddToolTip(int control, UINT stringId) {
    if (toolTip_ == nullptr) {
        return;
    }
    std::wstring text = ravelinwiz::LoadResString(stringId);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window_, control));
    tool.lpszText = &text[0];  // the control keeps its own copy
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CRavelinPropertyPage::ReleaseResources() {
    if (toolTip_ != nullptr) {
        DestroyWindow(toolTip_);
        toolTip_ = nullptr;
    }
    headings_.clear();
    bodies_.clear();
    DeleteGdiObject(headingFont_);
    DeleteGdiObject(bodyFont_);
    DeleteGdiObject(banner_);
}

void CRavelinPropertyPage::SetToolTipText(int control, const std::wstring& text) {
    if (toolTip_ == nullptr) {
        return;
    }
    std::wstring copy = text;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window_, control));
    tool.uFlags = TTF_IDISHWND;
    tool.lpszText = &copy[0];  // the control keeps its own copy
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}
