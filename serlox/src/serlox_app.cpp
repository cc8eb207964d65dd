#include "serlox/serlox.h"

CSerloxObj::CSerloxObj() = default;
CSerloxObj::~CSerloxObj() = default;

extern "C" CSerloxObj* SerloxGetObj(int) { return nullptr; }
