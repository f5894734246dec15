// OpenInRegistryEditor: shows a key in the system registry editor, falling back to the key's
// place in the 32-bit view when it does not exist where it was named.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/Result.h"
#include "platform/ports/ShellPort.h"
#include "registry/RegistryProvider.h"

namespace kestrover {

// The path of a key in the 32-bit view of 64-bit Windows: "Wow6432Node" inserted after the
// first "software" component (any case). Nothing when the path has no such component, or when
// it is already a 32-bit view path ("Wow6432Node" follows that component): the rewrite is made
// once, never on its own result.
std::optional<std::string> ThirtyTwoBitViewPath(std::string_view path);

// The text the editor is opened on: the root's full name, a backslash and the path (the root
// name alone for the root). When the key does not exist as the 64-bit editor sees it but its
// 32-bit view path does, that path is used instead. Nothing when rootName names no root.
std::optional<std::string> ResolveRegistryEditorTarget(const RegistryContext& registry,
                                                       std::string_view rootName,
                                                       std::string_view path);

// Opens the editor on the key (see ResolveRegistryEditorTarget). rootName may be a full or short
// root name in any case; path may begin with a backslash. InvalidData when the root is unknown.
Status OpenInRegistryEditor(const RegistryContext& registry, ShellPort& shell,
                            std::string_view rootName, std::string_view path);

}  // namespace kestrover
