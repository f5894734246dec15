// Text files as lines in UTF-8, stored in the ANSI code page, UTF-8 or UTF-16LE.
#include "core/TextFile.h"

#include <memory>

#include "core/Unicode.h"

namespace kestrover {

namespace {

constexpr std::uint8_t kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint8_t kUtf16LeBom[] = {0xFF, 0xFE};

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix) {
    if (bytes.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (bytes[i] != prefix[i]) return false;
    }
    return true;
}

// Text that claims to be UTF-8 may not be: every bad sequence becomes U+FFFD so that the rest
// of the program only ever sees valid UTF-8.
std::string ValidUtf8(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        unsigned char byte = static_cast<unsigned char>(text[position]);
        if (byte < 0x80) {
            result.push_back(static_cast<char>(byte));
            ++position;
            continue;
        }
        AppendUtf8(result, DecodeUtf8(text, position));
    }
    return result;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        char c = text[position];
        if (c != '\r' && c != '\n') {
            ++position;
            continue;
        }
        lines.emplace_back(text.substr(start, position - start));
        ++position;
        if (c == '\r' && position < text.size() && text[position] == '\n') ++position;
        start = position;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

TextFile DecodeTextFile(std::span<const std::uint8_t> bytes, const TextCodec& ansi) {
    TextFile file;
    if (StartsWith(bytes, kUtf8Bom)) {
        file.encoding = TextEncoding::Utf8WithBom;
        file.lines = SplitLines(ValidUtf8(AsText(bytes.subspan(std::size(kUtf8Bom)))));
        return file;
    }
    if (StartsWith(bytes, kUtf16LeBom)) {
        file.encoding = TextEncoding::Utf16LeWithBom;
        auto body = bytes.subspan(std::size(kUtf16LeBom));
        file.lines = SplitLines(Utf16LeBytesToUtf8(body.data(), body.size()));
        return file;
    }
    file.encoding = TextEncoding::Ansi;
    file.lines = SplitLines(ansi.ToUtf8(AsText(bytes)));
    return file;
}

std::vector<std::uint8_t> EncodeTextFile(const TextFile& file, const TextCodec& ansi,
                                         bool* lossless) {
    std::string text;
    for (const std::string& line : file.lines) {
        text += line;
        text += "\r\n";
    }
    std::vector<std::uint8_t> bytes;
    switch (file.encoding) {
        case TextEncoding::Ansi: {
            std::string encoded = ansi.FromUtf8(text, lossless);
            bytes.assign(encoded.begin(), encoded.end());
            return bytes;
        }
        case TextEncoding::Utf8WithBom: {
            bytes.assign(std::begin(kUtf8Bom), std::end(kUtf8Bom));
            // Lines held in memory are UTF-8, but one built from outside data may carry a bad
            // sequence; the file gets U+FFFD for it, as a reader would see it.
            std::string valid = ValidUtf8(text);
            if (lossless != nullptr && valid != text) *lossless = false;
            bytes.insert(bytes.end(), valid.begin(), valid.end());
            return bytes;
        }
        case TextEncoding::Utf16LeWithBom: {
            bytes.assign(std::begin(kUtf16LeBom), std::end(kUtf16LeBom));
            std::vector<std::uint8_t> units = Utf8ToUtf16LeBytes(text, false);
            if (lossless != nullptr && ValidUtf8(text) != text) *lossless = false;
            bytes.insert(bytes.end(), units.begin(), units.end());
            return bytes;
        }
    }
    return bytes;
}

Result<TextFile> ReadTextFile(FileSystemPort& fileSystem, std::string_view path,
                              const TextCodec& ansi) {
    Result<std::vector<std::uint8_t>> bytes = fileSystem.ReadFile(path);
    if (!bytes) return bytes.error();
    return DecodeTextFile(*bytes, ansi);
}

Status WriteTextFile(FileSystemPort& fileSystem, std::string_view path, const TextFile& file,
                     const TextCodec& ansi) {
    return ReplaceFileAtomically(fileSystem, path, EncodeTextFile(file, ansi));
}

std::string TemporaryFileNameFor(std::string_view path) { return std::string(path) + ".tmp~"; }

Status ReplaceFileAtomically(FileSystemPort& fileSystem, std::string_view path,
                             std::span<const std::uint8_t> bytes) {
    std::string temporary = TemporaryFileNameFor(path);
    Result<std::unique_ptr<FileWriter>> created = fileSystem.CreateFile(temporary);
    if (!created) return created.error();

    std::unique_ptr<FileWriter> writer = std::move(*created);
    auto abandon = [&](const Error& error) -> Status {
        // The writer must be gone before the delete: Windows does not delete an open file.
        writer.reset();
        (void)fileSystem.DeleteFile(temporary);
        return error;
    };

    if (Status written = writer->Write(bytes); !written) return abandon(written.error());
    if (Status closed = writer->Close(); !closed) return abandon(closed.error());
    writer.reset();
    if (Status moved = fileSystem.MoveFile(temporary, path, ExistingTarget::Replace); !moved) {
        return abandon(moved.error());
    }
    return {};
}

}  // namespace kestrover
