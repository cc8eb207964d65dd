#include "dialup_step.h"

#include "model_table.h"

namespace ravelinwiz {

namespace {

// An empty required field: the user fixes it and presses Next again.
DialUpOutcome RejectField(IWizardUi& ui, StringId message) {
    ui.ShowErrorMessage(message);
    ui.SetWizardButtons(kButtonBack | kButtonNext);
    return {};
}

}  // namespace

DialUpOutcome RunDialUpStep(const std::string& detectedModel, const DialUpFields& fields,
                            IWizardUi& ui, EntryWriter& writer) {
    ui.SetWizardButtons(kButtonsNone);
    const std::string deviceName = LookupModemDriver(detectedModel).friendlyName;

    if (fields.connectionName.empty()) {
        return RejectField(ui, kStrConnectionNameEmpty);
    }
    if (fields.dialNumber.empty()) {
        return RejectField(ui, kStrDialNumberEmpty);
    }

    writer.Delete(fields.connectionName);  // nothing to delete is not an error
    const WriteOutcome written = writer.Write({fields.connectionName, fields.dialNumber, deviceName,
                                               fields.userName, fields.password});
    if (!written.ok) {
        ui.SetWizardButtons(kButtonBack);
        return {false, written.failureText};
    }
    ui.SetWizardButtons(kButtonNext);
    return {true, ""};
}

}  // namespace ravelinwiz
