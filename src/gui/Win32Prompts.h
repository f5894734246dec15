// The Prompts port answered by the user: message boxes with the command's caption and text,
// and the backup-name dialog. The window pumps its own messages; PumpEvents does nothing here.
#pragma once

#include "app/Prompts.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover::gui {

class Win32Prompts final : public Prompts {
public:
    // The boxes are owned by owner (the main window; null before it exists).
    void SetOwner(HWND owner) { owner_ = owner; }

    PromptAnswer Ask(std::string_view caption, std::string_view text,
                     PromptButtons buttons) override;
    std::string AskName(std::string_view caption, std::string_view label,
                        std::string_view proposed) override;
    void PumpEvents() override {}

private:
    // The window the boxes belong to: the owner's topmost dialog, else the owner.
    HWND Owner() const;

    HWND owner_ = nullptr;
};

}  // namespace kestrover::gui
