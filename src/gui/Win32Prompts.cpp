// Message boxes and the name dialog.
#include "gui/Win32Prompts.h"

#include "gui/BackupNameDialog.h"
#include "gui/Controls.h"

namespace kestrover::gui {

HWND Win32Prompts::Owner() const {
    // A question asked from a dialog (the exclusion dialog's import count) belongs to that
    // dialog: owned by the main window, which the dialog keeps disabled, it would leave the
    // dialog usable behind it.
    return owner_ != nullptr ? GetLastActivePopup(owner_) : nullptr;
}

PromptAnswer Win32Prompts::Ask(std::string_view caption, std::string_view text,
                               PromptButtons buttons) {
    UINT type = MB_OK | MB_ICONINFORMATION;
    if (buttons == PromptButtons::OkCancel) type = MB_OKCANCEL | MB_ICONQUESTION;
    if (buttons == PromptButtons::YesNo) type = MB_YESNO | MB_ICONQUESTION;
    const int pressed = MessageBoxW(Owner(), Wide(text).c_str(), Wide(caption).c_str(), type);
    switch (pressed) {
        case IDOK: return PromptAnswer::Ok;
        case IDYES: return PromptAnswer::Yes;
        case IDNO: return PromptAnswer::No;
        default:
            // A closed box is no consent: Cancel for OK/Cancel, No for Yes/No.
            if (buttons == PromptButtons::YesNo) return PromptAnswer::No;
            return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
    }
}

std::string Win32Prompts::AskName(std::string_view caption, std::string_view label,
                                  std::string_view proposed) {
    return RunBackupNameDialog(Owner(), caption, label, proposed);
}

}  // namespace kestrover::gui
