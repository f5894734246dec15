// The command line's answers: --yes says yes, the terminal is asked, and without a terminal
// every question is answered no at once.
#include "cli/CliPrompts.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kestrover::cli {
namespace {

TEST(CliPrompts, QuestionsByModeAndInput) {
    struct Case {
        const char* name;
        AnswerMode mode;
        const char* input;
        PromptButtons buttons;
        PromptAnswer answer;
        bool declined;
    };
    const Case cases[] = {
        {"--yes: OK", AnswerMode::AssumeYes, "", PromptButtons::OkCancel, PromptAnswer::Ok, false},
        {"--yes: Yes", AnswerMode::AssumeYes, "", PromptButtons::YesNo, PromptAnswer::Yes, false},
        {"no terminal: Cancel", AnswerMode::Decline, "y\n", PromptButtons::OkCancel,
         PromptAnswer::Cancel, true},
        {"no terminal: No", AnswerMode::Decline, "y\n", PromptButtons::YesNo, PromptAnswer::No, true},
        {"terminal y", AnswerMode::Terminal, "y\n", PromptButtons::OkCancel, PromptAnswer::Ok, false},
        {"terminal YES", AnswerMode::Terminal, " YES \n", PromptButtons::YesNo, PromptAnswer::Yes, false},
        {"terminal n", AnswerMode::Terminal, "n\n", PromptButtons::OkCancel, PromptAnswer::Cancel, false},
        {"terminal no", AnswerMode::Terminal, "no\r\n", PromptButtons::YesNo, PromptAnswer::No, false},
        {"terminal asks again", AnswerMode::Terminal, "maybe\n\ny\n", PromptButtons::OkCancel,
         PromptAnswer::Ok, false},
        {"end of input is no", AnswerMode::Terminal, "", PromptButtons::OkCancel,
         PromptAnswer::Cancel, false},
        {"end of input after junk is no", AnswerMode::Terminal, "what", PromptButtons::YesNo,
         PromptAnswer::No, false},
        // A message needs no answer in any mode.
        {"message without terminal", AnswerMode::Decline, "", PromptButtons::Ok, PromptAnswer::Ok,
         false},
        {"message on the terminal reads nothing", AnswerMode::Terminal, "", PromptButtons::Ok,
         PromptAnswer::Ok, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.input);
        std::ostringstream out;
        CliPrompts prompts(c.mode, in, out);
        EXPECT_EQ(prompts.Ask("Confirmation", "Delete the selected entries ?", c.buttons), c.answer);
        EXPECT_EQ(prompts.Declined(), c.declined);
        if (c.mode != AnswerMode::AssumeYes) {
            EXPECT_NE(out.str().find("Confirmation: Delete the selected entries ?"),
                      std::string::npos)
                << out.str();
        }
        if (c.declined) {
            EXPECT_NE(out.str().find("--yes"), std::string::npos) << out.str();
        }
    }
}

TEST(CliPrompts, TextsWithWindowsLineBreaksPrintAsLines) {
    std::istringstream in;
    std::ostringstream out;
    CliPrompts prompts(AnswerMode::Decline, in, out);
    prompts.ShowMessage("Kestrover", "first\r\nsecond");
    EXPECT_EQ(out.str(), "Kestrover: first\nsecond\n");
}

TEST(CliPrompts, NameDialogs) {
    struct Case {
        const char* name;
        AnswerMode mode;
        const char* input;
        std::string result;
    };
    const Case cases[] = {
        {"--yes keeps the proposed name", AnswerMode::AssumeYes, "other\n", "Registry 1.reg"},
        {"no terminal keeps it without asking", AnswerMode::Decline, "other\n", "Registry 1.reg"},
        {"an empty line keeps it", AnswerMode::Terminal, "\n", "Registry 1.reg"},
        {"blanks keep it", AnswerMode::Terminal, "   \r\n", "Registry 1.reg"},
        {"end of input keeps it", AnswerMode::Terminal, "", "Registry 1.reg"},
        {"a typed name", AnswerMode::Terminal, " Before update.reg \r\n", "Before update.reg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.input);
        std::ostringstream out;
        CliPrompts prompts(c.mode, in, out);
        EXPECT_EQ(prompts.AskName("Backup", "File name :", "Registry 1.reg"), c.result);
        EXPECT_FALSE(prompts.Declined());
        if (c.mode == AnswerMode::Terminal) {
            EXPECT_NE(out.str().find("Registry 1.reg"), std::string::npos) << out.str();
        } else {
            EXPECT_EQ(out.str(), "");
        }
    }
}

TEST(CliPrompts, ModeFollowsYesFirst) {
    EXPECT_EQ(CliPrompts::ModeFor(true), AnswerMode::AssumeYes);
    // The test runner's input is a terminal or not; either way no --yes never means yes.
    EXPECT_NE(CliPrompts::ModeFor(false), AnswerMode::AssumeYes);
}

}  // namespace
}  // namespace kestrover::cli
