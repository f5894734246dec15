// The language files that ship with the program: English and French hold the same keys, English
// gives every caption of the window its built-in text, and both are read exactly as written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "core/IniReader.h"
#include "core/Text.h"
#include "core/TextFile.h"
#include "gui/Captions.h"
#include "gui/LanguageFile.h"
#include "platform/memory/MemoryFileSystem.h"

namespace kestrover::gui {
namespace {

constexpr std::string_view kFolder = "C:\\Kestrover\\languages\\";

std::filesystem::path LanguagesFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "data" /
           "languages";
}

std::string ReadHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Section names and keys compare without regard to case, as the reader finds them.
using KeySet = std::map<std::string, std::set<std::string>>;

class LanguageFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"English.lng", "French.lng"}) {
            const std::string content = ReadHostFile(LanguagesFolder() / name);
            ASSERT_FALSE(content.empty()) << name << " not found in " << LanguagesFolder();
            shipped_[name] = content;
            ASSERT_TRUE(files_.AddFile(std::string(kFolder) + name, content).ok());
        }
    }

    // The file opened with the reader the program uses.
    IniReader Open(const std::string& name) {
        IniReader reader(files_, Windows1252());
        EXPECT_TRUE(reader.Open(std::string(kFolder) + name).ok()) << name;
        return reader;
    }

    KeySet Keys(const std::string& name) {
        const IniReader reader = Open(name);
        KeySet keys;
        for (const std::string& section : reader.ReadSectionNames()) {
            std::set<std::string>& names = keys[AsciiLower(section)];
            for (const IniEntry& entry : reader.ReadSection(section)) {
                EXPECT_FALSE(entry.value.empty()) << name << " [" << section << "] " << entry.key;
                names.insert(AsciiLower(entry.key));
            }
        }
        return keys;
    }

    void Apply(const std::string& name, CaptionTable& captions, CategoryTexts& categories) {
        const IniReader reader = Open(name);
        ApplyLanguage(reader, captions, categories);
    }

    MemoryFileSystem files_;
    std::map<std::string, std::string> shipped_;
};

std::string Describe(const KeySet& keys) {
    std::string text;
    for (const auto& [section, names] : keys) {
        for (const std::string& key : names) text += " [" + section + "] " + key;
    }
    return text;
}

// What the first set has and the second lacks.
KeySet Missing(const KeySet& from, const KeySet& in) {
    KeySet missing;
    for (const auto& [section, names] : from) {
        const auto found = in.find(section);
        for (const std::string& key : names) {
            if (found == in.end() || found->second.count(key) == 0) missing[section].insert(key);
        }
    }
    return missing;
}

TEST_F(LanguageFilesTest, EnglishAndFrenchHoldTheSameKeys) {
    const KeySet english = Keys("English.lng");
    const KeySet french = Keys("French.lng");
    EXPECT_TRUE(Missing(english, french).empty()) << "French.lng lacks" << Describe(Missing(english, french));
    EXPECT_TRUE(Missing(french, english).empty()) << "English.lng lacks" << Describe(Missing(french, english));
    for (const char* name : {"English.lng", "French.lng"}) {
        const IniReader reader = Open(name);
        EXPECT_FALSE(reader.ReadValue("", "LanguageName", "", KeepWide::Yes).empty()) << name;
        EXPECT_FALSE(reader.ReadValue("", "LanguageAuthor", "", KeepWide::Yes).empty()) << name;
    }
    EXPECT_EQ(Open("French.lng").ReadValue("", "LanguageName", "", KeepWide::Yes),
              "Fran\xC3\xA7" "ais");
}

// A key the window reads that English.lng lacks would keep the previous language's text after
// a switch back to English. (A value is trimmed when it is read, so a built-in text's trailing
// blank is no difference.)
TEST_F(LanguageFilesTest, EnglishGivesEveryCaptionItsBuiltInText) {
    const KeySet english = Keys("English.lng");
    for (std::size_t index = 0; index < static_cast<std::size_t>(CaptionId::Count); ++index) {
        const CaptionEntry& entry = CaptionTable::Entry(static_cast<CaptionId>(index));
        if (entry.section.empty()) continue;
        const auto section = english.find(AsciiLower(entry.section));
        EXPECT_TRUE(section != english.end() && section->second.count(AsciiLower(entry.key)) == 1)
            << "English.lng lacks [" << entry.section << "] " << entry.key;
    }

    CaptionTable captions;
    CategoryTexts categories = CategoryTexts::Defaults();
    Apply("English.lng", captions, categories);
    const CaptionTable defaults;
    for (std::size_t index = 0; index < static_cast<std::size_t>(CaptionId::Count); ++index) {
        const auto id = static_cast<CaptionId>(index);
        EXPECT_EQ(captions.Text(id), Trim(defaults.Text(id)))
            << "[" << CaptionTable::Entry(id).section << "] " << CaptionTable::Entry(id).key;
    }
    EXPECT_EQ(categories.categories, CategoryTexts::Defaults().categories);
}

TEST_F(LanguageFilesTest, SwitchingToFrenchAndBackRestoresEveryText) {
    CaptionTable captions;
    CategoryTexts categories = CategoryTexts::Defaults();
    Apply("French.lng", captions, categories);
    EXPECT_EQ(captions.Text(CaptionId::btRegistry), "Registre");
    EXPECT_EQ(categories.categories[1], "Le fichier ou le chemin n'existe pas");
    EXPECT_NE(captions.Text(CaptionId::dbConfirmDelete), CaptionTable().Text(CaptionId::dbConfirmDelete));

    Apply("English.lng", captions, categories);
    const CaptionTable defaults;
    for (std::size_t index = 0; index < static_cast<std::size_t>(CaptionId::Count); ++index) {
        const auto id = static_cast<CaptionId>(index);
        EXPECT_EQ(captions.Text(id), Trim(defaults.Text(id))) << CaptionTable::Entry(id).key;
    }
    EXPECT_EQ(categories.categories, CategoryTexts::Defaults().categories);
}

// The reader tidies a file it opens and writes it back when that changed it; a shipped file
// must already be tidy, or every start would rewrite it (and fail to, in Program Files).
// English is plain ASCII, the same in every ANSI code page; French says it is UTF-8.
TEST_F(LanguageFilesTest, ShippedFilesAreReadAsWrittenAndEveryLineMeansSomething) {
    for (const auto& [name, content] : shipped_) {
        SCOPED_TRACE(name);
        (void)Open(name);
        Result<std::vector<std::uint8_t>> after = files_.ReadFile(std::string(kFolder) + name);
        ASSERT_TRUE(after.ok());
        EXPECT_EQ(std::string(after->begin(), after->end()), content) << "the reader rewrote it";

        const std::span<const std::uint8_t> bytes(
            reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
        const TextFile file = DecodeTextFile(bytes, Windows1252());
        if (name == "English.lng") {
            EXPECT_EQ(file.encoding, TextEncoding::Ansi);
            for (char character : content) EXPECT_LT(static_cast<unsigned char>(character), 0x80);
        } else {
            EXPECT_EQ(file.encoding, TextEncoding::Utf8WithBom);
        }
        for (const std::string& line : file.lines) {
            const bool meaningful = line.starts_with(';') ||
                                    (line.starts_with('[') && line.ends_with(']')) ||
                                    line.find('=') != std::string::npos;
            EXPECT_TRUE(meaningful) << line;
            EXPECT_EQ(line.find("\xEF\xBF\xBD"), std::string::npos) << "not valid text: " << line;
        }
    }
}

TEST(LanguageTextTest, BackslashNIsALineBreak) {
    struct Case {
        const char* value;
        const char* text;
    } cases[] = {
        {"One line", "One line"},
        {"First\\nSecond", "First\r\nSecond"},
        {"Gap\\n\\nAfter", "Gap\r\n\r\nAfter"},
        {"Ends with \\", "Ends with \\"},
        {"C:\\Temp", "C:\\Temp"},
        {"\\n", "\r\n"},
    };
    for (const Case& value : cases) EXPECT_EQ(LanguageText(value.value), value.text) << value.value;
}

TEST(LanguageTextTest, AMnemonicMarkLeavesTheLabel) {
    struct Case {
        const char* caption;
        const char* label;
    } cases[] = {
        {"&Registry", "Registry"},
        {"Select &All", "Select All"},
        {"Tom && Jerry", "Tom & Jerry"},
        {"Ends with &", "Ends with &"},
        {"No mark", "No mark"},
    };
    for (const Case& caption : cases) {
        EXPECT_EQ(WithoutMnemonic(caption.caption), caption.label) << caption.caption;
    }
}

}  // namespace
}  // namespace kestrover::gui
