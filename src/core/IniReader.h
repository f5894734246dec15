// IniReader: the one reader of settings files (lang.ini, language files, profiles.ini, …).
// Opening a file tidies it on disk first; values are then read by section and key, or, without
// a section, by the first characters of a line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "core/TextCodec.h"
#include "platform/ports/FileSystemPort.h"

namespace kestrover {

// Whether a value keeps every character (language files) or only those the ANSI code page
// has, the others reading as "?" (settings meant for the ANSI functions).
enum class KeepWide { No, Yes };

struct IniEntry {
    std::string key;
    std::string value;
};

class IniReader {
public:
    IniReader(FileSystemPort& fileSystem, const TextCodec& ansiCodePage);

    // Closes any open file, then opens fileName. A missing file gives NotFound and a file that
    // cannot be read gives the port's error; in both cases no file is open and every read
    // returns its default. Any file but "kvplug.ini" is first tidied on disk: empty lines go
    // and blanks around the first equals sign of a line go. A failure to write the tidied file
    // back does not stop the reading; rewriteError() keeps it.
    Status Open(std::string_view fileName);
    // Forgets the open file; later reads return their defaults until the next Open.
    void Close();
    bool IsOpen() const { return open_; }
    // Why the last Open could not write its tidied file back, if it could not.
    const std::optional<Error>& rewriteError() const { return rewriteError_; }

    // With an empty section: the first line of the file that begins with key (ignoring ASCII
    // case) gives the text after its first equals sign, trimmed (nothing when it has none).
    // With a section: the value of key in [section], or, when that is empty, in
    // [section + " "]. Section and key names ignore ASCII case; the first of two equal keys
    // wins. Without KeepWide::Yes the value goes to the ANSI code page and back. An empty
    // result, or no open file, gives defaultValue.
    std::string ReadValue(std::string_view section, std::string_view key,
                          std::string_view defaultValue, KeepWide keepWide) const;

    // Section names in file order, each once, as first written.
    std::vector<std::string> ReadSectionNames() const;
    // Keys and values of a section in file order, each key once (the first), values in full;
    // a section missing by its name is looked for with a trailing blank, as ReadValue does.
    std::vector<IniEntry> ReadSection(std::string_view section) const;

private:
    struct Section {
        std::string name;
        std::vector<IniEntry> entries;
    };

    void Parse();
    const Section* FindSection(std::string_view name) const;
    std::string SectionValue(std::string_view section, std::string_view key) const;
    std::string LineValue(std::string_view key) const;

    FileSystemPort& fileSystem_;
    const TextCodec& ansi_;
    bool open_ = false;
    std::optional<Error> rewriteError_;
    std::vector<std::string> lines_;
    std::vector<Section> sections_;
};

}  // namespace kestrover
