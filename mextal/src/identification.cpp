// Reading the handset's model, IMEI and the SIM's IMSI, and telling the handset
// which flow control to use.
#include <cstring>

#include "answer_codes.h"
#include "family_operations.h"
#include "text_fields.h"

int32_t IdentificationOps::QueryModel(const PortSettings* settings, char* buffer, uint32_t size) {
    return QueryIdentity(settings, AT_CMD_CGMM, AT_RSP_MODEL, buffer, size);
}

int32_t IdentificationOps::QueryImei(const PortSettings* settings, char* buffer, uint32_t size) {
    return QueryIdentity(settings, AT_CMD_CGSN, AT_RSP_IMEI, buffer, size);
}

int32_t IdentificationOps::QueryIdentity(const PortSettings* settings, AtCommandId command, AtCommandId answer,
                                         char* buffer, uint32_t size) {
    int32_t result = StartIdentityQuery(settings, buffer, size);
    if (result == MEXTAL_OK) result = ReadIdentityText(settings, command, answer, buffer, size);
    return result;
}

// Checks the arguments, empties `buffer` and makes the handset ready for a query.
int32_t IdentificationOps::StartIdentityQuery(const PortSettings* settings, char* buffer, uint32_t size) {
    if (settings == nullptr || buffer == nullptr || size == 0 || !engine_.HasParser()) return MEXTAL_BAD_ARGUMENT;
    std::memset(buffer, 0, size);
    int32_t result = engine_.ApplyPortSettings(settings);
    if (result == MEXTAL_OK) result = engine_.Handshake(settings, true);
    return result;
}

int32_t IdentificationOps::DetectHandSetModel(const PortSettings* settings, int32_t attempts, int32_t timeoutMs,
                                              char* model, uint32_t modelSize, char* imei, uint32_t imeiSize) {
    if (settings == nullptr || model == nullptr || modelSize == 0 || imei == nullptr || imeiSize == 0 ||
        !engine_.HasParser()) {
        return MEXTAL_BAD_ARGUMENT;
    }
    std::memset(model, 0, modelSize);
    std::memset(imei, 0, imeiSize);
    int32_t result = engine_.ApplyPortSettings(settings);
    if (result == MEXTAL_OK) result = engine_.ResetHandshake(settings, attempts, timeoutMs);
    if (result == MEXTAL_OK) result = ReadIdentityText(settings, AT_CMD_CGMM, AT_RSP_MODEL, model, modelSize);
    if (result == MEXTAL_OK) result = ReadIdentityText(settings, AT_CMD_CGSN, AT_RSP_IMEI, imei, imeiSize);
    return result;
}

// Sends `command`, takes its information line into `buffer` (cut to fit) and
// reads the final "OK".
int32_t IdentificationOps::ReadIdentityText(const PortSettings* settings, AtCommandId command, AtCommandId answer,
                                            char* buffer, uint32_t size) {
    AtRequest request{};
    request.id = command;
    int32_t result = engine_.SendRequest(settings, request);
    if (result == MEXTAL_OK) result = ReceiveIdentityLine(settings, answer, buffer, size);
    if (result == MEXTAL_OK) result = ReceiveFinalAnswer(settings);
    return result;
}

// Takes the unprefixed information line expected as `answer` into `buffer`.
int32_t IdentificationOps::ReceiveIdentityLine(const PortSettings* settings, AtCommandId answer, char* buffer,
                                               uint32_t size) {
    AtResponse response{};
    response.id = answer;
    int32_t result = engine_.ReceivePlainResponse(settings, &response, engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    if (response.id != answer) return MisplacedAnswerCode(response.id);
    mextal::CopyTerminated(mextal::TextOf(response.data, sizeof response.data), buffer, size);
    return MEXTAL_OK;
}

int32_t IdentificationOps::ReceiveFinalAnswer(const PortSettings* settings) {
    AtResponse response{};
    int32_t result = engine_.ReceiveResponse(settings, &response, engine_.ResponseTimeoutMs());
    return result == MEXTAL_OK ? FinalAnswerCode(response.id) : result;
}

int32_t IdentificationOps::SetMsFlowControl(const PortSettings* settings, int32_t mode) {
    if (settings == nullptr) return MEXTAL_BAD_ARGUMENT;
    int32_t result = engine_.ApplyPortSettings(settings);
    if (result == MEXTAL_OK) result = engine_.Handshake(settings, true);
    if (result != MEXTAL_OK) return result;
    AtRequest request{};
    request.id = AT_CMD_IFC;
    StoreRequestWord(request, kFlowModeWord, mode);
    result = engine_.SendRequest(settings, request);
    if (result != MEXTAL_OK) return result;
    AtResponse response{};
    result = engine_.ReceivePassingOver(settings, &response, AT_RSP_FSERROR, engine_.ResponseTimeoutMs());
    if (result != MEXTAL_OK) return result;
    return FinalAnswerCode(response.id);
}

// "AT+CIMI" has no keyword in the table: the line goes out as it is and its
// unprefixed answer is read through the plain classifier, as the IMEI is.
int32_t IdentificationOps::QueryImsi(const PortSettings* settings, char* buffer, uint32_t size) {
    static constexpr char kImsiCommand[] = "AT+CIMI\r";
    int32_t result = StartIdentityQuery(settings, buffer, size);
    if (result == MEXTAL_OK) result = engine_.SendRaw(settings, kImsiCommand, sizeof kImsiCommand - 1);
    if (result != MEXTAL_OK) return result;
    result = ReceiveIdentityLine(settings, AT_RSP_IMSI, buffer, size);
    if (result != MEXTAL_OK) return EquipmentErrorCode(engine_.LastReceivedLine(), result);
    return ReceiveFinalAnswer(settings);
}
