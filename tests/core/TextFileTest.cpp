// Tests of text files as lines: line breaks, byte-order marks, encodings, and the atomic
// replacement that every settings and list file is written with.
#include "core/TextFile.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/FaultyFileSystem.h"
#include "platform/memory/MemoryFileSystem.h"

namespace kestrover {
namespace {

using testing_support::FaultyFileSystem;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

const char* EncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Ansi: return "ANSI";
        case TextEncoding::Utf8WithBom: return "UTF-8";
        case TextEncoding::Utf16LeWithBom: return "UTF-16LE";
    }
    return "?";
}

TEST(TextFileTest, DecodeSplitsLinesAndRecognisesByteOrderMarks) {
    using Lines = std::vector<std::string>;
    struct Case {
        std::string bytes;
        Lines lines;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"", {}, TextEncoding::Ansi},
        {"a\r\nb\r\n", {"a", "b"}, TextEncoding::Ansi},
        {"a\r\nb", {"a", "b"}, TextEncoding::Ansi},             // no break after the last line
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}, TextEncoding::Ansi},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}, TextEncoding::Ansi},  // an empty line in between
        {"\r\n", {""}, TextEncoding::Ansi},
        {"\r\n\r\n", {"", ""}, TextEncoding::Ansi},
        {"a\n\r", {"a", ""}, TextEncoding::Ansi},                 // LF then CR: two breaks
        {"a\r\r\n", {"a", ""}, TextEncoding::Ansi},
        {"caf\xE9 \x80\r\n", {"caf\xC3\xA9 \xE2\x82\xAC"}, TextEncoding::Ansi},
        {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}, TextEncoding::Ansi},
        {"\xEF\xBB", {"\xC3\xAF\xC2\xBB"}, TextEncoding::Ansi},   // half a mark is text
        {"\xEF\xBB\xBF", {}, TextEncoding::Utf8WithBom},
        {"\xEF\xBB\xBF" "caf\xC3\xA9\r\n\xE6\x97\xA5", {"caf\xC3\xA9", "\xE6\x97\xA5"},
         TextEncoding::Utf8WithBom},
        {"\xEF\xBB\xBF\xFF\nx\xC3", {"\xEF\xBF\xBD", "x\xEF\xBF\xBD"}, TextEncoding::Utf8WithBom},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx", {"\xEF\xBB\xBFx"}, TextEncoding::Utf8WithBom},  // one mark
        {"\xFF\xFE", {}, TextEncoding::Utf16LeWithBom},
        {std::string("\xFF\xFE" "a\0\r\0\n\0\x3D\xD8\x00\xDE\r\0", 14), {"a", "\xF0\x9F\x98\x80"},
         TextEncoding::Utf16LeWithBom},
        {std::string("\xFF\xFE" "a\0b", 5), {"a"}, TextEncoding::Utf16LeWithBom},  // odd byte
        {std::string("\xFF\xFE\x3D\xD8" "a\0", 6), {"\xEF\xBF\xBD" "a"},
         TextEncoding::Utf16LeWithBom},  // a lone surrogate
        {std::string("\xFE\xFF\x00" "a", 4), {"\xC3\xBE\xC3\xBF" + std::string(1, '\0') + "a"},
         TextEncoding::Ansi},  // big-endian UTF-16 is not recognised
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bytes \"" << c.bytes << "\"");
        TextFile file = DecodeTextFile(Bytes(c.bytes), Windows1252());
        EXPECT_EQ(file.lines, c.lines);
        EXPECT_EQ(EncodingName(file.encoding), EncodingName(c.encoding));
    }
}

TEST(TextFileTest, EncodeEndsEveryLineWithCrLf) {
    struct Case {
        std::vector<std::string> lines;
        TextEncoding encoding;
        std::string bytes;
        bool lossless;
    };
    const Case cases[] = {
        {{}, TextEncoding::Ansi, "", true},
        {{""}, TextEncoding::Ansi, "\r\n", true},
        {{"caf\xC3\xA9", "\xE2\x82\xAC", ""}, TextEncoding::Ansi, "caf\xE9\r\n\x80\r\n\r\n", true},
        {{"x\xE6\x97\xA5"}, TextEncoding::Ansi, "x?\r\n", false},
        {{}, TextEncoding::Utf8WithBom, "\xEF\xBB\xBF", true},
        {{"\xE6\x97\xA5", "b"}, TextEncoding::Utf8WithBom, "\xEF\xBB\xBF\xE6\x97\xA5\r\nb\r\n", true},
        {{"\xFF"}, TextEncoding::Utf8WithBom, "\xEF\xBB\xBF\xEF\xBF\xBD\r\n", false},
        {{}, TextEncoding::Utf16LeWithBom, "\xFF\xFE", true},
        {{"a", "\xF0\x9F\x98\x80"}, TextEncoding::Utf16LeWithBom,
         std::string("\xFF\xFE" "a\0\r\0\n\0\x3D\xD8\x00\xDE\r\0\n\0", 16), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << EncodingName(c.encoding) << " line count " << c.lines.size());
        bool lossless = true;
        EXPECT_EQ(Text(EncodeTextFile(TextFile{c.lines, c.encoding}, Windows1252(), &lossless)),
                  c.bytes);
        EXPECT_EQ(lossless, c.lossless);
    }
}

TEST(TextFileTest, EncodedFilesDecodeToTheSameLines) {
    const std::vector<std::string> lines = {
        "[General]", "", "name=caf\xC3\xA9 \xE2\x82\xAC", "   ", std::string("nul\0inside", 10),
        "last",
    };
    for (TextEncoding encoding :
         {TextEncoding::Ansi, TextEncoding::Utf8WithBom, TextEncoding::Utf16LeWithBom}) {
        SCOPED_TRACE(EncodingName(encoding));
        TextFile decoded = DecodeTextFile(EncodeTextFile({lines, encoding}, Windows1252()),
                                          Windows1252());
        EXPECT_EQ(decoded.lines, lines);
        EXPECT_EQ(EncodingName(decoded.encoding), EncodingName(encoding));
    }
}

TEST(TextFileTest, BinaryJunkDecodesWithoutHarm) {
    // Deterministic noise, with each kind of start: none, a UTF-8 mark, a UTF-16LE mark.
    std::vector<std::uint8_t> noise(1 << 16);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    for (std::string_view start : {std::string_view(""), std::string_view("\xEF\xBB\xBF"),
                                   std::string_view("\xFF\xFE")}) {
        SCOPED_TRACE(testing::Message() << "start \"" << start << "\"");
        std::vector<std::uint8_t> bytes = Bytes(start);
        bytes.insert(bytes.end(), noise.begin(), noise.end());
        TextFile file = DecodeTextFile(bytes, Windows1252());
        EXPECT_FALSE(file.lines.empty());
        for (const std::string& line : file.lines) {
            ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos);
        }
    }
}

class TextFileOnDiskTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(files.AddDirectories("C:\\Data")); }

    std::string Content(std::string_view path) {
        Result<std::vector<std::uint8_t>> bytes = files.ReadFile(path);
        return bytes ? Text(*bytes) : "<" + bytes.error().Describe() + ">";
    }

    MemoryFileSystem files;
    static constexpr const char* kPath = "C:\\Data\\list.txt";
    static constexpr const char* kTemporary = "C:\\Data\\list.txt.tmp~";
};

TEST_F(TextFileOnDiskTest, ReadOfAMissingFileIsNotFound) {
    Result<TextFile> file = ReadTextFile(files, kPath, Windows1252());
    ASSERT_FALSE(file);
    EXPECT_EQ(file.code(), ErrorCode::NotFound);
    EXPECT_FALSE(ReadTextFile(files, "C:\\Missing\\list.txt", Windows1252()));
}

TEST_F(TextFileOnDiskTest, WrittenFileReadsBackInItsEncoding) {
    for (TextEncoding encoding :
         {TextEncoding::Ansi, TextEncoding::Utf8WithBom, TextEncoding::Utf16LeWithBom}) {
        SCOPED_TRACE(EncodingName(encoding));
        TextFile written{{"one", "caf\xC3\xA9"}, encoding};
        ASSERT_TRUE(WriteTextFile(files, kPath, written, Windows1252()));
        Result<TextFile> read = ReadTextFile(files, kPath, Windows1252());
        ASSERT_TRUE(read);
        EXPECT_EQ(read->lines, written.lines);
        EXPECT_EQ(EncodingName(read->encoding), EncodingName(encoding));
        EXPECT_FALSE(files.FileExists(kTemporary));
    }
    EXPECT_EQ(Content(kPath), std::string("\xFF\xFE" "o\0n\0e\0\r\0\n\0c\0a\0f\0\xE9\0\r\0\n\0", 24));
}

TEST_F(TextFileOnDiskTest, ReplaceCreatesOrReplacesTheTarget) {
    ASSERT_TRUE(ReplaceFileAtomically(files, kPath, Bytes("first")));
    EXPECT_EQ(Content(kPath), "first");
    ASSERT_TRUE(ReplaceFileAtomically(files, kPath, Bytes("second, longer")));
    EXPECT_EQ(Content(kPath), "second, longer");
    ASSERT_TRUE(ReplaceFileAtomically(files, kPath, Bytes("")));
    EXPECT_EQ(Content(kPath), "");
    EXPECT_FALSE(files.FileExists(kTemporary));

    // A temporary file left by an earlier crash is simply overwritten.
    ASSERT_TRUE(files.AddFile(kTemporary, "stale"));
    ASSERT_TRUE(ReplaceFileAtomically(files, kPath, Bytes("third")));
    EXPECT_EQ(Content(kPath), "third");
    EXPECT_FALSE(files.FileExists(kTemporary));
}

TEST_F(TextFileOnDiskTest, TemporaryFileLiesBesideTheTarget) {
    EXPECT_EQ(TemporaryFileNameFor("C:\\Data\\lang.ini"), "C:\\Data\\lang.ini.tmp~");
}

// Every way the replacement can fail leaves the old file whole and no temporary file behind.
TEST_F(TextFileOnDiskTest, FailedReplaceKeepsTheOldFile) {
    struct Case {
        const char* name;
        std::function<void(MemoryFileSystem&, FaultyFileSystem&)> arrange;
        ErrorCode expected;
    };
    const Case cases[] = {
        {"creation refused", [](MemoryFileSystem& files, FaultyFileSystem&) {
             files.FailNextFileCreation();
         }, ErrorCode::AccessDenied},
        {"disk full while writing", [](MemoryFileSystem& files, FaultyFileSystem&) {
             files.FailWritesAfter(4);
         }, ErrorCode::Io},
        {"flush fails at close", [](MemoryFileSystem&, FaultyFileSystem& faulty) {
             faulty.FailCloses(ErrorCode::Io);
         }, ErrorCode::Io},
        {"move refused", [](MemoryFileSystem&, FaultyFileSystem& faulty) {
             faulty.FailMoves(ErrorCode::AccessDenied);
         }, ErrorCode::AccessDenied},
        {"read-only target", [](MemoryFileSystem& files, FaultyFileSystem&) {
             ASSERT_TRUE(files.SetAttributes(kPath, FileAttribute::ReadOnly));
         }, ErrorCode::AccessDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        ASSERT_TRUE(files.AddFile(kPath, "old content"));
        FaultyFileSystem faulty(files);
        c.arrange(files, faulty);
        Status replaced = ReplaceFileAtomically(faulty, kPath, Bytes("new content"));
        ASSERT_FALSE(replaced);
        EXPECT_EQ(replaced.code(), c.expected);
        Result<std::vector<std::uint8_t>> content = files.ReadFile(kPath);
        ASSERT_TRUE(content);
        EXPECT_EQ(Text(*content), "old content");
        EXPECT_FALSE(files.FileExists(kTemporary));
    }
}

TEST_F(TextFileOnDiskTest, ReplaceInAMissingFolderFails) {
    Status replaced = ReplaceFileAtomically(files, "C:\\Nowhere\\list.txt", Bytes("x"));
    ASSERT_FALSE(replaced);
    EXPECT_FALSE(files.DirectoryExists("C:\\Nowhere"));
}

}  // namespace
}  // namespace kestrover
