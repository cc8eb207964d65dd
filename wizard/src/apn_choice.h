#pragma once
#include <string>
#include <vector>

#include "apn_table.h"

namespace ravelinwiz {

// What the SIM says about its operator.
struct SimOperator {
    std::string mcc;        // the IMSI's first three digits
    std::string mncDigits;  // the two or three digits after them; the table tells how many belong to the MNC
    std::string spn;        // service provider name, may be empty
};

struct ApnSuggestion {
    std::string operatorName;
    ApnSetting setting;                  // the operator's first internet APN
    std::vector<std::string> otherApns;  // its further internet APNs, for the tool-tip
};

// The operators to suggest for a SIM: none when the network is unknown or its
// operator has no internet APN; one when the network id (narrowed by the
// service provider name where several operators share it) names one; several
// when the user has to choose.
std::vector<ApnSuggestion> SuggestApns(const ApnTable& table, const SimOperator& sim);

}  // namespace ravelinwiz
