#include <new>

#include "library_objects.h"
#include "porvesk/mc_data_cache.h"
#include "porvesk/porvesk.h"

namespace {

CConDetect* g_detector = nullptr;
CMCDataCache* g_cache = nullptr;

}  // namespace

namespace porvesk {

bool CreateLibraryObjects() {
    try {
        g_detector = new CConDetect();
        g_cache = new CMCDataCache(*g_detector);
    } catch (...) {
        DestroyLibraryObjects();
        return false;
    }
    return true;
}

void DestroyLibraryObjects() {
    // The detector thread may be in a connection handler that uses the cache:
    // it ends before anything it can reach is destroyed.
    if (g_detector != nullptr) g_detector->StopDetect();
    delete g_cache;
    g_cache = nullptr;
    delete g_detector;
    g_detector = nullptr;
}

void SaveLastPortAtProcessExit() {
    if (g_detector != nullptr) g_detector->WriteCurPortToRegistry();
}

}  // namespace porvesk

extern "C" CConDetect* ConDetectGetObj() { return g_detector; }

extern "C" CMCDataCache* MCDataCacheGetObj() { return g_cache; }
