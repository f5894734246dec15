// Language files against the in-memory file system: what a file replaces, what it leaves, and
// the language menu's list.
#include <gtest/gtest.h>

#include <chrono>

#include "core/IniReader.h"
#include "core/TextCodec.h"
#include "gui/LanguageFile.h"
#include "platform/memory/MemoryFileSystem.h"
#include "gui/JunkLanguageFile.h"

namespace kestrover::gui {
namespace {

constexpr std::string_view kFolder = "C:\\Kestrover\\languages\\";

class LanguageFileTest : public ::testing::Test {
protected:
    // Applies the file's text to the captions and category texts kept by the fixture.
    void Apply(std::string_view content) {
        const std::string path = std::string(kFolder) + "Test.lng";
        ASSERT_TRUE(files_.AddFile(path, content).ok());
        IniReader reader(files_, Windows1252());
        ASSERT_TRUE(reader.Open(path).ok());
        ApplyLanguage(reader, captions_, categories_);
    }

    MemoryFileSystem files_;
    CaptionTable captions_;
    CategoryTexts categories_ = CategoryTexts::Defaults();
};

TEST_F(LanguageFileTest, ReplacesOnlyTheKeysTheFileHas) {
    Apply("LanguageName=Partial\r\n[bigbutton]\r\nbtRegistry=Registre\r\n");
    EXPECT_EQ(captions_.Text(CaptionId::btRegistry), "Registre");
    EXPECT_EQ(captions_.Text(CaptionId::btAbout), "About");
    EXPECT_EQ(captions_.Text(CaptionId::btSelectAll), "Select All");
    EXPECT_EQ(categories_.categories[1], "File or Path does not exist");
}

TEST_F(LanguageFileTest, FilesThatStillGiveAWorkingTable) {
    std::string junk = "LanguageName=Junk\r\n";
    for (int line = 0; line < 10000; ++line) junk += "#@!junk line " + std::to_string(line) + "\r\n";
    junk += "[buttons]\r\nbtSelectAll=Tout\r\n";
    struct Case {
        const char* what;
        std::string content;
        CaptionId id;
        const char* expected;
    } cases[] = {
        {"a section written with a trailing blank", "[buttons ]\r\nbtSelectAll=Tout\r\n",
         CaptionId::btSelectAll, "Tout"},
        {"blanks around the equals sign", "[buttons]\r\nbtSelectAll = Tout \r\n",
         CaptionId::btSelectAll, "Tout"},
        {"an empty value keeps the text", "[buttons]\r\nbtSelectAll=\r\n", CaptionId::btSelectAll,
         "Select All"},
        {"10 000 junk lines", junk, CaptionId::btSelectAll, "Tout"},
        {"a key in another section", "[bigbutton]\r\nbtSelectAll=Tout\r\n",
         CaptionId::btSelectAll, "Select All"},
        {"no sections at all", "btSelectAll=Tout\r\n", CaptionId::btSelectAll, "Select All"},
        {"characters outside the code page", "\xEF\xBB\xBF[bigbutton]\r\nbtAbout=\xC3\x80 propos\r\n",
         CaptionId::btAbout, "\xC3\x80 propos"},
    };
    for (const Case& file : cases) {
        SCOPED_TRACE(file.what);
        captions_ = CaptionTable();
        Apply(file.content);
        EXPECT_EQ(captions_.Text(file.id), file.expected);
        EXPECT_EQ(captions_.Text(CaptionId::btRegistry), "Registry");
    }
}

// Random bytes, NUL bytes, invalid UTF-8, long lines and sections of no meaning: the valid texts
// among them apply, every other caption keeps its text, and reading the file takes no time
// worth speaking of (no search of the whole file for every key).
TEST_F(LanguageFileTest, TenThousandJunkLinesGiveTheirValidTextsQuickly) {
    for (const char* encoding : {"ANSI", "UTF-8"}) {
        SCOPED_TRACE(encoding);
        std::string content = testing_junk::JunkLanguageFile();
        if (std::string_view(encoding) == "UTF-8") content = "\xEF\xBB\xBF" + content;
        captions_ = CaptionTable();
        categories_ = CategoryTexts::Defaults();
        const auto start = std::chrono::steady_clock::now();
        Apply(content);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 1000);

        const CaptionTable defaults;
        for (std::size_t index = 0; index < static_cast<std::size_t>(CaptionId::Count); ++index) {
            const auto id = static_cast<CaptionId>(index);
            const std::string expected = id == CaptionId::btRegistry    ? "Registre"
                                         : id == CaptionId::btSelectAll ? "Tout"
                                                                        : defaults.Text(id);
            EXPECT_EQ(captions_.Text(id), expected) << CaptionTable::Entry(id).key;
        }
        EXPECT_EQ(categories_.categories[1], "Fichier absent");
        EXPECT_EQ(categories_.categories[0], CategoryTexts::Defaults().categories[0]);
    }
}

TEST_F(LanguageFileTest, SwitchingKeepsTheFirstLanguageWhereTheSecondIsSilent) {
    Apply("[bigbutton]\r\nbtRegistry=Registre\r\nbtAbout=A propos\r\n"
          "[listbox messages]\r\nlbFILE=Fichier absent\r\nlbEXTENSION=Extension inutile\r\n");
    Apply("[bigbutton]\r\nbtAbout=Info\r\n[listbox messages]\r\nlbEXTENSION=Unused\r\n");
    EXPECT_EQ(captions_.Text(CaptionId::btRegistry), "Registre");
    EXPECT_EQ(captions_.Text(CaptionId::btAbout), "Info");
    EXPECT_EQ(categories_.categories[1], "Fichier absent");
    EXPECT_EQ(categories_.categories[4], "Unused");
}

TEST(LanguageMenuCaptionTest, FileNameBetweenTheBrackets) {
    struct Case {
        const char* caption;
        std::optional<std::string> file;
    } cases[] = {
        {"Fran\xC3\xA7" "ais [French.lng]", "French.lng"},
        {"Name [a].lng] [b.lng]", "a"},
        {"English", std::nullopt},
        {"Open [English.lng", std::nullopt},
        {"Empty []", std::nullopt},
        {"Escape [..\\..\\lang.ini]", std::nullopt},
        {"Drive [C:evil.lng]", std::nullopt},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(LanguageFileOfCaption(item.caption), item.file) << item.caption;
    }
    EXPECT_EQ(LanguageFileOfCaption(LanguageMenuCaption({"English", "English.lng", ""})),
              "English.lng");
}

TEST(ListLanguagesTest, EveryFileOnceSortedByCaptionWithItsFlag) {
    MemoryFileSystem files;
    const std::string folder(kFolder);
    ASSERT_TRUE(files.AddFile(folder + "English.lng", "LanguageName=English\r\n").ok());
    ASSERT_TRUE(files.AddFile(folder + "British.lng", "LanguageName=English\r\n").ok());
    ASSERT_TRUE(files.AddFile(folder + "Nameless.lng", "[bigbutton]\r\nbtAbout=x\r\n").ok());
    ASSERT_TRUE(files.AddFile(folder + "English.bmp", "BM").ok());
    ASSERT_TRUE(files.AddFile(folder + "unknown.bmp", "BM").ok());
    ASSERT_TRUE(files.AddFile(folder + "notes.txt", "LanguageName=Notes\r\n").ok());
    ASSERT_TRUE(files.AddDirectories(folder + "Folder.lng").ok());

    const std::vector<LanguageChoice> choices = ListLanguages(files, Windows1252(), folder);
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(LanguageMenuCaption(choices[0]), "English [British.lng]");
    EXPECT_EQ(LanguageMenuCaption(choices[1]), "English [English.lng]");
    EXPECT_EQ(LanguageMenuCaption(choices[2]), "Nameless.lng [Nameless.lng]");
    EXPECT_EQ(choices[0].flagPath, folder + "unknown.bmp");
    EXPECT_EQ(choices[1].flagPath, folder + "English.bmp");

    EXPECT_TRUE(ListLanguages(files, Windows1252(), "C:\\Missing\\").empty());
}

}  // namespace
}  // namespace kestrover::gui
