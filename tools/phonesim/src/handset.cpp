#include "handset.h"

#include <utility>

namespace phonesim {
namespace {

constexpr char kCr = '\r';
constexpr unsigned kGarbageSeed = 5489;
constexpr int kGarbageMinLength = 8;
constexpr int kGarbageMaxLength = 24;
// No capital letter, "$", "+", quote or comma: a garbage line can never hold a
// response keyword or look like a field list, and needs no flow escape.
constexpr std::string_view kGarbageAlphabet =
    "abcdefghijklmnopqrstuvwxyz0123456789#%&*-./;<=>?@_~";

}  // namespace

Handset::Handset(PhoneOptions options, const CommandTable& table)
    : options_(std::move(options)), table_(table), random_(kGarbageSeed) {}

std::vector<Reply> Handset::Receive(std::string_view wire) {
    std::vector<Reply> replies;
    for (char byte : wire) {
        if (cablePulled_) break;
        std::optional<char> plain = state_.escaping ? unescaper_.Feed(byte) : std::optional<char>(byte);
        if (!plain) continue;
        if (std::optional<CommandLine> line = framer_.Feed(*plain)) {
            replies.push_back(Answer(*line));
            if (!state_.escaping) unescaper_.Reset();
        }
    }
    return replies;
}

void Handset::ForgetPartialInput() {
    framer_.Reset();
    unescaper_.Reset();
}

void Handset::Reconnect() {
    ForgetPartialInput();
    cablePulled_ = false;
}

Reply Handset::Answer(const CommandLine& line) {
    ++state_.commandNumber;
    Log(line.text);
    SplitCommandLine command = SplitCommand(line.text);
    Reply reply;
    if (!IsSilent(command.keyword)) {
        if (state_.echo) reply.echo = Wire(line.text + kCr);
        std::string answer = AnswerText(command, line.overlong);
        if (!answer.empty()) {
            if (options_.garbage) answer.insert(0, GarbageLine());
            reply.answer = Wire(answer);
        }
    }
    if (HangupDue()) {
        reply.hangUp = true;
        cablePulled_ = true;
        hungUpOnce_ = true;
    }
    return reply;
}

std::string Handset::AnswerText(const SplitCommandLine& command, bool overlong) {
    if (overlong || IsRefused(command.keyword)) return ErrorLine();
    const CommandHandler* handler = table_.Find(command.keyword);
    if (!handler) return ErrorLine();
    CommandContext context{options_, state_};
    return (*handler)(context, command.arguments);
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

std::string Handset::Wire(std::string_view bytes) const {
    return state_.escaping ? EscapeFlow(bytes) : std::string(bytes);
}

void Handset::Log(const std::string& line) {
    if (commands_.size() == kMaxLoggedCommands) commands_.pop_front();
    commands_.push_back(line);
}

}  // namespace phonesim
