#include "apn_choice.h"

#include <algorithm>
#include <cctype>

namespace ravelinwiz {
namespace {

// The MNC is three digits where the table knows the network by three digits,
// otherwise two.
std::string NetworkCode(const ApnTable& table, const SimOperator& sim) {
    if (sim.mncDigits.size() >= 3 && table.HasNetwork(sim.mcc, sim.mncDigits.substr(0, 3))) {
        return sim.mncDigits.substr(0, 3);
    }
    return sim.mncDigits.substr(0, 2);
}

std::string Folded(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t");
    std::string folded = text.substr(first, last - first + 1);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

using Operators = std::vector<const MobileOperator*>;

Operators NamedLike(const Operators& operators, const std::string& spn, bool partly) {
    Operators named;
    for (const MobileOperator* entry : operators) {
        const std::string name = Folded(entry->name);
        const bool equal = name == spn;
        const bool contained = name.find(spn) != std::string::npos || spn.find(name) != std::string::npos;
        if (partly ? contained : equal) named.push_back(entry);
    }
    return named;
}

// Of several operators sharing a network id, the ones whose name is the SIM's
// service provider name (exactly, else one containing the other); all of them
// when none matches.
Operators NarrowedBySpn(const Operators& operators, const std::string& rawSpn) {
    const std::string spn = Folded(rawSpn);
    if (operators.size() < 2 || spn.empty()) return operators;
    Operators named = NamedLike(operators, spn, false);
    if (named.empty()) named = NamedLike(operators, spn, true);
    return named.empty() ? operators : named;
}

ApnSuggestion SuggestionOf(const MobileOperator& entry) {
    ApnSuggestion suggestion{entry.name, entry.apns.front(), {}};
    for (size_t i = 1; i < entry.apns.size(); ++i) suggestion.otherApns.push_back(entry.apns[i].apn);
    return suggestion;
}

// The database lists some operators twice on one network; the user is offered
// each name with its APN once.
bool ListedAlready(const std::vector<ApnSuggestion>& suggestions, const MobileOperator& entry) {
    return std::any_of(suggestions.begin(), suggestions.end(), [&entry](const ApnSuggestion& listed) {
        return listed.operatorName == entry.name && listed.setting.apn == entry.apns.front().apn;
    });
}

}  // namespace

std::vector<ApnSuggestion> SuggestApns(const ApnTable& table, const SimOperator& sim) {
    std::vector<ApnSuggestion> suggestions;
    if (sim.mncDigits.size() < 2) return suggestions;
    for (const MobileOperator* entry : NarrowedBySpn(table.OperatorsOn(sim.mcc, NetworkCode(table, sim)), sim.spn)) {
        if (entry->apns.empty() || ListedAlready(suggestions, *entry)) continue;
        suggestions.push_back(SuggestionOf(*entry));
    }
    return suggestions;
}

std::vector<ApnSuggestion> SuggestionsForEmptyApn(const std::string& apnText, const ApnTable* table,
                                                  SimOperatorReader& reader) {
    SimOperator sim;
    if (!apnText.empty() || table == nullptr || !reader.Read(sim)) return {};
    return SuggestApns(*table, sim);
}

Credentials PrefilledCredentials(const std::optional<ApnSuggestion>& kept, const std::string& installedApn,
                                 const Credentials& typed) {
    Credentials filled = typed;
    if (!kept || kept->setting.apn != installedApn) return filled;
    if (filled.userName.empty()) filled.userName = kept->setting.userName;
    if (filled.password.empty()) filled.password = kept->setting.password;
    return filled;
}

}  // namespace ravelinwiz
