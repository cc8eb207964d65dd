#include "ravelin_app_win32.h"

#include <porvesk/porvesk.h>

#include "property_sheet_win32.h"

CRavelinWizApp::CRavelinWizApp()
    : detector(ConDetectGetObj()),
      detectorService(detector),
      apnTable(ravelinwiz::LoadEmbeddedApnTable()),
      simReader(detector) {}

void CRavelinWizApp::Run() {
    CRavelinPropertySheet sheet(*this);
    sheet.DoModal();
}
