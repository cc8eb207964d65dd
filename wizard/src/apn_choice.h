#pragma once
#include <optional>
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

// Reads what the connected handset's SIM says about its operator; false when
// nothing came (no handset, no SIM, a SIM waiting for its PIN, a refusal).
class SimOperatorReader {
public:
    virtual ~SimOperatorReader() = default;
    virtual bool Read(SimOperator& sim) = 0;
};

// The driver page on activation: asks the SIM once, and only when the APN
// field is empty and an operator table is at hand.
std::vector<ApnSuggestion> SuggestionsForEmptyApn(const std::string& apnText, const ApnTable* table,
                                                  SimOperatorReader& reader);

struct Credentials {
    std::string userName;
    std::string password;
};

// The dial-up page: each empty field takes the value of the suggestion the
// user kept, when the APN given to the installer is still that suggestion's.
Credentials PrefilledCredentials(const std::optional<ApnSuggestion>& kept, const std::string& installedApn,
                                 const Credentials& typed);

}  // namespace ravelinwiz
