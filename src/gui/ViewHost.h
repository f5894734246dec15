// What a page view asks of the main window that holds it: the shared fonts and pictures, a
// render of every control after a command, and the guard around long commands.
#pragma once

#include <functional>

#include "gui/Captions.h"
#include "gui/GuiResources.h"
#include "gui/MainWindowModel.h"

namespace kestrover::gui {

class ViewHost {
public:
    virtual ~ViewHost() = default;

    virtual HWND Frame() const = 0;
    virtual const GuiResources& Resources() const = 0;
    virtual const CaptionTable& Captions() const = 0;
    virtual MainWindowModel& Model() = 0;
    // Every control from the models, after a command changed them.
    virtual void RenderAll() = 0;
    // Runs a command that processes messages while it works: a close asked meanwhile waits
    // until it returns.
    virtual void RunLong(const std::function<void()>& command) = 0;
};

}  // namespace kestrover::gui
