// Per-type formatters of export file lines: headers, names, and the data part of every type.
#include "registry/RegExportFormat.h"

#include "core/TextCodec.h"
#include "core/Unicode.h"

namespace kestrover {

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";
constexpr std::size_t kBytesPerLine = 25;

void AppendByte(std::string& out, std::uint8_t byte, const char* digits) {
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Every surrogate in a pair: the text converts to UTF-8 and back unchanged.
bool IsWellFormed(std::u16string_view units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (IsHighSurrogate(units[i])) {
            if (i + 1 == units.size() || !IsLowSurrogate(units[i + 1])) return false;
            ++i;
            continue;
        }
        if (IsLowSurrogate(units[i])) return false;
    }
    return true;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool IsStringType(std::uint32_t type) {
    return type == RegistryType::String || type == RegistryType::ExpandString ||
           type == RegistryType::MultiString;
}

// The bytes a hex list of string data shows; data that does not fit a REGEDIT4 file (the
// writer then chooses the Unicode form) falls back to its stored bytes.
std::vector<std::uint8_t> FileBytes(const RegistryData& data, ExportFileForm form,
                                    const TextCodec& ansiCodePage) {
    auto bytes = StringBytesForForm(data.bytes, form, ansiCodePage);
    return bytes ? std::move(*bytes) : data.bytes;
}

}  // namespace

std::string_view ExportHeaderLine(ExportFileForm form) {
    return form == ExportFileForm::Unicode5 ? kUnicode5HeaderLine : kRegedit4HeaderLine;
}

std::string FormatKeyHeader(RegRoot root, std::string_view keyPath) {
    std::string header = "[";
    header += RootFullName(root);
    if (keyPath.empty() || keyPath.front() != '\\') header += '\\';
    header += keyPath;
    header += ']';
    return header;
}

std::string EscapeExportText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string FormatValueName(std::string_view name) {
    if (name.empty()) return "@";
    return "\"" + EscapeExportText(name) + "\"";
}

std::optional<std::string> PlainStringText(std::span<const std::uint8_t> stored) {
    if (stored.size() < 2 || stored.size() % 2 != 0) return std::nullopt;
    std::u16string units = Utf16LeBytesToUtf16(stored.data(), stored.size());
    if (units.back() != u'\0') return std::nullopt;
    units.pop_back();
    for (char16_t unit : units) {
        if (unit == u'\0' || unit == u'\r' || unit == u'\n') return std::nullopt;
    }
    if (!IsWellFormed(units)) return std::nullopt;
    return Utf16ToUtf8(units);
}

std::optional<std::vector<std::uint8_t>> StringBytesForForm(std::span<const std::uint8_t> stored,
                                                            ExportFileForm form,
                                                            const TextCodec& ansiCodePage) {
    if (form == ExportFileForm::Unicode5) {
        return std::vector<std::uint8_t>(stored.begin(), stored.end());
    }
    if (stored.size() % 2 != 0) return std::nullopt;

    // Plain ASCII, the common case, is the low byte of every unit in every ANSI code page.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(stored.size() / 2);
    bool ascii = true;
    for (std::size_t i = 0; i < stored.size(); i += 2) {
        if (stored[i + 1] != 0 || stored[i] >= 0x80) {
            ascii = false;
            break;
        }
        bytes.push_back(stored[i]);
    }
    if (ascii) return bytes;

    std::u16string units = Utf16LeBytesToUtf16(stored.data(), stored.size());
    if (!IsWellFormed(units)) return std::nullopt;
    bool lossless = true;
    std::string encoded = ansiCodePage.FromUtf8(Utf16ToUtf8(units), &lossless);
    if (!lossless) return std::nullopt;
    return std::vector<std::uint8_t>(encoded.begin(), encoded.end());
}

bool TextFitsRegedit4(std::string_view text, const TextCodec& ansiCodePage) {
    return IsAscii(text) || ansiCodePage.CanEncode(text);
}

bool DataFitsRegedit4(const RegistryData& data, const TextCodec& ansiCodePage) {
    if (!IsStringType(data.type)) return true;
    return StringBytesForForm(data.bytes, ExportFileForm::Regedit4, ansiCodePage).has_value();
}

std::string FormatDwordData(std::uint32_t value) {
    std::string out = "dword:";
    for (int shift = 28; shift >= 0; shift -= 4) out += kUpperDigits[(value >> shift) & 0x0F];
    return out;
}

std::string FormatStringData(std::string_view text) {
    return "\"" + EscapeExportText(text) + "\"";
}

std::string FormatExpandStringData(std::span<const std::uint8_t> fileBytes, ExportLayout layout) {
    std::string out = "hex(2):";
    out.reserve(out.size() + fileBytes.size() * 3 + fileBytes.size() / kBytesPerLine * 6);
    for (std::size_t i = 0; i < fileBytes.size(); ++i) {
        AppendByte(out, fileBytes[i], kLowerDigits);
        if (i + 1 == fileBytes.size()) break;
        out += ',';
        if (layout == ExportLayout::Backup && (i + 1) % kBytesPerLine == 0) out += "\\\r\n   ";
    }
    return out;
}

std::string FormatMultiStringData(std::span<const std::uint8_t> fileBytes, ExportLayout layout) {
    std::string out = "hex(7):";
    out.reserve(out.size() + fileBytes.size() * 3 + fileBytes.size() / kBytesPerLine * 5);
    for (std::size_t i = 0; i < fileBytes.size(); ++i) {
        AppendByte(out, fileBytes[i], kUpperDigits);
        bool last = i + 1 == fileBytes.size();
        if ((i + 1) % kBytesPerLine == 0) {
            // Every 25th byte keeps its comma, the last one too; a backup breaks the line
            // there when more bytes follow. A line-continuation mark after the last byte
            // would join the next line to this value, and the system's registry editor then
            // loses the value and files the next ones under the wrong key.
            out += ',';
            if (layout == ExportLayout::Backup && !last) out += "\\\r\n  ";
            continue;
        }
        if (!last) out += ',';
    }
    return out;
}

std::string FormatHexData(std::uint32_t type, std::span<const std::uint8_t> bytes,
                          ExportLayout layout) {
    std::string out;
    if (type == RegistryType::Binary) {
        out = "hex:";
    } else {
        out = "hex(";
        bool digitSeen = false;
        for (int shift = 28; shift >= 0; shift -= 4) {
            unsigned digit = (type >> shift) & 0x0F;
            if (digit == 0 && !digitSeen && shift != 0) continue;
            digitSeen = true;
            out += kLowerDigits[digit];
        }
        out += "):";
    }
    out.reserve(out.size() + bytes.size() * 3 + bytes.size() / kBytesPerLine * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendByte(out, bytes[i], kUpperDigits);
        if (i + 1 == bytes.size()) break;
        out += ',';
        if (layout == ExportLayout::Backup && i > 0 && i % kBytesPerLine == 0) out += "\\\r\n";
    }
    return out;
}

std::string FormatValueData(const RegistryData& data, ExportFileForm form,
                            const TextCodec& ansiCodePage, ExportLayout layout) {
    switch (data.type) {
        case RegistryType::String:
            if (auto text = PlainStringText(data.bytes)) return FormatStringData(*text);
            return FormatHexData(data.type, FileBytes(data, form, ansiCodePage), layout);
        case RegistryType::ExpandString:
            return FormatExpandStringData(FileBytes(data, form, ansiCodePage), layout);
        case RegistryType::MultiString:
            return FormatMultiStringData(FileBytes(data, form, ansiCodePage), layout);
        case RegistryType::Dword:
            if (data.bytes.size() == 4) {
                std::uint32_t value = static_cast<std::uint32_t>(data.bytes[0]) |
                                      static_cast<std::uint32_t>(data.bytes[1]) << 8 |
                                      static_cast<std::uint32_t>(data.bytes[2]) << 16 |
                                      static_cast<std::uint32_t>(data.bytes[3]) << 24;
                return FormatDwordData(value);
            }
            return FormatHexData(data.type, data.bytes, layout);
        default:
            return FormatHexData(data.type, data.bytes, layout);
    }
}

std::string FormatValueLine(std::string_view name, const RegistryData& data, ExportFileForm form,
                            const TextCodec& ansiCodePage, ExportLayout layout) {
    std::string line = FormatValueName(name);
    line += '=';
    line += FormatValueData(data, form, ansiCodePage, layout);
    return line;
}

}  // namespace kestrover
