// libFuzzer entry point for the export file reader (clang only): every input is loaded as a
// file, once to view and once to restore, into a fresh in-memory registry. Crashes and
// sanitizer reports are the findings; the corpus replayer among the unit tests checks what a
// restore may write. Seeds: tests/registry/fuzz.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegExportReader.h"
#include "registry/RegistryProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrover;
    constexpr std::string_view kFile = "C:\\fuzz.reg";
    for (LoadMode mode : {LoadMode::ViewOnly, LoadMode::Restore}) {
        MemoryRegistry registry(true);
        MemoryFileSystem files;
        if (!files.AddFile(kFile, std::string_view(reinterpret_cast<const char*>(data), size))) {
            return 0;
        }
        RegistryContext context{registry, RegistryViewFlags{true, true}, nullptr};
        RegExportReader reader(context, files);
        (void)reader.LoadExportFile(kFile, mode);
    }
    return 0;
}
