#include "dialup_step.h"

#include "model_table.h"
#include "wizard_trace.h"

namespace ravelinwiz {

namespace {

// The model table's names are plain ASCII.
std::u16string FromAscii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// An empty required field: the user fixes it and presses Next again.
DialUpOutcome RejectField(WizardUi& ui, StringId message) {
    ui.ShowErrorMessage(message);
    ui.SetWizardButtons(kButtonBack | kButtonNext);
    return {};
}

}  // namespace

DialUpOutcome RunDialUpStep(const std::string& detectedModel, const DialUpFields& fields, WizardUi& ui,
                            EntryWriter& writer) {
    ui.SetWizardButtons(kButtonsNone);
    const std::u16string deviceName = FromAscii(LookupModemDriver(detectedModel).friendlyName);

    if (fields.connectionName.empty()) {
        return RejectField(ui, kStrConnectionNameEmpty);
    }
    if (fields.dialNumber.empty()) {
        return RejectField(ui, kStrDialNumberEmpty);
    }

    writer.Delete(fields.connectionName);  // nothing to delete is not an error
    const WriteOutcome written =
        writer.Write({fields.connectionName, fields.dialNumber, deviceName, fields.userName, fields.password});
    if (!written.ok) {
        TraceWizard("dial-up entry not written: ", written.failureText);
        ui.SetWizardButtons(kButtonBack);
        return {false, written.failureText};
    }
    ui.SetWizardButtons(kButtonNext);
    return {true, ""};
}

}  // namespace ravelinwiz
