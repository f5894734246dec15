// The shell port for tests: records every request, and fails when told to.
#pragma once

#include <string>
#include <vector>

#include "platform/ports/ShellPort.h"

namespace kestrover {

class MemoryShell final : public ShellPort {
public:
    Status OpenRegistryEditor(std::string_view target) override {
        registryEditorTargets_.emplace_back(target);
        if (failRegistryEditor_) {
            return MakeError(ErrorCode::NotFound, "the registry editor could not be started");
        }
        return {};
    }

    Status ExplorerSelect(std::string_view path) override {
        if (path.find('"') != std::string_view::npos ||
            path.find('\0') != std::string_view::npos) {
            return MakeError(ErrorCode::InvalidData, "the path cannot be passed to Explorer");
        }
        explorerSelections_.emplace_back(path);
        return {};
    }

    // The targets asked for, in order.
    const std::vector<std::string>& RegistryEditorTargets() const { return registryEditorTargets_; }
    void SetRegistryEditorFails(bool fails) { failRegistryEditor_ = fails; }
    // The paths shown in Explorer, in order.
    const std::vector<std::string>& ExplorerSelections() const { return explorerSelections_; }

private:
    std::vector<std::string> registryEditorTargets_;
    std::vector<std::string> explorerSelections_;
    bool failRegistryEditor_ = false;
};

}  // namespace kestrover
