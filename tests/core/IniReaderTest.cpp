// Tests of IniReader: tidying files on open, reads by line prefix and by section, the code-page
// round trip, and files that are missing, unreadable, huge or not text at all.
#include "core/IniReader.h"

#include <gtest/gtest.h>

#include "core/FaultyFileSystem.h"
#include "platform/memory/MemoryFileSystem.h"

namespace kestrover {
namespace {

using testing_support::FaultyFileSystem;

constexpr const char* kLangIni = "C:\\Kestrover\\lang.ini";

class IniReaderTest : public testing::Test {
protected:
    // Writes the file, opens it, and expects the open to succeed.
    void OpenWith(std::string_view content, const char* path = kLangIni) {
        ASSERT_TRUE(files.AddFile(path, content));
        Status opened = reader.Open(path);
        ASSERT_TRUE(opened) << opened.error().Describe();
        ASSERT_TRUE(reader.IsOpen());
    }

    std::string Content(std::string_view path = kLangIni) {
        Result<std::vector<std::uint8_t>> bytes = files.ReadFile(path);
        if (!bytes) return "<" + bytes.error().Describe() + ">";
        return {bytes->begin(), bytes->end()};
    }

    std::string Read(std::string_view section, std::string_view key,
                     KeepWide keepWide = KeepWide::No) {
        return reader.ReadValue(section, key, "<default>", keepWide);
    }

    MemoryFileSystem files;
    IniReader reader{files, Windows1252()};
};

TEST_F(IniReaderTest, OpenTidiesTheFileOnDisk) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"empty lines and blanks around the equals sign",
         "current_lang = English.lng\r\n\r\nposx = 100\r\n\r\n\r\nposy=  20  \r\n",
         "current_lang=English.lng\r\nposx=100\r\nposy=20\r\n"},
        {"only the first equals sign counts", "url =  a = b \r\n", "url=a = b\r\n"},
        {"a line of blanks is not empty and has no equals sign: it stays",
         "a=1\r\n   \r\n\tb = 2\r\n", "a=1\r\n   \r\nb=2\r\n"},
        {"headers and other lines without an equals sign stay as they are",
         "  [General ]  \r\n  just text  \r\n", "  [General ]  \r\n  just text  \r\n"},
        {"an equals sign alone", " = \r\n", "=\r\n"},
        {"lone LF and CR line breaks become CR LF", "a = 1\nb = 2\rc = 3", "a=1\r\nb=2\r\nc=3\r\n"},
        {"nothing but empty lines", "\r\n\r\n\n\r", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenWith(c.before);
        EXPECT_EQ(Content(), c.after);
        EXPECT_FALSE(reader.rewriteError());
        EXPECT_FALSE(files.FileExists(std::string(kLangIni) + ".tmp~"));
    }
}

TEST_F(IniReaderTest, TidyFileIsNotRewritten) {
    // Its lone LF breaks would have become CR LF had it been written again.
    const std::string tidy = "current_lang=English.lng\nposx=5\n  [General]\n";
    OpenWith(tidy);
    EXPECT_EQ(Content(), tidy);
    // And a tidied file is tidy: opening it again changes nothing.
    OpenWith("a = 1\r\n\r\nb = 2\r\n");
    std::string once = Content();
    ASSERT_TRUE(reader.Open(kLangIni));
    EXPECT_EQ(Content(), once);
}

TEST_F(IniReaderTest, TidyingKeepsTheFileEncoding) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"ANSI", "name = caf\xE9\r\n\r\n", "name=caf\xE9\r\n"},
        {"UTF-8", "\xEF\xBB\xBFname = \xE6\x97\xA5\r\n\r\n", "\xEF\xBB\xBFname=\xE6\x97\xA5\r\n"},
        {"UTF-16LE", std::string("\xFF\xFE" "a\0 \0=\0\r\0\n\0\r\0\n\0", 16),
         std::string("\xFF\xFE" "a\0=\0\r\0\n\0", 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenWith(c.before);
        EXPECT_EQ(Content(), c.after);
    }
}

TEST_F(IniReaderTest, KvplugIniIsNeverRewritten) {
    const std::string untidy = "\r\nposx = 7\r\n\r\n[General]\r\n key = value \r\n";
    for (const char* path : {"C:\\Kestrover\\kvplug.ini", "C:\\Kestrover\\KVPLUG.INI",
                             "C:\\Kestrover\\KvPlug.Ini", "C:/Kestrover/kvplug.ini"}) {
        SCOPED_TRACE(path);
        OpenWith(untidy, path);
        EXPECT_EQ(Content(path), untidy);
        // Its values are still read: the raw lines for an empty section, trimmed INI values.
        EXPECT_EQ(Read("", "posx"), "7");
        EXPECT_EQ(Read("General", "key"), "value");
    }
    // Only the name itself counts, not a name that ends like it or a folder called so.
    for (const char* path : {"C:\\Kestrover\\my-kvplug.ini", "C:\\kvplug.ini\\lang.ini",
                             "C:\\Kestrover\\kvplug.ini.bak"}) {
        SCOPED_TRACE(path);
        OpenWith(untidy, path);
        EXPECT_EQ(Content(path), "posx=7\r\n[General]\r\nkey=value\r\n");
    }
}

TEST_F(IniReaderTest, EmptySectionMatchesTheFirstLineThatStartsWithTheKey) {
    OpenWith(
        "current_lang = Fran\xE7" "ais.lng\r\n"
        "posx2 = 5\r\n"
        "posx = 100\r\n"
        "POSY=  42  \r\n"
        "width\r\n"
        "width = 800\r\n"
        "url = http://x/?a=b\r\n"
        "height =\r\n"
        "[Section]\r\n"
        "inside = 9\r\n");
    struct Case {
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"posx", "5"},                     // "posx2" comes first and starts with "posx"
        {"posx2", "5"},
        {"posy", "42"},                    // key case ignored, value trimmed
        {"PosY", "42"},
        {"width", "<default>"},            // the first match has no equals sign: empty value
        {"url", "http://x/?a=b"},          // after the first equals sign
        {"height", "<default>"},           // empty value
        {"inside", "9"},                   // sections do not matter to raw lines
        {"current_lang", "Fran\xC3\xA7" "ais.lng"},
        {"posxx", "<default>"},
        {"missing", "<default>"},
        {"p", "5"},                        // one character is a prefix too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(Read("", c.key), c.expected);
    }
}

TEST_F(IniReaderTest, SectionValues) {
    OpenWith(
        "orphan = 1\r\n"
        "[General]\r\n"
        "StartWithLastProfile = 1\r\n"
        "Path = first\r\n"
        "PATH = second\r\n"
        "; comment = no\r\n"
        "empty =\r\n"
        "[Profile0]\r\n"
        "Path = Profiles/abc.default\r\n"
        "[general]\r\n"
        "later = merged\r\n"
        "path = third\r\n"
        "[Texts ]\r\n"
        "btOk = OK!\r\n"
        "empty = from the blank section\r\n"
        "[Texts]\r\n"
        "btCancel = Cancel!\r\n"
        "empty =\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"General", "StartWithLastProfile", "1"},
        {"GENERAL", "startwithlastprofile", "1"},
        {"General", "Path", "first"},                   // the first of equal keys wins
        {"General", "later", "merged"},                 // a repeated header adds to the section
        {"General", "orphan", "<default>"},             // lines before any header: no section
        {"General", "; comment", "<default>"},
        {"General", "empty", "<default>"},
        {"Profile0", "Path", "Profiles/abc.default"},
        {"Profile1", "Path", "<default>"},
        {"Texts", "btCancel", "Cancel!"},
        {"Texts", "btOk", "OK!"},                       // found in "[Texts ]"
        {"Texts", "empty", "from the blank section"},   // empty in [Texts], so [Texts ] is tried
        {"Texts ", "btOk", "OK!"},
        {"Texts ", "btCancel", "<default>"},
        {"Missing", "Path", "<default>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << c.section << "] " << c.key);
        EXPECT_EQ(Read(c.section, c.key), c.expected);
    }
}

TEST_F(IniReaderTest, SectionNamesAndSectionsInFileOrder) {
    OpenWith(
        "LanguageName = English\r\n"
        "[bigbutton]\r\n"
        "btApps = Applications\r\n"
        "btRegistry = Registry\r\n"
        "BTAPPS = ignored\r\n"
        "no equals sign\r\n"
        "[dialogboxes ]\r\n"
        "dbConfirmDelete = Delete all selected items ?\r\n"
        "[BigButton]\r\n"
        "btTools = Tools\r\n");
    EXPECT_EQ(reader.ReadSectionNames(), (std::vector<std::string>{"bigbutton", "dialogboxes "}));

    std::vector<IniEntry> entries = reader.ReadSection("BIGBUTTON");
    std::vector<std::string> flattened;
    for (const IniEntry& entry : entries) flattened.push_back(entry.key + "=" + entry.value);
    EXPECT_EQ(flattened, (std::vector<std::string>{"btApps=Applications", "btRegistry=Registry",
                                                   "btTools=Tools"}));
    ASSERT_EQ(reader.ReadSection("dialogboxes").size(), 1u);
    EXPECT_TRUE(reader.ReadSection("missing").empty());
}

TEST_F(IniReaderTest, KeepWideDecidesWhetherTheCodePageFiltersTheValue) {
    OpenWith(
        "\xEF\xBB\xBF"
        "LanguageName = \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\n"      // 日本語
        "[misc]\r\n"
        "CleanDone = caf\xC3\xA9 \xE2\x82\xAC \xD0\x96\r\n");          // café € Ж
    struct Case {
        const char* section;
        const char* key;
        KeepWide keepWide;
        const char* expected;
    };
    const Case cases[] = {
        {"", "LanguageName", KeepWide::Yes, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},
        {"", "LanguageName", KeepWide::No, "???"},     // not empty, so not the default
        {"misc", "CleanDone", KeepWide::Yes, "caf\xC3\xA9 \xE2\x82\xAC \xD0\x96"},
        {"misc", "CleanDone", KeepWide::No, "caf\xC3\xA9 \xE2\x82\xAC ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << c.section << "] " << c.key << " wide "
                                        << (c.keepWide == KeepWide::Yes));
        EXPECT_EQ(Read(c.section, c.key, c.keepWide), c.expected);
    }
}

TEST_F(IniReaderTest, MissingFileReadsDefaults) {
    Status opened = reader.Open("C:\\Kestrover\\lang.ini");
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.code(), ErrorCode::NotFound);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(Read("", "posx"), "<default>");
    EXPECT_EQ(Read("General", "Path"), "<default>");
    EXPECT_TRUE(reader.ReadSectionNames().empty());
    EXPECT_FALSE(files.FileExists(kLangIni)) << "opening must not create the file";

    // A folder of that name is no settings file either.
    ASSERT_TRUE(files.AddDirectories("C:\\Kestrover\\folder.ini"));
    EXPECT_FALSE(reader.Open("C:\\Kestrover\\folder.ini"));
    EXPECT_FALSE(reader.IsOpen());
}

TEST_F(IniReaderTest, CloseAndFailedOpenForgetTheFile) {
    OpenWith("posx = 1\r\n[General]\r\nPath = p\r\n");
    EXPECT_EQ(Read("", "posx"), "1");
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(Read("", "posx"), "<default>");
    EXPECT_EQ(Read("General", "Path"), "<default>");
    EXPECT_TRUE(reader.ReadSection("General").empty());

    OpenWith("posx = 1\r\n");
    EXPECT_FALSE(reader.Open("C:\\Kestrover\\missing.ini"));
    EXPECT_EQ(Read("", "posx"), "<default>") << "a failed open must not leave the old file open";

    // Opening another file replaces the first.
    OpenWith("posx = 1\r\n");
    OpenWith("posy = 2\r\n", "C:\\Kestrover\\other.ini");
    EXPECT_EQ(Read("", "posx"), "<default>");
    EXPECT_EQ(Read("", "posy"), "2");
}

TEST_F(IniReaderTest, UnreadableFileBehavesAsNotOpen) {
    ASSERT_TRUE(files.AddFile(kLangIni, "posx = 1\r\n\r\n"));
    FaultyFileSystem faulty(files);
    faulty.FailReads(ErrorCode::AccessDenied);
    IniReader unreadable(faulty, Windows1252());
    Status opened = unreadable.Open(kLangIni);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.code(), ErrorCode::AccessDenied);
    EXPECT_FALSE(unreadable.IsOpen());
    EXPECT_EQ(unreadable.ReadValue("", "posx", "d", KeepWide::No), "d");
    EXPECT_EQ(Content(), "posx = 1\r\n\r\n") << "a file that could not be read is not rewritten";
}

TEST_F(IniReaderTest, FailedRewriteStillReadsTheTidiedLines) {
    const std::string untidy = "  posx = 3\r\n\r\n";
    struct Case {
        const char* name;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"creation refused", [&] { files.FailNextFileCreation(); }},
        {"read-only file", [&] { ASSERT_TRUE(files.SetAttributes(kLangIni, FileAttribute::ReadOnly)); }},
        {"disk full", [&] { files.FailWritesAfter(2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(files.SetAttributes(kLangIni, 0) || !files.FileExists(kLangIni));
        ASSERT_TRUE(files.AddFile(kLangIni, untidy));
        c.arrange();
        Status opened = reader.Open(kLangIni);
        files.FailWritesAfter(-1);
        ASSERT_TRUE(opened);
        ASSERT_TRUE(reader.rewriteError().has_value());
        EXPECT_EQ(Content(), untidy) << "the old file stays whole";
        EXPECT_FALSE(files.FileExists(std::string(kLangIni) + ".tmp~"));
        EXPECT_EQ(Read("", "posx"), "3") << "the leading blanks are gone in memory";
    }
    // The next successful open forgets the earlier failure.
    ASSERT_TRUE(files.SetAttributes(kLangIni, 0));
    OpenWith("posx=1\r\n");
    EXPECT_FALSE(reader.rewriteError().has_value());
}

TEST_F(IniReaderTest, BinaryJunkOpensAndReadsWithoutHarm) {
    std::string noise(1 << 16, '\0');
    std::uint32_t state = 2024;
    for (char& byte : noise) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    // Enough headers and equals signs to reach every branch of the parser.
    for (std::size_t i = 0; i < noise.size(); i += 97) noise[i] = "[]=\r\n;"[i % 6];
    for (std::string start : {std::string(), std::string("\xEF\xBB\xBF"), std::string("\xFF\xFE")}) {
        SCOPED_TRACE(testing::Message() << "start \"" << start << "\"");
        OpenWith(start + noise);
        for (const std::string& section : reader.ReadSectionNames()) {
            for (const IniEntry& entry : reader.ReadSection(section)) {
                (void)Read(section, entry.key, KeepWide::No);
                (void)Read(section, entry.key, KeepWide::Yes);
            }
        }
        (void)Read("", "a");
        (void)Read("", "");
        // Tidying is done once: a second open leaves the file as the first left it.
        std::string tidied = Content();
        ASSERT_TRUE(reader.Open(kLangIni));
        EXPECT_EQ(Content(), tidied);
    }
}

TEST_F(IniReaderTest, HugeLinesAndFiles) {
    const std::string longValue(100000, 'x');
    OpenWith("key = " + longValue + " \r\n" + std::string(100000, 'y') + "\r\n[S]\r\nk=" +
             longValue);
    EXPECT_EQ(Read("", "key"), longValue);
    EXPECT_EQ(Read("S", "k"), longValue);
    EXPECT_EQ(Read("", "yyy"), "<default>");

    // Many keys in one section, and many sections, open in reasonable time.
    std::string many = "[S]\r\n";
    for (int i = 0; i < 50000; ++i) many += "key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 20000; ++i) many += "[T" + std::to_string(i) + "]\r\n";
    OpenWith(many);
    EXPECT_EQ(Read("S", "key49999"), "49999");
    EXPECT_EQ(reader.ReadSection("S").size(), 50000u);
    EXPECT_EQ(reader.ReadSectionNames().size(), 20001u);
}

}  // namespace
}  // namespace kestrover
