#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ravelinwiz {

// One internet access point of an operator, texts in UTF-8.
struct ApnSetting {
    std::string apn;
    std::string userName;
    std::string password;
};

struct MobileOperator {
    std::string name;
    std::vector<ApnSetting> apns;  // internet APNs, the operator's preferred one first
};

struct NetworkId {
    uint16_t mcc;
    uint16_t mnc;
    uint8_t mncDigits;  // 2 or 3: "01" and "001" are different networks
    uint16_t operatorIndex;
};

// The operator table built from the operator database and embedded in the
// program. Parse treats the bytes as untrusted input: a truncated or
// inconsistent table gives no table at all.
class ApnTable {
public:
    ApnTable(std::vector<MobileOperator> operators, std::vector<NetworkId> networks);

    static std::optional<ApnTable> Parse(const uint8_t* bytes, size_t size);

    // Operators registered on the network whose MCC and MNC are given as
    // digit strings (the MNC with its 2 or 3 digits), in table order.
    std::vector<const MobileOperator*> OperatorsOn(const std::string& mcc, const std::string& mnc) const;

    // Whether the table knows the network (MNC compared with its digit count).
    bool HasNetwork(const std::string& mcc, const std::string& mnc) const;

    size_t OperatorCount() const { return operators_.size(); }
    size_t NetworkCount() const { return networks_.size(); }

private:
    std::vector<MobileOperator> operators_;
    std::vector<NetworkId> networks_;
};

}  // namespace ravelinwiz
