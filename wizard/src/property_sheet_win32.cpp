#include "property_sheet_win32.h"

#include "resource_ids.h"
#include "text_win32.h"

CRavelinPropertySheet::CRavelinPropertySheet(CRavelinWizApp& app)
    : page2_(app), page3_(app), page4_(app), page5_(app) {}

INT_PTR CRavelinPropertySheet::DoModal() {
    CRavelinPropertyPage* pages[] = {&page1_, &page2_, &page3_, &page4_, &page5_};
    HPROPSHEETPAGE handles[5] = {};
    for (size_t i = 0; i < 5; ++i) {
        handles[i] = pages[i]->CreatePage();
        if (handles[i] == nullptr) {
            // Pages not yet handed to a sheet are ours to destroy.
            while (i > 0) {
                DestroyPropertySheetPage(handles[--i]);
            }
            return -1;
        }
    }

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD | PSH_NOCONTEXTHELP;
    header.hwndParent = nullptr;
    header.hInstance = ravelinwiz::ModuleInstance();
    header.pszCaption = MAKEINTRESOURCEW(IDS_APP_TITLE);
    header.nPages = 5;
    header.nStartPage = 0;
    header.phpage = handles;
    return PropertySheetW(&header);
}
