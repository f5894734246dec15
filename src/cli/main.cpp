// kestrover-cli: the command line of Kestrover.
#include <CLI/CLI.hpp>

#include <cctype>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/Unicode.h"
#include "platform/NativePlatform.h"

namespace kestrover::cli {

int Run(std::vector<std::string> arguments) {
    CLI::App app{"Kestrover: registry cleaner and Windows maintenance tool", "kestrover-cli"};
    app.require_subcommand(1);
    std::vector<std::string> drives;
    app.add_option("--drive", drives,
                   "Linux: map a host folder as a fixed drive, LETTER:=FOLDER (repeatable)")
        ->type_name("L:=DIR");

    CommandOptions options;
    CLI::App* info = app.add_subcommand("info", "Show platform facts: architecture, registry views, drives, folders");
    CLI::App* query = app.add_subcommand("query", "List the subkeys and values of a registry key");
    query->add_option("key", options.key, "ROOT\\PATH, e.g. HKLM\\Software")->required();
    query->add_flag("--recursive,-s", options.recursive, "Include every key below it");
    CLI::App* find = app.add_subcommand("find", "List the files matching a mask, e.g. C:\\Windows\\*.exe");
    find->add_option("pattern", options.pattern, "FOLDER\\MASK")->required();

    try {
        // CLI11 wants the arguments without the program name, last first.
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }

    NativePlatformOptions platformOptions;
    for (const std::string& drive : drives) {
        std::size_t equals = drive.find('=');
        if (equals != 2 || drive[1] != ':' || !std::isalpha(static_cast<unsigned char>(drive[0]))) {
            std::cerr << "kestrover-cli: --drive wants LETTER:=FOLDER, not \"" << drive << "\"\n";
            return 2;
        }
        platformOptions.drives.push_back(DriveMapping{drive[0], drive.substr(equals + 1)});
    }
    auto platform = CreateNativePlatform(platformOptions);
    if (!platform) {
        std::cerr << "kestrover-cli: " << platform.error().Describe() << "\n";
        return 2;
    }
    Platform ports = platform.value()->Ports();
    if (*info) return ShowInfo(ports, std::cout);
    if (*query) return QueryKey(ports, options, std::cout, std::cerr);
    if (*find) return FindFiles(ports, options, std::cout, std::cerr);
    return 2;
}

}  // namespace kestrover::cli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    kestrover::PrepareConsoleForUtf8();
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        std::u16string wide(reinterpret_cast<const char16_t*>(argv[i]));
        arguments.push_back(kestrover::Utf16ToUtf8(wide));
    }
    return kestrover::cli::Run(std::move(arguments));
}
#else
int main(int argc, char** argv) {
    return kestrover::cli::Run(std::vector<std::string>(argv, argv + argc));
}
#endif
