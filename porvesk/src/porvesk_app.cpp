#include "porvesk/porvesk.h"

#include <new>

#include "library_detector.h"

namespace {

CConDetect* g_detector = nullptr;

}  // namespace

namespace porvesk {

bool CreateLibraryDetector() {
    try {
        g_detector = new CConDetect();
    } catch (...) {
        return false;
    }
    return true;
}

void DestroyLibraryDetector() {
    delete g_detector;
    g_detector = nullptr;
}

void SaveLastPortAtProcessExit() {
    if (g_detector != nullptr) g_detector->WriteCurPortToRegistry();
}

}  // namespace porvesk

extern "C" CConDetect* ConDetectGetObj() { return g_detector; }
