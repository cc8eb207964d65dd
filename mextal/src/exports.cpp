#include "mextal/mextal.h"
