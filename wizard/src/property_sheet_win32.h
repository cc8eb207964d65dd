#pragma once
#include "pages_win32.h"

class CRavelinWizApp;

// The wizard: five pages in a modal property sheet in wizard mode.
class CRavelinPropertySheet {
public:
    explicit CRavelinPropertySheet(CRavelinWizApp& app);
    CRavelinPropertySheet(const CRavelinPropertySheet&) = delete;
    CRavelinPropertySheet& operator=(const CRavelinPropertySheet&) = delete;

    // Runs the sheet until Finish or Cancel; -1 when it could not be built.
    INT_PTR DoModal();

private:
    CRavelinPropertyPage1 page1_;
    CRavelinPropertyPage2 page2_;
    CRavelinPropertyPage3 page3_;
    CRavelinPropertyPage4 page4_;
    CRavelinPropertyPage5 page5_;
};
