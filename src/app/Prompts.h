// The Prompts port: every question and message a command puts to the user, and the message
// pump long commands call. The window answers with real dialogs, the command line from its
// flags (or the terminal), tests from a script.
#pragma once

#include <string>
#include <string_view>

namespace kestrover {

enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box with a caption, a text and its buttons; returns the button pressed.
    virtual PromptAnswer Ask(std::string_view caption, std::string_view text,
                             PromptButtons buttons) = 0;
    // A name dialog: shows label and the proposed text in an edit box and returns the text
    // the box holds when it closes. OK and Cancel alike return it (the backup-name dialog
    // does not cancel its command).
    virtual std::string AskName(std::string_view caption, std::string_view label,
                                std::string_view proposed) = 0;
    // Lets the window process pending messages (a no-op outside the window).
    virtual void PumpEvents() = 0;

    // "OK/Cancel" answered with OK.
    bool Confirm(std::string_view caption, std::string_view text) {
        return Ask(caption, text, PromptButtons::OkCancel) == PromptAnswer::Ok;
    }
    void ShowMessage(std::string_view caption, std::string_view text) {
        Ask(caption, text, PromptButtons::Ok);
    }
};

}  // namespace kestrover
