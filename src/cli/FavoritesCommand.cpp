// kestrover-cli favorites: list, add, remove and rebuild the registry favorites.
#include "cli/FavoritesCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

#include "app/FavoritesCommands.h"
#include "app/FavoritesDialog.h"
#include "app/SavedTextList.h"
#include "cli/CliPrompts.h"
#include "cli/DataFolder.h"
#include "core/Text.h"
#include "registry/RegRoot.h"
#include "registry/RegistryProvider.h"
#include "repair/Favorites.h"
#include "scanner/ResultList.h"

namespace kestrover::cli {

namespace {

std::string KeyTextOf(const Favorite& favorite) {
    if (!favorite.Root()) return "(names no key)";
    std::string text = favorite.RootName();
    if (!favorite.keyPath.empty()) text += "\\" + favorite.keyPath;
    return text;
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

int ListFavorites(const std::vector<std::string>& lines, const std::string& path,
                  std::ostream& out) {
    if (lines.empty()) {
        out << "No favorites in " << path << "\n";
        return 0;
    }
    std::size_t width = 4;
    for (const std::string& line : lines) {
        width = std::max(width, ParseFavoriteLine(line).name.size());
    }
    for (const std::string& line : lines) {
        const Favorite favorite = ParseFavoriteLine(line);
        out << Padded(favorite.name, width) << "  " << KeyTextOf(favorite) << "\n";
    }
    out << lines.size() << (lines.size() == 1 ? " favorite" : " favorites") << " in " << path
        << "\n";
    return 0;
}

int AddFavorite(std::vector<std::string>& lines, const FavoritesOptions& options, std::ostream& out,
                std::ostream& err) {
    std::optional<RegPath> key = ParseKeyPath(options.key, RootNames::FullOrShort);
    const std::optional<int> index = key ? RootIndex(key->root) : std::nullopt;
    if (!key || !index) {
        err << "kestrover-cli: not a registry key: \"" << options.key
            << "\" (expected ROOT\\PATH, e.g. HKLM\\Software\\Vendor)\n";
        return 2;
    }
    FavoritesDialog dialog(lines);
    dialog.FormCreate();
    dialog.fn = options.name;
    dialog.cbKey = *index;
    dialog.kn = key->path;
    if (!dialog.Button1Click()) {
        err << "kestrover-cli: a key path with a line break cannot be a favorite\n";
        return 2;
    }
    dialog.Close();
    out << "Added favorite " << options.name << ": " << key->FullText() << "\n";
    return 0;
}

int RemoveFavorite(std::vector<std::string>& lines, const std::string& name, std::ostream& out,
                   std::ostream& err) {
    FavoritesDialog dialog(lines);
    dialog.FormCreate();
    std::size_t removed = 0;
    // From the last name to the first, so that a removal does not move the names still to see.
    for (std::size_t index = dialog.Names().size(); index-- > 0;) {
        if (!EqualsNoCase(dialog.Names()[index], name)) continue;
        dialog.lsFavClick(index);
        if (dialog.lsFavDblClick()) ++removed;
    }
    dialog.Close();
    if (removed == 0) {
        err << "kestrover-cli: no favorite named \"" << name << "\"\n";
        return 1;
    }
    out << "Removed " << removed << (removed == 1 ? " favorite" : " favorites") << " named " << name
        << "\n";
    return 0;
}

int RebuildFavorites(Platform& platform, std::vector<std::string>& lines, Prompts& prompts,
                     std::ostream& out, std::ostream& err) {
    RegistryContext context{
        platform.registry,
        ViewFlagsFromArchitecture(platform.environment.OperatingSystemArchitecture()),
        &platform.environment.AnsiCodePage()};
    ResultList results(context);
    FavoritesCommands commands(lines, results, prompts);
    if (!commands.Reconstruirelesfavoris1Click()) {
        err << "kestrover-cli: favorites not rebuilt (answer the question, or give --yes)\n";
        return 1;
    }
    out << "Favorites rebuilt with the " << lines.size() << " default entries\n";
    return 0;
}

}  // namespace

int RunFavorites(NativePlatform& native, std::string_view dataFolder,
                 const FavoritesOptions& options, Prompts& prompts, std::ostream& out,
                 std::ostream& err) {
    Platform platform = native.Ports();
    const TextCodec& ansi = platform.environment.AnsiCodePage();
    const std::string path = std::string(dataFolder) + std::string(kFavoritesFileName);
    // Loaded and sorted as the program does at start.
    SavedTextList favorites = LoadTextList(platform.fileSystem, path, ansi);
    if (favorites.unreadable) {
        err << "kestrover-cli: " << path << " cannot be read\n";
        return 1;
    }
    SortNoCase(favorites.lines);

    int status = 2;
    switch (options.action) {
        case FavoritesAction::List:
            return ListFavorites(favorites.lines, path, out);
        case FavoritesAction::Add:
            status = AddFavorite(favorites.lines, options, out, err);
            break;
        case FavoritesAction::Remove:
            status = RemoveFavorite(favorites.lines, options.name, out, err);
            break;
        case FavoritesAction::Rebuild:
            status = RebuildFavorites(platform, favorites.lines, prompts, out, err);
            break;
    }
    if (status != 0) return status;
    // Saved as at the program's close.
    Status saved = SaveTextList(platform.fileSystem, path, favorites, ansi);
    if (!saved) {
        err << "kestrover-cli: " << path << " cannot be written (" << saved.error().Describe()
            << ")\n";
        return 1;
    }
    return 0;
}

void FavoritesCommandLine::AddTo(CLI::App& app) {
    favorites_ = app.add_subcommand("favorites", "List or change the registry favorites");
    favorites_->require_subcommand(1);
    list_ = favorites_->add_subcommand("list", "List the favorites by name: name and key");
    add_ = favorites_->add_subcommand("add",
                                      "Add a favorite (a second one of the same name is kept too)");
    add_->add_option("name", options_.name, "The favorite's name")->required();
    add_->add_option("key", options_.key, "ROOT\\PATH, e.g. HKCU\\Software\\Vendor")->required();
    remove_ = favorites_->add_subcommand("remove", "Remove every favorite of this name (any case)");
    remove_->add_option("name", options_.name, "The favorite's name")->required();
    rebuild_ =
        favorites_->add_subcommand("rebuild", "Replace all favorites with the six default ones");
    rebuild_->add_flag("--yes,-y", yes_, "Rebuild without asking");
}

bool FavoritesCommandLine::Chosen() const { return favorites_ != nullptr && favorites_->parsed(); }

int FavoritesCommandLine::Run(NativePlatform& native, std::string_view dataDirOption,
                              std::ostream& out, std::ostream& err) {
    if (list_->parsed()) options_.action = FavoritesAction::List;
    if (add_->parsed()) options_.action = FavoritesAction::Add;
    if (remove_->parsed()) options_.action = FavoritesAction::Remove;
    if (rebuild_->parsed()) options_.action = FavoritesAction::Rebuild;
    Result<std::string> dataFolder = OpenDataFolder(native, dataDirOption);
    if (!dataFolder) {
        err << "kestrover-cli: " << dataFolder.error().Describe() << "\n";
        return 2;
    }
    CliPrompts prompts(CliPrompts::ModeFor(yes_), std::cin, err);
    return RunFavorites(native, *dataFolder, options_, prompts, out, err);
}

}  // namespace kestrover::cli
