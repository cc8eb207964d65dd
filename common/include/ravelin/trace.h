#pragma once
// The suite's trace for support: off unless the environment variable
// RAVELIN_TRACE names a file or, on Windows, the string value "Trace" under
// HKEY_CURRENT_USER\Software\Tavo\RavelinWiz does. When on, every library and the
// wizard append to that one file, a whole line per call:
//   2026-12-09 14:03:07.412 [pid 4120 tid 4188] Serlox COM3 > ATZ\r
// Control characters are written escaped, so each event stays on its own line.
// A file that cannot be opened turns the trace off; no call here ever fails an
// operation, throws or changes the caller's last system error.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace ravelin::trace {

// True when tracing is on in this process. Decided once, on the first call;
// cheap afterwards. Callers test it before composing what they would write.
bool On();

// Appends one line: time, process and thread, `component` and `text`.
void Write(std::string_view component, std::string_view text);

// The calling thread's last system error (GetLastError or errno) with the
// system's text for it, e.g. "error 2: The system cannot find the file specified.".
std::string LastSystemError();

// Writes the parts (texts and numbers) joined into one line, composing it only
// when the trace is on; never throws.
template <typename... Parts>
void Event(std::string_view component, const Parts&... parts) noexcept;

// A part of the suite as its trace lines name it: Component trace{"Porvesk"};
// trace("COM", 3, ": no handset") writes an Event for it.
class Component {
public:
    constexpr explicit Component(const char* name) : name_(name) {}

    template <typename... Parts>
    void operator()(const Parts&... parts) const noexcept {
        Event(name_, parts...);
    }

private:
    const char* name_;
};

// At most `limit` bytes of `bytes`, with a note of the full size when cut.
std::string Excerpt(std::string_view bytes, size_t limit = 256);

template <typename Part>
void AppendPart(std::string& text, const Part& part) {
    if constexpr (std::is_integral_v<Part> || std::is_enum_v<Part>) {
        text += std::to_string(static_cast<long long>(part));
    } else {
        text.append(std::string_view(part));
    }
}

template <typename... Parts>
void Event(std::string_view component, const Parts&... parts) noexcept {
    if (!On()) return;
    try {
        std::string text;
        (AppendPart(text, parts), ...);
        Write(component, text);
    } catch (...) {
        // Out of memory: the line is dropped.
    }
}

}  // namespace ravelin::trace
