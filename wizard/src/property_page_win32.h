#pragma once
#include <ravelin/win32.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "language_font.h"

// One page of the wizard on a dialog template. The dialog procedure finds the
// object through the window's user data and turns the sheet's notifications
// into the virtual handlers below. The page also keeps what all pages share:
// the language fonts, the heading and body colours, the banner and the balloon
// tool-tips.
class CRavelinPropertyPage {
public:
    CRavelinPropertyPage(UINT templateId, UINT captionId);
    virtual ~CRavelinPropertyPage();
    CRavelinPropertyPage(const CRavelinPropertyPage&) = delete;
    CRavelinPropertyPage& operator=(const CRavelinPropertyPage&) = delete;

    HPROPSHEETPAGE CreatePage();

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnSetActive() {}
    // False keeps the wizard on this page.
    virtual bool OnWizardNext() { return true; }
    // False keeps the wizard open.
    virtual bool OnWizardFinish() { return true; }
    // A control's notification (WM_COMMAND): its id and notification code.
    virtual void OnCommand(int /*control*/, int /*code*/) {}

    HWND Window() const { return window_; }
    void SetWizardButtons(DWORD sheetButtons);

    void SetBanner(int control, UINT bitmapId);
    // Language font at its size, bold, grey.
    void SetHeading(int control, UINT stringId);
    // Language font one size smaller, regular, in the button-shadow colour.
    void SetBody(int control, UINT stringId);
    void SetText(int control, UINT stringId);
    // The balloon tool-tip control of the page.
    void CreateToolTip();
    void AddToolTip(int control, UINT stringId);
    // Replaces the tip text of a control added with AddToolTip.
    void SetToolTipText(int control, const std::wstring& text);
    // Hands the page's own mouse moves to the tool-tip control.
    void RelayMouseMoves() { relayMouseMoves_ = true; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);
    INT_PTR OnCtlColorStatic(HDC dc, HWND control);
    void RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam);
    HFONT CreateLanguageFont(int pointSize, int weight);
    void ReleaseResources();

    UINT templateId_;
    UINT captionId_;
    ravelinwiz::LanguageFont languageFont_;
    HWND window_ = nullptr;
    HWND toolTip_ = nullptr;
    HFONT headingFont_ = nullptr;
    HFONT bodyFont_ = nullptr;
    HBITMAP banner_ = nullptr;
    std::vector<HWND> headings_;
    std::vector<HWND> bodies_;
    bool relayMouseMoves_ = false;
};
