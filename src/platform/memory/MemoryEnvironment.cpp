// In-memory environment for tests.
#include "platform/memory/MemoryEnvironment.h"

namespace kestrover {

MemoryEnvironment::MemoryEnvironment() : codec_(&Windows1252()) {}

void MemoryEnvironment::SetVariable(std::string_view name, std::string_view value) {
    variables_.insert_or_assign(std::string(name), std::string(value));
}

void MemoryEnvironment::UnsetVariable(std::string_view name) {
    auto found = variables_.find(name);
    if (found != variables_.end()) variables_.erase(found);
}

std::optional<std::string> MemoryEnvironment::GetVariable(std::string_view name) const {
    auto found = variables_.find(name);
    if (found == variables_.end()) return std::nullopt;
    return found->second;
}

}  // namespace kestrover
