#include "handset.h"

#include <algorithm>
#include <ctime>
#include <utility>

namespace phonesim {
namespace {

constexpr char kCr = '\r';
constexpr unsigned kGarbageSeed = 5489;
constexpr int kGarbageMinLength = 8;
constexpr int kGarbageMaxLength = 24;
// No capital letter, "$", "+", quote or comma: a garbage line can never hold a
// response keyword or look like a field list, and needs no flow escape.
constexpr std::string_view kGarbageAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789#%&*-./;<=>?@_~";

uint32_t HandsetClock() { return static_cast<uint32_t>(std::time(nullptr)); }

}  // namespace

Handset::Handset(PhoneOptions options, const CommandTable& table)
    : options_(std::move(options)), table_(table), random_(kGarbageSeed) {
    state_.stores = DefaultStores(options_);
}

std::vector<Reply> Handset::Receive(std::string_view wire, TimePoint now) {
    std::vector<Reply> replies;
    size_t at = 0;
    while (at < wire.size() && !cablePulled_) {
        if (upload_) {
            at += TakeUploadBytes(wire.substr(at), now);
            if (upload_->data.size() == upload_->length) replies.push_back(FinishUpload());
            continue;
        }
        char byte = wire[at++];
        std::optional<char> plain = state_.escaping ? unescaper_.Feed(byte) : std::optional<char>(byte);
        if (!plain) continue;
        if (std::optional<CommandLine> line = framer_.Feed(*plain)) {
            replies.push_back(AnswerLine(*line, now));
            if (!state_.escaping) unescaper_.Reset();
        }
    }
    return replies;
}

std::optional<TimePoint> Handset::UploadDeadline() const {
    if (!upload_) return std::nullopt;
    return uploadActiveAt_ + kUploadPause;
}

void Handset::DropUpload() {
    upload_.reset();
    unescaper_.Reset();
}

void Handset::ForgetPartialInput() {
    framer_.Reset();
    unescaper_.Reset();
}

void Handset::Reconnect() {
    ForgetPartialInput();
    upload_.reset();
    state_.connection = Connection();
    if (restarting_) {
        state_.echo = true;
        state_.escaping = false;
        state_.flowMode = 0;
        restarting_ = false;
    }
    cablePulled_ = false;
}

Reply Handset::AnswerLine(const CommandLine& line, TimePoint now) {
    ++state_.commandNumber;
    Log(line.text);
    SplitCommandLine command = SplitCommand(line.text);
    Reply reply;
    if (!IsSilent(command.keyword)) {
        if (state_.echo) reply.echo = Wire(line.text + kCr);
        phonesim::Answer answer = AnswerFor(command, line.overlong);
        bool stalled = options_.stall.count(command.keyword) > 0;
        std::optional<Upload> upload = std::move(answer.upload);
        Shape(std::move(answer), stalled, reply);
        if (upload) {
            StartUpload(command.keyword, std::move(*upload), stalled, now);
            if (upload_->length == 0) reply.answer += FinishUpload().answer;
        }
    }
    if (HangupDue()) {
        reply.hangUp = true;
        cablePulled_ = true;
        hungUpOnce_ = true;
    }
    return reply;
}

phonesim::Answer Handset::AnswerFor(const SplitCommandLine& command, bool overlong) {
    if (overlong || IsRefused(command.keyword)) return ErrorLine();
    const CommandHandler* handler = table_.Find(command.keyword);
    if (!handler) return ErrorLine();
    CommandContext context = Context(command.keyword);
    return (*handler)(context, command.arguments);
}

// The go-ahead is due after the answer delay; the pause counts from then.
void Handset::StartUpload(const std::string& keyword, Upload upload, bool stalled, TimePoint now) {
    upload_ = PendingUpload{keyword, upload.length, std::string(), std::move(upload.complete), stalled};
    uploadActiveAt_ = now + std::chrono::milliseconds(options_.delayMs);
}

size_t Handset::TakeUploadBytes(std::string_view wire, TimePoint now) {
    uploadActiveAt_ = std::max(uploadActiveAt_, now);
    std::string& data = upload_->data;
    if (!state_.escaping) {
        size_t taken = std::min<size_t>(upload_->length - data.size(), wire.size());
        data.append(wire.substr(0, taken));
        return taken;
    }
    size_t used = 0;
    while (used < wire.size() && data.size() < upload_->length) {
        if (std::optional<char> plain = unescaper_.Feed(wire[used++])) data += *plain;
    }
    return used;
}

Reply Handset::FinishUpload() {
    PendingUpload done = std::move(*upload_);
    upload_.reset();
    CommandContext context = Context(done.keyword);
    phonesim::Answer answer = done.complete(context, done.data);
    if (done.stalled) answer.bytes.clear();
    Reply reply;
    Shape(std::move(answer), false, reply);
    return reply;
}

void Handset::Shape(phonesim::Answer answer, bool stalled, Reply& reply) {
    if (stalled) answer.bytes.resize(std::min(answer.stallAt, answer.bytes.size()));
    if (!answer.bytes.empty()) {
        if (options_.garbage) answer.bytes.insert(0, GarbageLine());
        reply.answer += Wire(std::move(answer.bytes));
    }
    if (answer.after == AfterAnswer::kNothing) return;
    reply.hangUp = true;
    cablePulled_ = true;
    if (answer.after == AfterAnswer::kHangUp) return;
    restarting_ = true;
    if (answer.after == AfterAnswer::kRestart) reply.replugAfter = std::chrono::milliseconds(options_.rebootDelayMs);
}

CommandContext Handset::Context(const std::string& keyword) {
    return CommandContext{options_, state_, keyword, HandsetClock()};
}

bool Handset::IsSilent(const std::string& keyword) const {
    return options_.silentAll || options_.silent.count(keyword) > 0;
}

bool Handset::IsRefused(const std::string& keyword) const {
    return options_.errorAll || options_.error.count(keyword) > 0;
}

bool Handset::HangupDue() const {
    return options_.hangupAfter && !hungUpOnce_ && state_.commandNumber >= *options_.hangupAfter;
}

std::string Handset::GarbageLine() {
    std::uniform_int_distribution<int> length(kGarbageMinLength, kGarbageMaxLength);
    std::uniform_int_distribution<size_t> pick(0, kGarbageAlphabet.size() - 1);
    std::string text;
    for (int i = length(random_); i > 0; --i) text += kGarbageAlphabet[pick(random_)];
    return InfoLine(text);
}

std::string Handset::Wire(std::string bytes) const { return state_.escaping ? EscapeFlow(bytes) : bytes; }

void Handset::Log(const std::string& line) {
    if (commands_.size() == kMaxLoggedCommands) commands_.pop_front();
    commands_.push_back(line);
}

}  // namespace phonesim
