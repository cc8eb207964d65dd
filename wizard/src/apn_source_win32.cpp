#include "apn_source_win32.h"

#include <porvesk/porvesk.h>

#include "resource_ids.h"
#include "text_win32.h"

namespace ravelinwiz {

PorveskSimReader::PorveskSimReader(CConDetect* detector) : detector_(detector) {}

bool PorveskSimReader::Read(SimOperator& sim) {
    ConDetectSimOperator read;
    if (detector_ == nullptr || detector_->QuerySimOperator(read) != CONDETECT_OK) return false;
    sim = SimOperator{read.mcc, read.mnc, read.spn};
    return true;
}

std::optional<ApnTable> LoadEmbeddedApnTable() {
    HRSRC info = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(IDR_APN_TABLE), RT_RCDATA);
    if (info == nullptr) return std::nullopt;
    HGLOBAL loaded = LoadResource(ModuleInstance(), info);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return std::nullopt;
    return ApnTable::Parse(static_cast<const uint8_t*>(bytes), SizeofResource(ModuleInstance(), info));
}

}  // namespace ravelinwiz
