// kestrover-cli exclude: list, add, remove and import the keys kept out of every scan.
#include "cli/ExcludeCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>

#include "cli/DataFolder.h"
#include "core/Text.h"
#include "registry/RegRoot.h"
#include "repair/BackupStore.h"
#include "repair/ExclusionFile.h"

namespace kestrover::cli {

namespace {

// The full key text a line stands for, as the scan applies it.
std::string KeyTextOf(std::string_view line) {
    const ExclusionLineParts parts = SplitExclusionLine(line);
    const std::optional<RegRoot> root = RootFromIndex(parts.rootIndex);
    std::string text(root ? RootFullName(*root) : std::string_view("?"));
    if (parts.rootIndex == 3) text += "\\<any user>";
    if (!parts.keyPath.empty()) text += "\\" + parts.keyPath;
    return text;
}

bool SameKey(std::string_view a, std::string_view b) {
    const ExclusionLineParts left = SplitExclusionLine(a);
    const ExclusionLineParts right = SplitExclusionLine(b);
    return left.rootIndex == right.rootIndex && EqualsNoCase(left.keyPath, right.keyPath);
}

// The line a key text gives, or nothing after saying why it is refused.
std::optional<std::string> LineOfKey(const std::string& text, std::ostream& err) {
    std::optional<RegPath> key = ParseKeyPath(text, RootNames::FullOrShort);
    if (!key) {
        err << "kestrover-cli: not a registry key: \"" << text
            << "\" (expected ROOT\\PATH, e.g. HKLM\\Software\\Vendor)\n";
        return std::nullopt;
    }
    const std::optional<int> index = RootIndex(key->root);
    if (!index || *index > 3) {
        err << "kestrover-cli: the scan walks HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
               "HKEY_LOCAL_MACHINE and HKEY_USERS only; \""
            << text << "\" is under none of them\n";
        return std::nullopt;
    }
    while (!key->path.empty() && key->path.back() == '\\') key->path.pop_back();
    std::optional<std::string> line = ExclusionLineFor(key->root, key->path);
    if (!line) {
        err << "kestrover-cli: a key path with a line break cannot be kept in the list\n";
        return std::nullopt;
    }
    if (line->size() <= 2) {
        err << "kestrover-cli: \"" << text << "\" names no key below "
            << (*index == 3 ? "a user's hive" : "the root")
            << "; the list holds keys, and a root is never tested\n";
        return std::nullopt;
    }
    return line;
}

int ListExclusions(ExclusionFile& file, std::ostream& out, std::ostream& err) {
    Result<std::vector<std::string>> lines = file.Read(CleanUpPass::Apply);
    if (!lines && lines.code() == ErrorCode::NotFound) {
        out << "No exclusions (" << file.Path() << " does not exist)\n";
        return 0;
    }
    if (!lines) {
        err << "kestrover-cli: " << file.Path() << " cannot be read (" << lines.error().Describe()
            << ")\n";
        return 1;
    }
    for (const std::string& line : *lines) out << KeyTextOf(line) << "\n";
    out << lines->size() << (lines->size() == 1 ? " exclusion" : " exclusions") << " in "
        << file.Path() << "\n";
    return 0;
}

int AddExclusion(ExclusionFile& file, const std::string& key, std::ostream& out,
                 std::ostream& err) {
    const std::optional<std::string> line = LineOfKey(key, err);
    if (!line) return 2;
    Result<std::vector<std::string>> lines = file.Read(CleanUpPass::Apply);
    if (!lines && lines.code() != ErrorCode::NotFound) {
        err << "kestrover-cli: " << file.Path() << " cannot be read (" << lines.error().Describe()
            << "); nothing added\n";
        return 1;
    }
    if (lines && std::any_of(lines->begin(), lines->end(), [&](const std::string& existing) {
            return SameKey(existing, *line);
        })) {
        out << "Already excluded: " << KeyTextOf(*line) << "\n";
        return 0;
    }
    Status added = file.AddLines({*line});
    if (!added) {
        err << "kestrover-cli: " << file.Path() << " cannot be written ("
            << added.error().Describe() << ")\n";
        return 1;
    }
    out << "Excluded: " << KeyTextOf(*line) << "\n";
    return 0;
}

int RemoveExclusion(ExclusionFile& file, const std::string& key, std::ostream& out,
                    std::ostream& err) {
    const std::optional<std::string> line = LineOfKey(key, err);
    if (!line) return 2;
    Result<std::vector<std::string>> lines = file.Read(CleanUpPass::Apply);
    if (!lines) {
        if (lines.code() == ErrorCode::NotFound) {
            err << "kestrover-cli: not in the exclusion list: " << KeyTextOf(*line) << "\n";
            return 1;
        }
        err << "kestrover-cli: " << file.Path() << " cannot be read (" << lines.error().Describe()
            << ")\n";
        return 1;
    }
    const std::size_t before = lines->size();
    std::erase_if(*lines, [&](const std::string& existing) { return SameKey(existing, *line); });
    if (lines->size() == before) {
        err << "kestrover-cli: not in the exclusion list: " << KeyTextOf(*line) << "\n";
        return 1;
    }
    SortExclusionLines(*lines);
    Status written = file.Write(*lines);
    if (!written) {
        err << "kestrover-cli: " << file.Path() << " cannot be written ("
            << written.error().Describe() << ")\n";
        return 1;
    }
    out << "No longer excluded: " << KeyTextOf(*line) << "\n";
    return 0;
}

int ImportFile(NativePlatform& native, ExclusionFile& file, const std::string& name,
               std::ostream& out, std::ostream& err) {
    FileSystemPort* source = &native.Ports().fileSystem;
    std::string path = name;
    if (!IsFullWindowsPath(name)) {
        auto located = native.LocateCommandLineFile(name);
        if (!located) {
            err << "kestrover-cli: " << located.error().Describe() << "\n";
            return 2;
        }
        source = located->fileSystem;
        path = located->path;
    }
    if (!source->FileExists(path)) {
        err << "kestrover-cli: " << name << ": no such file\n";
        return 1;
    }
    Result<std::size_t> count = ImportExclusions(file, *source, path);
    if (!count) {
        err << "kestrover-cli: nothing imported (" << count.error().Describe() << ")\n";
        return 1;
    }
    out << *count << (*count == 1 ? " exclusion" : " exclusions") << " imported into "
        << file.Path() << "\n";
    return 0;
}

}  // namespace

int RunExclude(NativePlatform& native, std::string_view dataFolder, const ExcludeOptions& options,
               std::ostream& out, std::ostream& err) {
    Platform platform = native.Ports();
    ExclusionFile file(platform.fileSystem, dataFolder, platform.environment.AnsiCodePage());
    switch (options.action) {
        case ExcludeAction::List:
            return ListExclusions(file, out, err);
        case ExcludeAction::Add:
            return AddExclusion(file, options.key, out, err);
        case ExcludeAction::Remove:
            return RemoveExclusion(file, options.key, out, err);
        case ExcludeAction::Import:
            return ImportFile(native, file, options.file, out, err);
    }
    return 2;
}

void ExcludeCommandLine::AddTo(CLI::App& app) {
    exclude_ = app.add_subcommand("exclude", "List or change the keys every scan leaves out");
    exclude_->require_subcommand(1);
    list_ = exclude_->add_subcommand("list", "List the excluded keys");
    add_ =
        exclude_->add_subcommand("add", "Keep a key (and everything below it) out of every scan");
    add_->add_option("key", options_.key, "ROOT\\PATH, e.g. HKLM\\Software\\Vendor")->required();
    remove_ = exclude_->add_subcommand("remove", "Let the scan test a key again");
    remove_->add_option("key", options_.key, "ROOT\\PATH, as listed")->required();
    import_ = exclude_->add_subcommand(
        "import", "Add the lines of another exclusion file that the list does not hold yet");
    import_->add_option("file", options_.file, "The exclusion file, e.g. Exclude.ini")->required();
}

bool ExcludeCommandLine::Chosen() const { return exclude_ != nullptr && exclude_->parsed(); }

int ExcludeCommandLine::Run(NativePlatform& native, std::string_view dataDirOption,
                            std::ostream& out, std::ostream& err) {
    if (list_->parsed()) options_.action = ExcludeAction::List;
    if (add_->parsed()) options_.action = ExcludeAction::Add;
    if (remove_->parsed()) options_.action = ExcludeAction::Remove;
    if (import_->parsed()) options_.action = ExcludeAction::Import;
    Result<std::string> dataFolder = OpenDataFolder(native, dataDirOption);
    if (!dataFolder) {
        err << "kestrover-cli: " << dataFolder.error().Describe() << "\n";
        return 2;
    }
    return RunExclude(native, *dataFolder, options_, out, err);
}

}  // namespace kestrover::cli
