// Text files as lines: decoding and encoding them, reading them through the file-system port,
// and replacing a file atomically so that a crash never leaves half of one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "core/TextCodec.h"
#include "platform/ports/FileSystemPort.h"

namespace kestrover {

// How a text file is stored. Files without a byte-order mark are in the ANSI code page.
enum class TextEncoding {
    Ansi,
    Utf8WithBom,
    Utf16LeWithBom,
};

// The lines of a text file, in UTF-8 without their line breaks, and the encoding the file had
// so that a rewrite keeps it.
struct TextFile {
    std::vector<std::string> lines;
    TextEncoding encoding = TextEncoding::Ansi;
};

// Bytes to lines. A UTF-8 byte-order mark (EF BB BF) means UTF-8 and FF FE means UTF-16LE;
// anything else is the ANSI code page. Lines end at CR LF, LF or a lone CR; a break at the very
// end does not start another line. Any bytes decode: bad sequences become U+FFFD.
TextFile DecodeTextFile(std::span<const std::uint8_t> bytes, const TextCodec& ansi);

// Lines to bytes: the byte-order mark of the encoding, then every line followed by CR LF.
// Characters the ANSI code page lacks become "?" and clear *lossless when given.
std::vector<std::uint8_t> EncodeTextFile(const TextFile& file, const TextCodec& ansi,
                                         bool* lossless = nullptr);

// Reads and decodes a whole file. NotFound when it does not exist; the port's error when it
// cannot be read.
Result<TextFile> ReadTextFile(FileSystemPort& fileSystem, std::string_view path,
                              const TextCodec& ansi);

// Encodes the lines and puts them in place of the file with ReplaceFileAtomically.
Status WriteTextFile(FileSystemPort& fileSystem, std::string_view path, const TextFile& file,
                     const TextCodec& ansi);

// The name of the temporary file ReplaceFileAtomically writes beside the target.
std::string TemporaryFileNameFor(std::string_view path);

// Writes the bytes to a temporary file in the target's folder, closes it (which flushes it),
// then moves it over the target. On any failure the temporary file is deleted and the error
// returned; the target is then either the old file, whole, or absent as it was.
Status ReplaceFileAtomically(FileSystemPort& fileSystem, std::string_view path,
                             std::span<const std::uint8_t> bytes);

}  // namespace kestrover
