// RegExportWriter: walks registry branches into the lines of an export file, held in memory
// until the end so that the file's form can follow from everything it holds.
#include "registry/RegExportWriter.h"

#include <optional>
#include <utility>

#include "core/TextCodec.h"
#include "core/Unicode.h"

namespace kestrover {

namespace {

constexpr std::uint8_t kUtf16LeBom[] = {0xFF, 0xFE};
// The lines are encoded and written in pieces of about this size, so the encoded file is never
// held whole beside its text.
constexpr std::size_t kWriteChunkSize = 1 << 20;

bool HoldsTextAsHex(std::uint32_t type) {
    return type == RegistryType::String || type == RegistryType::ExpandString ||
           type == RegistryType::MultiString;
}

}  // namespace

struct RegExportWriter::State {
    // One line of the file, or a wrapped value's lines. The hex bytes of string data depend on
    // the form, which is known only at the end: such a line keeps the name part in `text` and
    // its data to format then.
    struct Entry {
        std::string text;
        std::optional<RegistryData> stringData;
        ExportLayout layout = ExportLayout::Backup;
    };

    State(RegistryContext& registry, FileSystemPort& fileSystem)
        : registry(registry), fileSystem(fileSystem) {}

    const TextCodec& Codec() const {
        return registry.ansiCodePage != nullptr ? *registry.ansiCodePage : Windows1252();
    }

    void NoteText(std::string_view text) {
        if (fitsRegedit4 && !TextFitsRegedit4(text, Codec())) fitsRegedit4 = false;
    }

    void AddValue(const std::string& name, RegistryData data, ExportLayout layout) {
        NoteText(name);
        std::string line = FormatValueName(name);
        line += '=';
        if (data.type == RegistryType::String) {
            if (std::optional<std::string> text = PlainStringText(data.bytes)) {
                NoteText(*text);
                line += FormatStringData(*text);
                entries.push_back({std::move(line), std::nullopt, layout});
                return;
            }
        }
        if (HoldsTextAsHex(data.type)) {
            if (fitsRegedit4 && !DataFitsRegedit4(data, Codec())) fitsRegedit4 = false;
            entries.push_back({std::move(line), std::move(data), layout});
            return;
        }
        line += FormatValueData(data, ExportFileForm::Regedit4, Codec(), layout);
        entries.push_back({std::move(line), std::nullopt, layout});
    }

    void ExportSection(RegExportWriter& owner, RegistryProvider& provider, RegRoot root,
                       const std::string& keyPath, std::string_view valueFilter,
                       ExportLayout layout);

    RegistryContext& registry;
    FileSystemPort& fileSystem;
    std::unique_ptr<FileWriter> file;
    std::vector<Entry> entries;
    bool fitsRegedit4 = true;
};

void RegExportWriter::State::ExportSection(RegExportWriter& owner, RegistryProvider& provider,
                                           RegRoot root, const std::string& keyPath,
                                           std::string_view valueFilter, ExportLayout layout) {
    if (layout == ExportLayout::Backup) entries.push_back({});
    NoteText(keyPath);
    entries.push_back({FormatKeyHeader(root, keyPath), std::nullopt, layout});

    // A path opened from the root, whatever key the provider had open before; a failed open
    // would otherwise leave the previous key open.
    provider.CloseKey();
    std::string openPath = !keyPath.empty() && keyPath.front() == '\\' ? keyPath : "\\" + keyPath;
    if (!provider.OpenKeyReadOnly(openPath)) return;

    std::vector<std::string> subkeyNames;
    provider.GetKeyNames(subkeyNames);
    // All values in one pass when every value is wanted: under Wine each registry call is a
    // round trip to the wineserver. Value by value when that pass fails, so that one
    // unreadable value costs only itself.
    std::vector<RegistryValue> values;
    if (valueFilter.empty() && provider.ReadAllValues(values)) {
        for (RegistryValue& value : values) {
            AddValue(value.name, std::move(value.data), layout);
        }
    } else {
        std::vector<std::string> valueNames;
        provider.GetValueNames(valueNames);
        for (const std::string& name : valueNames) {
            // Under a filter the default value ("") never matches: the filter is never empty.
            if (!valueFilter.empty() && name != valueFilter) continue;
            std::optional<RegistryData> data = provider.ReadRawValue(name);
            if (!data) {
                if (owner.valueReadFailed) owner.valueReadFailed(name);
                continue;
            }
            AddValue(name, std::move(*data), layout);
        }
    }
    provider.CloseKey();

    for (const std::string& subkeyName : subkeyNames) {
        std::string subkeyPath = keyPath + "\\" + subkeyName;
        if (layout == ExportLayout::Snapshot) {
            if (owner.pumpMessages) owner.pumpMessages();
            if (owner.SkipSnapshotKey && owner.SkipSnapshotKey(subkeyName, subkeyPath)) continue;
            if (owner.progressStep) owner.progressStep();
        }
        ExportSection(owner, provider, root, subkeyPath, valueFilter, layout);
    }
}

RegExportWriter::RegExportWriter(RegistryContext& registry, FileSystemPort& fileSystem)
    : state_(std::make_unique<State>(registry, fileSystem)) {}

RegExportWriter::~RegExportWriter() = default;

bool RegExportWriter::BeginExportFile(std::string_view path) {
    // A file begun before and never ended is abandoned (closed without its lines).
    state_->file.reset();
    state_->entries.clear();
    state_->fitsRegedit4 = true;
    Result<std::unique_ptr<FileWriter>> created = state_->fileSystem.CreateFile(path);
    if (!created) return false;
    state_->file = std::move(*created);
    return true;
}

void RegExportWriter::ExportKey(RegRoot root, std::string_view keyPath,
                                std::string_view valueFilter) {
    if (!state_->file) return;
    if (!keyPath.empty() && keyPath.back() == '\\') keyPath.remove_suffix(1);
    RegistryProvider provider(state_->registry);
    provider.SetRootKey(root);
    ExportLayout layout = snapshotMode ? ExportLayout::Snapshot : ExportLayout::Backup;
    state_->ExportSection(*this, provider, root, std::string(keyPath), valueFilter, layout);
}

Status RegExportWriter::EndExportFile() {
    if (!state_->file) {
        return MakeError(ErrorCode::InvalidData, "end an export file that was not begun");
    }
    std::unique_ptr<FileWriter> file = std::move(state_->file);
    std::vector<State::Entry> entries = std::move(state_->entries);
    const ExportFileForm form = Form();
    const TextCodec& codec = state_->Codec();
    state_->entries.clear();
    state_->fitsRegedit4 = true;

    Status written;
    std::string text;
    text.reserve(kWriteChunkSize + 4096);
    std::vector<std::uint8_t> bytes;
    if (form == ExportFileForm::Unicode5) bytes.assign(std::begin(kUtf16LeBom), std::end(kUtf16LeBom));
    auto flush = [&] {
        if (written) {
            if (form == ExportFileForm::Unicode5) {
                std::vector<std::uint8_t> units = Utf8ToUtf16LeBytes(text, false);
                bytes.insert(bytes.end(), units.begin(), units.end());
            } else {
                std::string encoded = codec.FromUtf8(text);
                bytes.insert(bytes.end(), encoded.begin(), encoded.end());
            }
            written = file->Write(bytes);
        }
        text.clear();
        bytes.clear();
    };

    text += ExportHeaderLine(form);
    text += "\r\n";
    for (State::Entry& entry : entries) {
        text += entry.text;
        if (entry.stringData) text += FormatValueData(*entry.stringData, form, codec, entry.layout);
        text += "\r\n";
        // The entry's memory goes as soon as its text is made.
        entry = State::Entry{};
        if (text.size() >= kWriteChunkSize) flush();
    }
    flush();

    Status closed = file->Close();
    if (!written) return written;
    return closed;
}

ExportFileForm RegExportWriter::Form() const {
    return state_->fitsRegedit4 ? ExportFileForm::Regedit4 : ExportFileForm::Unicode5;
}

}  // namespace kestrover
