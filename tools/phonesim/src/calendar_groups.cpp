// The calendar-group commands AT$QKCGR and AT$QKCGW, and the control request that
// inspects a group.
#include "calendar_groups.h"

#include <optional>

#include "family_support.h"
#include "file_system.h"

namespace phonesim {
namespace {

constexpr uint32_t kGroupCount = 10;
constexpr size_t kMaxNameBytes = 32;
constexpr uint32_t kMaxColour = 0xFFFFFF;
constexpr uint32_t kToneArea = 0;  // phone memory
constexpr std::string_view kTestForm = "=?";

// Error numbers of the $QKVCALERR line.
constexpr uint32_t kIdOutOfRange = 1;
constexpr uint32_t kNameTooLong = 2;
constexpr uint32_t kColourOutOfRange = 3;
constexpr uint32_t kNoToneFile = 4;

std::string CalendarErrorLine(uint32_t number) { return InfoLine("$QKVCALERR: " + std::to_string(number)); }

CalendarGroup* FindGroup(CalendarGroups& groups, uint32_t id) {
    if (id < groups.first || id - groups.first >= groups.slots.size()) return nullptr;
    return &groups.slots[id - groups.first];
}

std::string GroupFields(uint32_t id, const CalendarGroup& group, std::string (*text)(std::string_view)) {
    return std::to_string(id) + "," + std::to_string(group.colour) + ",\"" + text(group.name) + "\",\"" +
           text(group.tone) + "\"";
}

std::string Plain(std::string_view text) { return std::string(text); }

Answer ReadGroup(CommandContext& context, std::string_view arguments) {
    CalendarGroups& groups = context.state.stores.calendar;
    if (arguments == kTestForm) {
        uint32_t last = groups.first + static_cast<uint32_t>(groups.slots.size()) - 1;
        return FamilyAnswer(InfoLine("$QKCGR: (" + std::to_string(groups.first) + "-" + std::to_string(last) + ")"));
    }
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !parameters->Fits("n")) return ErrorLine();
    const CalendarGroup* group = FindGroup(groups, parameters->Number(0));
    if (group == nullptr) return CalendarErrorLine(kIdOutOfRange);
    return FamilyAnswer(InfoLine("$QKCGR: " + GroupFields(parameters->Number(0), *group, AnswerHex)));
}

Answer WriteGroup(CommandContext& context, std::string_view arguments) {
    std::optional<Parameters> parameters = Parameters::Parse(arguments);
    if (!parameters || !(parameters->Fits("nnt") || parameters->Fits("nntt"))) return ErrorLine();
    bool withTone = parameters->Count() == 4;
    CalendarGroup* group = FindGroup(context.state.stores.calendar, parameters->Number(0));
    if (group == nullptr) return CalendarErrorLine(kIdOutOfRange);
    if (parameters->Text(2).size() > kMaxNameBytes) return CalendarErrorLine(kNameTooLong);
    if (parameters->Number(1) > kMaxColour) return CalendarErrorLine(kColourOutOfRange);
    if (withTone && !parameters->Text(3).empty() &&
        !HasFile(context.state.stores.files, kToneArea, parameters->Text(3))) {
        return CalendarErrorLine(kNoToneFile);
    }
    group->name = parameters->Text(2);
    group->colour = parameters->Number(1);
    if (withTone) group->tone = parameters->Text(3);
    return OkLine();
}

ControlResult GetControl(PhoneState& state, const std::vector<std::string>& words) {
    uint32_t id = 0;
    const CalendarGroup* group = nullptr;
    if (words.size() == 1 && ParseNumberWord(words[0], id)) group = FindGroup(state.stores.calendar, id);
    if (group == nullptr) return ControlError("no calendar group " + (words.empty() ? std::string() : words[0]));
    return ControlResult{{GroupFields(id, *group, Plain)}, std::nullopt};
}

}  // namespace

CalendarGroups DefaultCalendarGroups() {
    CalendarGroups groups;
    groups.slots.resize(kGroupCount);
    groups.slots[0] = CalendarGroup{"Work", 16711680, "/Sounds/Ring1.mid"};
    groups.slots[1] = CalendarGroup{"Personal", 255, ""};
    groups.slots[2] = CalendarGroup{"Birthdays", 65280, ""};
    return groups;
}

void AddCalendarCommands(CommandTable& table) {
    AddFamilyCommand(table, "AT$QKCGR", CalendarErrorLine, ReadGroup);
    AddFamilyCommand(table, "AT$QKCGW", CalendarErrorLine, WriteGroup);
    table.AddControl("cal-get", GetControl);
}

}  // namespace phonesim
