// The command line's Prompts.
#include "cli/CliPrompts.h"

#include <istream>
#include <ostream>

#include "core/Text.h"
#include "platform/NativePlatform.h"

namespace kestrover::cli {

namespace {

PromptAnswer Positive(PromptButtons buttons) {
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
}

PromptAnswer Negative(PromptButtons buttons) {
    return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
}

// Dialog texts break their lines with CR LF; a terminal wants LF alone.
std::string TerminalText(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i] == '\r' ? '\n' : text[i];
    }
    return result;
}

}  // namespace

CliPrompts::CliPrompts(AnswerMode mode, std::istream& in, std::ostream& out)
    : mode_(mode), in_(in), out_(out) {}

AnswerMode CliPrompts::ModeFor(bool assumeYes) {
    if (assumeYes) return AnswerMode::AssumeYes;
    return StandardInputIsTerminal() ? AnswerMode::Terminal : AnswerMode::Decline;
}

void CliPrompts::Print(std::string_view caption, std::string_view text) {
    out_ << TerminalText(caption) << ": " << TerminalText(text) << "\n";
}

PromptAnswer CliPrompts::Ask(std::string_view caption, std::string_view text,
                             PromptButtons buttons) {
    if (buttons == PromptButtons::Ok) {
        Print(caption, text);
        out_.flush();
        return PromptAnswer::Ok;
    }
    switch (mode_) {
        case AnswerMode::AssumeYes:
            return Positive(buttons);
        case AnswerMode::Decline:
            Print(caption, text);
            out_ << "(not asked: standard input is not a terminal; run with --yes to answer yes)\n";
            out_.flush();
            declined_ = true;
            return Negative(buttons);
        case AnswerMode::Terminal:
            break;
    }
    Print(caption, text);
    for (;;) {
        out_ << "[y/n] ";
        out_.flush();
        std::string line;
        if (!std::getline(in_, line)) {
            out_ << "\n";
            return Negative(buttons);
        }
        const std::string answer = AsciiLower(Trim(line));
        if (answer == "y" || answer == "yes") return Positive(buttons);
        if (answer == "n" || answer == "no") return Negative(buttons);
    }
}

std::string CliPrompts::AskName(std::string_view caption, std::string_view label,
                                std::string_view proposed) {
    if (mode_ != AnswerMode::Terminal) return std::string(proposed);
    Print(caption, label);
    out_ << "[" << proposed << "] (Enter keeps it): ";
    out_.flush();
    std::string line;
    if (!std::getline(in_, line)) {
        out_ << "\n";
        return std::string(proposed);
    }
    std::string name = Trim(line);
    if (name.empty()) return std::string(proposed);
    return name;
}

}  // namespace kestrover::cli
