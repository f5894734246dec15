// RegExportReader: export file text to a tree of key and value nodes, and in restore mode into
// the registry, section by section, values in file order.
#include "registry/RegExportReader.h"

#include <cstdint>
#include <utility>

#include "core/KestroverError.h"
#include "core/Text.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"
#include "core/Unicode.h"

namespace kestrover {

namespace {

constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kUnicode5Header = "Windows Registry Editor Version 5.00";
// A section with more value lines than this is shown as one node (its values are still
// restored, every one of them).
constexpr std::size_t kShownValueLineLimit = 4000;
// Longest value node text; longer shown data is cut and ends in "...".
constexpr std::size_t kNodeTextLimit = 128;
constexpr std::string_view kWriteTestName = "KestroverWritingTest";
constexpr std::string_view kWriteTestText = "tt";

// How the bytes inside hex(1), hex(2) and hex(7) are to be read: code-page bytes in
// "REGEDIT4" files, UTF-16LE as stored in "Windows Registry Editor Version 5.00" files.
enum class FileForm { Regedit4, Unicode5 };

struct ExportLines {
    std::vector<std::string> lines;  // trimmed; blank, comment and format lines removed
    FileForm form = FileForm::Regedit4;
};

bool StartsWithBytes(std::span<const std::uint8_t> bytes, std::string_view prefix) {
    if (bytes.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (bytes[i] != static_cast<std::uint8_t>(prefix[i])) return false;
    }
    return true;
}

bool IsValidUtf8(std::span<const std::uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t position = 0;
    while (position < text.size()) {
        if (static_cast<unsigned char>(text[position]) < 0x80) {
            ++position;
            continue;
        }
        std::size_t start = position;
        char32_t codePoint = DecodeUtf8(text, position);
        // DecodeUtf8 gives U+FFFD for a bad sequence, after one byte; a real U+FFFD takes three.
        if (codePoint == 0xFFFD && position - start != 3) return false;
    }
    return true;
}

// Decodes the file: by its byte-order mark, and a "Windows Registry Editor Version 5.00" file
// without one by its header (UTF-16LE when the header is, UTF-8 when the bytes are valid
// UTF-8); anything else is in the ANSI code page.
TextFile DecodeExportBytes(std::span<const std::uint8_t> bytes, const TextCodec& ansi) {
    static constexpr std::uint8_t kUtf16LeBom[] = {0xFF, 0xFE};
    static constexpr std::uint8_t kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
    auto withBom = [&](std::span<const std::uint8_t> bom) {
        std::vector<std::uint8_t> copy(bom.begin(), bom.end());
        copy.insert(copy.end(), bytes.begin(), bytes.end());
        return DecodeTextFile(copy, ansi);
    };
    if (bytes.size() >= 2 && bytes[0] == 'W' && bytes[1] == 0) return withBom(kUtf16LeBom);
    if (StartsWithBytes(bytes, kUnicode5Header) && IsValidUtf8(bytes)) return withBom(kUtf8Bom);
    return DecodeTextFile(bytes, ansi);
}

// Step one of a load: all lines, trimmed, without blank lines, comment lines and the format
// line; the form from the format line (or, without one, from the encoding).
ExportLines ReadExportLines(std::span<const std::uint8_t> bytes, const TextCodec& ansi) {
    TextFile file = DecodeExportBytes(bytes, ansi);
    ExportLines result;
    result.form =
        file.encoding == TextEncoding::Ansi ? FileForm::Regedit4 : FileForm::Unicode5;
    bool formLineSeen = false;
    result.lines.reserve(file.lines.size());
    for (std::string& line : file.lines) {
        std::string_view trimmed = TrimView(line);
        if (trimmed.empty() || trimmed.front() == ';') continue;
        bool regedit4 = trimmed == kRegedit4Header;
        bool unicode5 = trimmed == kUnicode5Header;
        if (regedit4 || unicode5) {
            if (!formLineSeen) result.form = regedit4 ? FileForm::Regedit4 : FileForm::Unicode5;
            formLineSeen = true;
            continue;
        }
        // The first section header ends the place where a format line can decide the form.
        formLineSeen = true;
        if (trimmed.size() == line.size()) {
            result.lines.push_back(std::move(line));
        } else {
            result.lines.emplace_back(trimmed);
        }
    }
    return result;
}

// The root and path a section header names, when the reader may restore it: a header in
// brackets under one of the five roots a key can be written to. Every other header (another
// root, a "[-HKEY_...]" deletion header, no closing bracket, junk) is shown, never restored.
struct SectionKey {
    std::optional<RegRoot> root;
    std::string path;  // below the root, the header's one trailing backslash removed
};

SectionKey ParseSectionHeader(std::string_view header) {
    SectionKey key;
    bool bracketed = header.size() >= 2 && header.front() == '[' && header.back() == ']';
    std::string_view text = header;
    if (!text.empty() && text.front() == '[') text.remove_prefix(1);
    if (bracketed) text.remove_suffix(1);
    std::size_t backslash = text.find('\\');
    std::string_view rootName = text.substr(0, backslash);
    std::string_view path =
        backslash == std::string_view::npos ? std::string_view{} : text.substr(backslash + 1);
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    key.path = std::string(path);
    if (!bracketed) return key;
    static constexpr std::pair<std::string_view, RegRoot> kRoots[] = {
        {"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
        {"HKEY_CURRENT_USER", RegRoot::CurrentUser},
        {"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
        {"HKEY_USERS", RegRoot::Users},
        {"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
    };
    for (const auto& [name, root] : kRoots) {
        if (rootName == name) key.root = root;
    }
    return key;
}

// A key path the registry can hold: no empty component (no doubled, leading or trailing
// backslash once the header's one trailing backslash is gone).
bool IsWellFormedPath(std::string_view path) {
    if (path.empty()) return true;
    return path.front() != '\\' && path.back() != '\\' &&
           path.find("\\\\") == std::string_view::npos;
}

// Value lines.

enum class DataKind { String, Dword, Hex, Delete };

struct ValueLine {
    std::string name;
    DataKind kind = DataKind::String;
    std::uint32_t type = RegistryType::String;  // for Hex
    std::string_view data;                      // after the type tag (String: inside quotes)
};

std::size_t SkipBlanks(std::string_view line, std::size_t position) {
    while (position < line.size() && (line[position] == ' ' || line[position] == '\t')) ++position;
    return position;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The data part after "=": the kind, and the text that follows its tag. Nothing for a data
// part the reader does not know or that is cut short (a string without its closing quote).
bool ParseDataPart(std::string_view data, ValueLine& value) {
    if (!data.empty() && data.front() == '"') {
        if (data.size() < 2 || data.back() != '"') return false;
        value.kind = DataKind::String;
        value.type = RegistryType::String;
        value.data = data.substr(1, data.size() - 2);
        return true;
    }
    if (data == "-") {
        value.kind = DataKind::Delete;
        return true;
    }
    if (StartsWithNoCase(data, "dword:")) {
        value.kind = DataKind::Dword;
        value.type = RegistryType::Dword;
        value.data = data.substr(6);
        return true;
    }
    if (StartsWithNoCase(data, "hex:")) {
        value.kind = DataKind::Hex;
        value.type = RegistryType::Binary;
        value.data = data.substr(4);
        return true;
    }
    if (!StartsWithNoCase(data, "hex(")) return false;
    std::size_t close = data.find("):", 4);
    if (close == std::string_view::npos || close == 4 || close > 12) return false;
    std::uint32_t type = 0;
    for (std::size_t i = 4; i < close; ++i) {
        int digit = HexDigitValue(data[i]);
        if (digit < 0) return false;
        type = (type << 4) | static_cast<std::uint32_t>(digit);
    }
    value.kind = DataKind::Hex;
    value.type = type;
    value.data = data.substr(close + 2);
    return true;
}

// The name after the opening quote, read as escaped: "\\" and "\"" stand for the second
// character, other backslashes stay, a bare quote ends it. The position after the closing
// quote, or npos when there is none.
std::size_t ParseEscapedName(std::string_view line, std::string& name) {
    name.clear();
    for (std::size_t i = 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
            name.push_back(line[++i]);
            continue;
        }
        if (c == '"') return i + 1;
        name.push_back(c);
    }
    return std::string_view::npos;
}

// The name as files with unescaped names hold it: everything up to the next quote.
std::size_t ParseLegacyName(std::string_view line, std::string& name) {
    std::size_t close = line.find('"', 1);
    if (close == std::string_view::npos) return close;
    name.assign(line.substr(1, close - 1));
    return close + 1;
}

// After the name: optional blanks, "=", optional blanks, then a data part the reader knows.
bool ParseAfterName(std::string_view line, std::size_t position, ValueLine& value) {
    if (position == std::string_view::npos) return false;
    position = SkipBlanks(line, position);
    if (position >= line.size() || line[position] != '=') return false;
    position = SkipBlanks(line, position + 1);
    return ParseDataPart(line.substr(position), value);
}

// One value line (continuation lines already joined to it). A quoted name is read as escaped
// first; when that gives no name followed by "=" and a data part, as the unescaped name of
// older files, so that "C:\App\"="" is the value named C:\App\. Only "@" is the default value.
std::optional<ValueLine> ParseValueLine(std::string_view line) {
    ValueLine value;
    if (line.empty()) return std::nullopt;
    if (line.front() == '@') {
        if (!ParseAfterName(line, 1, value)) return std::nullopt;
        return value;
    }
    if (line.front() != '"') return std::nullopt;
    if (ParseAfterName(line, ParseEscapedName(line, value.name), value)) return value;
    if (ParseAfterName(line, ParseLegacyName(line, value.name), value)) return value;
    return std::nullopt;
}

// "\\" and "\"" stand for their second character, read in one pass from the left; any other
// backslash stays as it is.
std::string UnescapeString(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
            ++i;
        }
        result.push_back(text[i]);
    }
    return result;
}

// A dword's hexadecimal text; an unreadable number gives 0.
std::uint32_t ParseDword(std::string_view text) {
    text = TrimView(text);
    if (text.empty()) return 0;
    std::uint64_t number = 0;
    for (char c : text) {
        int digit = HexDigitValue(c);
        if (digit < 0) return 0;
        number = (number << 4) | static_cast<std::uint64_t>(digit);
        if (number > 0xFFFFFFFFu) return 0;
    }
    return static_cast<std::uint32_t>(number);
}

// The bytes of a hex list; commas, backslashes and blanks separate, a single last digit is a
// byte of its own. Nothing when the list holds anything else (a pair that is not hex).
std::optional<std::vector<std::uint8_t>> DecodeHexList(std::string_view text,
                                                       std::string& digits) {
    digits.clear();
    for (char c : text) {
        if (c == ',' || c == '\\' || static_cast<unsigned char>(c) <= 0x20) continue;
        if (HexDigitValue(c) < 0) return std::nullopt;
        digits.push_back(c);
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(digits.size() / 2 + 1);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        int value = HexDigitValue(digits[i]);
        if (i + 1 < digits.size()) value = value * 16 + HexDigitValue(digits[i + 1]);
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

bool IsTextType(std::uint32_t type) {
    return type == RegistryType::String || type == RegistryType::ExpandString ||
           type == RegistryType::MultiString;
}

// Code-page bytes of a text value, as a "REGEDIT4" file holds them, to the UTF-16LE the
// registry stores; zero bytes stay zero characters.
std::vector<std::uint8_t> CodePageToUtf16Le(const std::vector<std::uint8_t>& bytes,
                                            const TextCodec& ansi) {
    std::vector<std::uint8_t> result;
    result.reserve(bytes.size() * 2);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != 0) ++end;
        if (end > start) {
            std::string_view run(reinterpret_cast<const char*>(bytes.data()) + start, end - start);
            std::vector<std::uint8_t> units = Utf8ToUtf16LeBytes(ansi.ToUtf8(run), false);
            result.insert(result.end(), units.begin(), units.end());
        }
        if (end < bytes.size()) {
            result.push_back(0);
            result.push_back(0);
        }
        start = end + 1;
    }
    return result;
}

std::string TextUpToZero(const std::vector<std::uint8_t>& utf16le) {
    std::u16string units = Utf16LeBytesToUtf16(utf16le.data(), utf16le.size());
    std::size_t zero = units.find(u'\0');
    if (zero != std::u16string::npos) units.resize(zero);
    return Utf16ToUtf8(units);
}

std::size_t CountCodePoints(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

// The first `count` code points of a UTF-8 text.
std::string_view FirstCodePoints(std::string_view text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == count) return text.substr(0, i);
            ++seen;
        }
    }
    return text;
}

// "name=shown data", the data cut so that the whole stays within the node text limit.
std::string ValueNodeText(std::string_view shownName, std::string_view shown) {
    std::string text(shownName);
    text += '=';
    std::size_t prefixLength = CountCodePoints(text);
    if (prefixLength + CountCodePoints(shown) <= kNodeTextLimit) {
        text += shown;
        return text;
    }
    std::size_t keep = prefixLength + 3 < kNodeTextLimit ? kNodeTextLimit - prefixLength - 3 : 0;
    text += FirstCodePoints(shown, keep);
    text += "...";
    return text;
}

// Joins each value line with the continuation lines that follow it: a line continues the one
// before when that one ends in a backslash and it does not begin a value of its own.
std::vector<std::string> JoinContinuationLines(const std::vector<const std::string*>& lines) {
    std::vector<std::string> joined;
    joined.reserve(lines.size());
    bool continues = false;
    for (const std::string* line : lines) {
        bool startsValue = !line->empty() && (line->front() == '"' || line->front() == '@');
        if (continues && !startsValue && !joined.empty()) {
            joined.back() += *line;
        } else {
            joined.push_back(*line);
        }
        continues = !joined.back().empty() && joined.back().back() == '\\';
    }
    return joined;
}

// One value ready to be written and shown.
struct DecodedValue {
    RegistryData data;
    std::string shown;
};

// Nothing when the data cannot be read (a hex list with something that is not hex).
std::optional<DecodedValue> DecodeValue(const ValueLine& value, FileForm form,
                                        const TextCodec& ansi) {
    DecodedValue decoded;
    decoded.data.type = value.type;
    switch (value.kind) {
        case DataKind::Delete: return std::nullopt;
        case DataKind::String: {
            decoded.shown = UnescapeString(value.data);
            decoded.data.bytes = Utf8ToUtf16LeBytes(decoded.shown, true);
            return decoded;
        }
        case DataKind::Dword: {
            std::uint32_t number = ParseDword(value.data);
            decoded.data.bytes = {static_cast<std::uint8_t>(number),
                                  static_cast<std::uint8_t>(number >> 8),
                                  static_cast<std::uint8_t>(number >> 16),
                                  static_cast<std::uint8_t>(number >> 24)};
            decoded.shown = std::string(TrimView(value.data));
            return decoded;
        }
        case DataKind::Hex: {
            std::string digits;
            auto bytes = DecodeHexList(value.data, digits);
            if (!bytes) return std::nullopt;
            if (form == FileForm::Regedit4 && IsTextType(value.type)) {
                decoded.data.bytes = CodePageToUtf16Le(*bytes, ansi);
            } else {
                decoded.data.bytes = std::move(*bytes);
            }
            if (value.type == RegistryType::String || value.type == RegistryType::ExpandString) {
                decoded.shown = TextUpToZero(decoded.data.bytes);
            } else {
                decoded.shown = std::move(digits);
            }
            return decoded;
        }
    }
    return std::nullopt;
}

}  // namespace

RegExportReader::RegExportReader(RegistryContext& registry, FileSystemPort& fileSystem)
    : registry_(registry), fileSystem_(fileSystem) {}

Status RegExportReader::LoadExportFile(std::string_view path, LoadMode mode) {
    nodes_.clear();
    failed_ = false;
    sectionsAbandoned_ = false;
    stopRequested_ = false;

    auto bytes = fileSystem_.ReadFile(path);
    if (!bytes) return bytes.error();
    const TextCodec& ansi = registry_.ansiCodePage ? *registry_.ansiCodePage : Windows1252();
    ExportLines file = ReadExportLines(bytes.value(), ansi);
    bytes.value().clear();
    bytes.value().shrink_to_fit();

    const std::vector<std::string>& lines = file.lines;
    const std::size_t count = lines.size();
    if (progress) progress(0, count);

    std::size_t index = 0;
    std::vector<const std::string*> valueLines;
    while (index < count && !stopRequested_) {
        if (pumpMessages) pumpMessages();

        // The section: the header and the value lines up to the next other header; repeats
        // of the same header inside it merge.
        const std::string& header = lines[index];
        valueLines.clear();
        std::size_t next = index + 1;
        for (; next < count; ++next) {
            const std::string& line = lines[next];
            if (line == header) continue;
            if (line.front() == '[') break;
            valueLines.push_back(&line);
        }

        ExportNode& keyNode = nodes_.emplace_back();
        keyNode.text = header;
        if (progress) progress(next, count);
        SectionKey key = ParseSectionHeader(header);
        keyNode.root = key.root;
        keyNode.keyPath = key.path;
        index = next;

        // Prepare the key: create it when missing (a key that refuses access exists), else
        // prove it writable with a test value.
        RegistryProvider provider(registry_);
        bool writing = false;
        if (mode == LoadMode::Restore && key.root) {
            provider.SetRootKey(*key.root);
            std::string absolute = "\\" + key.path;
            if (!IsWellFormedPath(key.path)) {
                // No key has this name; the provider would fold it into another one.
                keyNode.status = ExportNodeStatus::Failed;
            } else if (!provider.KeyExists(absolute)) {
                writing = provider.OpenKey(absolute, true);
                keyNode.status = writing ? ExportNodeStatus::Created : ExportNodeStatus::Failed;
            } else if (provider.OpenKey(absolute, false)) {
                try {
                    provider.WriteString(kWriteTestName, kWriteTestText);
                    provider.DeleteValue(kWriteTestName);
                    writing = true;
                } catch (const KestroverError&) {
                }
                keyNode.status = writing ? ExportNodeStatus::Writable : ExportNodeStatus::Failed;
            } else {
                keyNode.status = ExportNodeStatus::Failed;
            }
            if (!writing) failed_ = true;
        }

        // A section too long to show is one node; its values are still all restored.
        bool shown = valueLines.size() <= kShownValueLineLimit;
        if (!shown) {
            ExportNode& tooLong = keyNode.children.emplace_back();
            tooLong.text = valueLines.front()->substr(1) + tooLongText;
            tooLong.status = ExportNodeStatus::TooLong;
            if (!writing) continue;
        }

        // A value that cannot be read or that the registry refuses ends the writing of the
        // section; the rest of it is still shown, as not restored.
        for (const std::string& line : JoinContinuationLines(valueLines)) {
            if (pumpMessages) pumpMessages();
            auto value = ParseValueLine(line);
            // Deletion lines ("name"=-) are left alone: a restore never deletes.
            if (!value || value->kind == DataKind::Delete) continue;
            auto decoded = DecodeValue(*value, file.form, ansi);
            bool written = false;
            if (!decoded) {
                keyNode.abandoned = true;
                writing = false;
            } else if (writing) {
                try {
                    provider.WriteRawValue(value->name, decoded->data.type, decoded->data.bytes);
                    written = true;
                } catch (const KestroverError&) {
                    keyNode.abandoned = true;
                    writing = false;
                }
            }
            if (!shown) {
                if (!writing) break;
                continue;
            }
            ExportNode& valueNode = keyNode.children.emplace_back();
            valueNode.text = ValueNodeText(
                value->name.empty() ? std::string_view(defaultText) : std::string_view(value->name),
                decoded ? std::string_view(decoded->shown) : TrimView(value->data));
            valueNode.status = written ? ExportNodeStatus::Restored : ExportNodeStatus::ViewOnly;
        }
        if (keyNode.abandoned) sectionsAbandoned_ = true;
    }

    if (progress) progress(0, 0);
    return {};
}

}  // namespace kestrover
