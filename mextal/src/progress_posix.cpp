#include "progress.h"

// Without a window system there is no window to tell; callers that want
// progress natively hand their own sender to the handset object.
void SendProgressMessage(HandsetWindow, uint32_t, uint32_t) {}
