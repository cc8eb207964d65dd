#pragma once
// Line settings on a POSIX terminal device.
#include <termios.h>

#include "line_settings.h"

namespace serlox {

// Raw byte transport: no line editing, echo, translation or signals; reads
// never wait (the reader waits with poll); the modem lines do not own the line.
void MakeRaw(termios& line);

// Sets the fields of `line` that stand for `settings`. Settings that a POSIX
// terminal cannot express (DSR flow, continue on XOFF) are left out. False for
// a baud rate without a speed constant.
bool ApplyToTermios(const LineSettings& settings, termios& line);

// What `line` says in terms of LineSettings; DTR is always enabled (it is a
// modem line, raised separately) and RTS follows CRTSCTS.
LineSettings FromTermios(const termios& line);

}  // namespace serlox
