#include "apn_table.h"

#include <cstring>
#include <utility>

namespace ravelinwiz {
namespace {

constexpr char kMagic[4] = {'R', 'A', 'P', 'N'};
constexpr uint8_t kFormatVersion = 1;

// Reads the table front to back; every read checks the bytes left first.
class ByteReader {
public:
    ByteReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

    bool Skip(const char* expected, size_t length) {
        if (!Has(length) || std::memcmp(bytes_ + offset_, expected, length) != 0) return false;
        offset_ += length;
        return true;
    }
    bool U8(uint8_t& value) {
        if (!Has(1)) return false;
        value = bytes_[offset_++];
        return true;
    }
    bool U16(uint16_t& value) {
        if (!Has(2)) return false;
        value = static_cast<uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
        offset_ += 2;
        return true;
    }
    bool Text(std::string& value) {
        uint8_t length = 0;
        if (!U8(length) || !Has(length)) return false;
        value.assign(reinterpret_cast<const char*>(bytes_ + offset_), length);
        offset_ += length;
        return true;
    }
    bool AtEnd() const { return offset_ == size_; }

private:
    bool Has(size_t count) const { return size_ - offset_ >= count; }

    const uint8_t* bytes_;
    size_t size_;
    size_t offset_ = 0;
};

bool ReadOperator(ByteReader& reader, MobileOperator& entry) {
    uint8_t apnCount = 0;
    if (!reader.Text(entry.name) || !reader.U8(apnCount)) return false;
    entry.apns.resize(apnCount);
    for (ApnSetting& apn : entry.apns) {
        if (!reader.Text(apn.apn) || !reader.Text(apn.userName) || !reader.Text(apn.password)) return false;
    }
    return true;
}

bool ReadNetwork(ByteReader& reader, size_t operatorCount, NetworkId& network) {
    if (!reader.U16(network.mcc) || !reader.U16(network.mnc) || !reader.U8(network.mncDigits) ||
        !reader.U16(network.operatorIndex)) {
        return false;
    }
    const bool validDigits = network.mncDigits == 2 || network.mncDigits == 3;
    return validDigits && network.operatorIndex < operatorCount;
}

// "001" -> 1 with 3 digits; anything but 2 or 3 decimal digits (3 for an MCC) fails.
bool ParseDigits(const std::string& text, size_t minDigits, size_t maxDigits, uint16_t& value) {
    if (text.size() < minDigits || text.size() > maxDigits) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = static_cast<uint16_t>(value * 10 + (c - '0'));
    }
    return true;
}

}  // namespace

ApnTable::ApnTable(std::vector<MobileOperator> operators, std::vector<NetworkId> networks)
    : operators_(std::move(operators)), networks_(std::move(networks)) {}

std::optional<ApnTable> ApnTable::Parse(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr) return std::nullopt;
    ByteReader reader(bytes, size);
    uint8_t version = 0;
    uint16_t operatorCount = 0;
    if (!reader.Skip(kMagic, sizeof kMagic) || !reader.U8(version) || version != kFormatVersion ||
        !reader.U16(operatorCount)) {
        return std::nullopt;
    }
    std::vector<MobileOperator> operators(operatorCount);
    for (MobileOperator& entry : operators) {
        if (!ReadOperator(reader, entry)) return std::nullopt;
    }
    uint16_t networkCount = 0;
    if (!reader.U16(networkCount)) return std::nullopt;
    std::vector<NetworkId> networks(networkCount);
    for (NetworkId& network : networks) {
        if (!ReadNetwork(reader, operators.size(), network)) return std::nullopt;
    }
    if (!reader.AtEnd()) return std::nullopt;
    return ApnTable(std::move(operators), std::move(networks));
}

std::vector<const MobileOperator*> ApnTable::OperatorsOn(const std::string& mcc, const std::string& mnc) const {
    std::vector<const MobileOperator*> found;
    uint16_t mccValue = 0;
    uint16_t mncValue = 0;
    if (!ParseDigits(mcc, 3, 3, mccValue) || !ParseDigits(mnc, 2, 3, mncValue)) return found;
    for (const NetworkId& network : networks_) {
        if (network.mcc == mccValue && network.mnc == mncValue && network.mncDigits == mnc.size() &&
            network.operatorIndex < operators_.size()) {
            found.push_back(&operators_[network.operatorIndex]);
        }
    }
    return found;
}

bool ApnTable::HasNetwork(const std::string& mcc, const std::string& mnc) const {
    return !OperatorsOn(mcc, mnc).empty();
}

}  // namespace ravelinwiz
