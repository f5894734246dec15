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

    // The targets asked for, in order.
    const std::vector<std::string>& RegistryEditorTargets() const { return registryEditorTargets_; }
    void SetRegistryEditorFails(bool fails) { failRegistryEditor_ = fails; }

private:
    std::vector<std::string> registryEditorTargets_;
    bool failRegistryEditor_ = false;
};

}  // namespace kestrover
