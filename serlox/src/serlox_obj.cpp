#include "serlox/serlox.h"

CSerloxObj::CSerloxObj() = default;
CSerloxObj::~CSerloxObj() = default;
