// The shell port on Linux: there is no registry editor or Explorer to start; the registry
// editor's request is kept so the front end can say which key it was.
#pragma once

#include <string>

#include "platform/ports/ShellPort.h"

namespace kestrover {

class PosixShell final : public ShellPort {
public:
    // Unsupported, naming the target; the last target asked for is kept.
    Status OpenRegistryEditor(std::string_view target) override {
        lastRegistryEditorTarget_ = target;
        return MakeError(ErrorCode::Unsupported,
                         "no registry editor on this system to show " + std::string(target));
    }
    const std::string& LastRegistryEditorTarget() const { return lastRegistryEditorTarget_; }

    Status ExplorerSelect(std::string_view path) override {
        return MakeError(ErrorCode::Unsupported,
                         "no Explorer on this system to show " + std::string(path));
    }

private:
    std::string lastRegistryEditorTarget_;
};

}  // namespace kestrover
