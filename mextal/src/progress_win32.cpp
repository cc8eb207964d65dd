#include "progress.h"

#include <ravelin/win32.h>

void SendProgressMessage(HandsetWindow window, uint32_t message, uint32_t bytes) {
    SendMessageA(static_cast<HWND>(window), message, static_cast<WPARAM>(bytes), 0);
}
