#pragma once
#include <ravelin/win32.h>

#include <optional>
#include <string>

#include "apn_choice.h"
#include "apn_table.h"

class CConDetect;

namespace ravelinwiz {

// The SIM of the handset the detection library has connected.
class PorveskSimReader : public SimOperatorReader {
public:
    explicit PorveskSimReader(CConDetect* detector);
    bool Read(SimOperator& sim) override;

private:
    CConDetect* detector_;
};

// The operator table embedded in the program; none when it is missing or damaged.
std::optional<ApnTable> LoadEmbeddedApnTable();

}  // namespace ravelinwiz
