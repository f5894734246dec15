// RegExportFormat: the per-type formatters of the export file writer, one small function per
// line part, pure enough to test on strings. Texts are UTF-8; a wrapped value holds its line
// ends ("\r\n") inside the text it returns.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/RegistryPort.h"
#include "registry/RegRoot.h"

namespace kestrover {

class TextCodec;

// The two shapes of an export file. Hex lists of string data hold the text as the file
// stores it.
enum class ExportFileForm {
    Regedit4,  // "REGEDIT4", ANSI code page, string bytes of hex(2)/hex(7) in the code page
    Unicode5,  // "Windows Registry Editor Version 5.00", UTF-16LE with BOM, string bytes UTF-16
};

// Backup files wrap long hex lists and put an empty line before every header; snapshots keep
// every value on one line so that two of them compare line by line.
enum class ExportLayout { Backup, Snapshot };

inline constexpr std::string_view kRegedit4HeaderLine = "REGEDIT4";
inline constexpr std::string_view kUnicode5HeaderLine = "Windows Registry Editor Version 5.00";
std::string_view ExportHeaderLine(ExportFileForm form);

// "[ROOT\]" for an empty path, "[ROOT" + path + "]" for a path that begins with a backslash,
// "[ROOT\path]" otherwise. A root without a name gives an empty root name.
std::string FormatKeyHeader(RegRoot root, std::string_view keyPath);

// Doubles every backslash and puts a backslash before every double quote, through the whole
// text.
std::string EscapeExportText(std::string_view text);
// "@" for the default value, otherwise the name quoted and escaped.
std::string FormatValueName(std::string_view name);

// The text of REG_SZ data when it can be written quoted: exactly one terminating zero at the
// end, no other zero, no CR or LF, an even byte count and well-formed UTF-16. Nothing when the
// data must be written as hex(1) to come back byte for byte.
std::optional<std::string> PlainStringText(std::span<const std::uint8_t> stored);

// The bytes string data (hex(1), hex(2), hex(7)) has inside a file of the form: the stored
// UTF-16LE bytes in a Unicode file; in a REGEDIT4 file each character's code-page bytes, zero
// characters as zero bytes. Nothing when a REGEDIT4 file cannot hold them exactly (a character
// the code page lacks, an odd byte count, a broken surrogate pair).
std::optional<std::vector<std::uint8_t>> StringBytesForForm(std::span<const std::uint8_t> stored,
                                                            ExportFileForm form,
                                                            const TextCodec& ansiCodePage);

// True when the text (a key path or a value name) has a place in a REGEDIT4 file.
bool TextFitsRegedit4(std::string_view text, const TextCodec& ansiCodePage);
// True when the value's data has a place in a REGEDIT4 file: its texts fit the code page.
bool DataFitsRegedit4(const RegistryData& data, const TextCodec& ansiCodePage);

// Data parts. The hex lists take the bytes as the file holds them.
// "dword:000000FF".
std::string FormatDwordData(std::uint32_t value);
// `"` + escaped text + `"`.
std::string FormatStringData(std::string_view text);
// "hex(2):" and lower-case bytes; in a backup, a break ("\", line end, three spaces) after the
// comma of every 25th byte that is not the last.
std::string FormatExpandStringData(std::span<const std::uint8_t> fileBytes, ExportLayout layout);
// "hex(7):" and upper-case bytes; in a backup, a break ("\", line end, two spaces) after the
// comma of every 25th byte, and ",\" (no continuation) when the last byte is a 25th. A
// snapshot drops the breaks but keeps that last comma.
std::string FormatMultiStringData(std::span<const std::uint8_t> fileBytes, ExportLayout layout);
// "hex:" for REG_BINARY, "hex(N):" (N lower-case hex) for any other type, and upper-case bytes;
// in a backup, a break ("\", line end) after the comma of the byte with zero-based index 25,
// 50, ... that is not the last: the first line holds 26 bytes, every further full line 25.
std::string FormatHexData(std::uint32_t type, std::span<const std::uint8_t> bytes,
                          ExportLayout layout);

// The data part of a value by its type. In a REGEDIT4 file the data must fit
// (DataFitsRegedit4); what does not is written with its stored bytes.
std::string FormatValueData(const RegistryData& data, ExportFileForm form,
                            const TextCodec& ansiCodePage, ExportLayout layout);
// Name part, "=", data part.
std::string FormatValueLine(std::string_view name, const RegistryData& data, ExportFileForm form,
                            const TextCodec& ansiCodePage, ExportLayout layout);

}  // namespace kestrover
