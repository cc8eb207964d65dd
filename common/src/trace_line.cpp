#include "trace_line.h"

#include <cstdio>

namespace ravelin::trace {

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string FormatLine(const Stamp& stamp, std::string_view component, std::string_view text) {
    char head[96];
    std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d.%03d [pid %u tid %u] ", stamp.year, stamp.month,
                  stamp.day, stamp.hour, stamp.minute, stamp.second, stamp.millisecond, stamp.process, stamp.thread);
    std::string line(head);
    line.append(component);
    line += ' ';
    line += EscapeControls(text);
    line += '\n';
    return line;
}

}  // namespace ravelin::trace
