#pragma once
// The calendar's groups: one slot per id of a fixed range.
#include <cstdint>
#include <string>
#include <vector>

namespace phonesim {

struct CalendarGroup {
    std::string name;     // UTF-8; empty for an unused group
    uint32_t colour = 0;  // 0xRRGGBB
    std::string tone;     // path of a file in phone memory; empty for the standard tone
};

struct CalendarGroups {
    uint32_t first = 1;
    std::vector<CalendarGroup> slots;  // slot i holds id first + i
};

CalendarGroups DefaultCalendarGroups();

}  // namespace phonesim
