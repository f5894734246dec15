// The command line's Prompts: --yes answers every question yes; otherwise questions are put on
// the terminal, and without one they are answered no, so a command never waits on a pipe.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "app/Prompts.h"

namespace kestrover::cli {

// How questions are answered.
enum class AnswerMode {
    AssumeYes,  // --yes: OK and Yes to everything, proposed names kept
    Terminal,   // standard input is a terminal: ask and read y or n
    Decline,    // no terminal and no --yes: Cancel and No, proposed names kept
};

class CliPrompts final : public Prompts {
public:
    // Questions and messages go to `out` (standard error), answers come from `in`.
    CliPrompts(AnswerMode mode, std::istream& in, std::ostream& out);

    // The mode for this process: AssumeYes with --yes, else Terminal when standard input is a
    // terminal, else Decline.
    static AnswerMode ModeFor(bool assumeYes);

    // Messages (OK only) are printed in every mode and answered OK. In Decline mode a
    // question is printed with a note that it needs --yes, and answered Cancel or No. On the
    // terminal, "y"/"yes" and "n"/"no" answer (any case); the end of input answers no.
    PromptAnswer Ask(std::string_view caption, std::string_view text,
                     PromptButtons buttons) override;
    // On the terminal the proposed name is shown; an empty line (or the end of input) keeps
    // it. Otherwise the proposed name is kept without asking.
    std::string AskName(std::string_view caption, std::string_view label,
                        std::string_view proposed) override;
    void PumpEvents() override {}

    // True once a question was answered no because no one could be asked: the command
    // should say it needs --yes and fail.
    bool Declined() const { return declined_; }

private:
    void Print(std::string_view caption, std::string_view text);

    AnswerMode mode_;
    std::istream& in_;
    std::ostream& out_;
    bool declined_ = false;
};

}  // namespace kestrover::cli
