#pragma once
// Transfer progress for the window registered with RegisterUI.
#include <cstdint>

#include "mextal/mextal.h"

// Sends `message` with the piece's byte count synchronously to `window`.
void SendProgressMessage(HandsetWindow window, uint32_t message, uint32_t bytes);
