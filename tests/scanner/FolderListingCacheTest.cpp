#include "scanner/FolderListingCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <set>
#include <string>

#include "core/Text.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/ports/ForwardingFileSystem.h"

namespace kestrover {
namespace {

// A memory file system that counts the questions it is asked and can refuse to list folders.
class CountingFileSystem final : public ForwardingFileSystem {
public:
    CountingFileSystem() : ForwardingFileSystem(files) {}

    MemoryFileSystem files;
    int listings = 0;
    int lookups = 0;
    std::set<std::string> unlistable;  // upper-cased folder paths

    Result<std::vector<FileEntry>> FindFiles(std::string_view pattern) override {
        ++listings;
        std::string folder = AsciiUpper(pattern.substr(0, pattern.rfind('\\')));
        if (unlistable.count(folder)) return MakeError(ErrorCode::AccessDenied, "denied");
        return files.FindFiles(pattern);
    }
    std::optional<FileEntry> GetFileInfo(std::string_view path) override {
        ++lookups;
        return files.GetFileInfo(path);
    }
    bool FileExists(std::string_view path) override {
        ++lookups;
        return files.FileExists(path);
    }
    bool DirectoryExists(std::string_view path) override {
        ++lookups;
        return files.DirectoryExists(path);
    }
};

class FolderListingCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        system_.files.AddDrive('C', DriveType::Fixed);
        ASSERT_TRUE(system_.files.AddFile("C:\\Windows\\System32\\kernel32.dll", "x").ok());
        ASSERT_TRUE(system_.files.AddFile("C:\\Program Files\\App\\app.exe", "x").ok());
        ASSERT_TRUE(system_.files.AddFile("C:\\Program Files\\App\\Zoë.dll", "x").ok());
        ASSERT_TRUE(system_.files.AddFile("C:\\Locked\\inside.exe", "x").ok());
        ASSERT_TRUE(system_.files.AddFile("C:\\boot.ini", "x").ok());
        system_.unlistable.insert("C:\\LOCKED");
    }

    CountingFileSystem system_;
};

TEST_F(FolderListingCacheTest, AnswersAsTheFileSystemDoesAndAsksOnlyWhenUnsure) {
    enum class Asks { ListingOnly, System };
    const struct {
        const char* path;
        bool exists;
        bool directory;
        Asks asks;
    } cases[] = {
        {"C:\\Windows\\System32\\kernel32.dll", true, false, Asks::ListingOnly},
        // A switch after a program: the program is no folder, so nothing is below it.
        {"C:\\Program Files\\App\\app.exe /quiet", false, false, Asks::ListingOnly},
        {"C:\\Program Files\\App\\gone.exe /quiet", false, false, Asks::System},  // Zoë.dll
        {"C:\\Windows\\System32\\gone.exe -a /b", false, false, Asks::ListingOnly},
        {"C:\\Gone\\app.exe /x", false, false, Asks::ListingOnly},
        {"C:\\Windows /x", false, false, Asks::System},  // a folder: only the system can tell
        {"C:\\PROGRA~1\\app.exe /x", false, false, Asks::System},
        // A colon in the last name names a stream of the file before it.
        {"C:\\Windows\\(UTC-03:00) Brasilia", false, false, Asks::ListingOnly},
        {"C:\\Windows\\System32\\https:", false, false, Asks::ListingOnly},
        {"C:\\Windows\\System32\\http://host/x", false, false, Asks::ListingOnly},
        {"C:\\boot.ini:stream", false, false, Asks::System},  // the file exists
        {"C:\\Windows\\lpt1:", false, false, Asks::System},  // a device
        {"c:\\WINDOWS\\system32\\KERNEL32.DLL", true, false, Asks::ListingOnly},
        {"C:\\Windows\\System32\\gone.dll", false, false, Asks::ListingOnly},
        {"C:\\Windows\\System32", true, true, Asks::ListingOnly},
        {"C:\\boot.ini", true, false, Asks::ListingOnly},
        {"C:\\Gone\\Deeper\\x.exe", false, false, Asks::ListingOnly},  // the folder is missing
        {"C:\\boot.ini\\x.exe", false, false, Asks::ListingOnly},      // a file is no folder
        // Only the system can tell:
        {"C:\\Locked\\inside.exe", true, false, Asks::System},        // no listing
        {"C:\\Locked\\gone.exe", false, false, Asks::System},
        {"C:\\Program Files\\App\\gone.dll", false, false, Asks::System},  // a name beyond ASCII
        {"C:\\Program Files\\App\\Zoë.dll", true, false, Asks::ListingOnly},
        {"C:\\PROGRA~1\\App\\app.exe", false, false, Asks::System},  // a short name
        {"C:\\Windows\\System32\\kernel32.dll.", false, false, Asks::System},
        {"C:\\Windows\\System32\\kernel32.dll ", false, false, Asks::System},
        {"C:\\Windows\\System32\\*.dll", false, false, Asks::System},
        {"C:\\Windows\\NUL", false, false, Asks::System},
        {"C:\\Windows\\com1.txt", false, false, Asks::System},
        {"C:\\Windows\\..\\boot.ini", false, false, Asks::System},
        {"C:\\$MFT", false, false, Asks::System},
        {"C:", false, false, Asks::System},
        {"C:\\", false, false, Asks::System},
        {"\\\\server\\share\\x.exe", false, false, Asks::System},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        FolderListingCache cache(system_);
        const bool systemExists = system_.files.GetFileInfo(c.path).has_value();
        system_.lookups = 0;
        std::optional<FileEntry> entry = cache.GetFileInfo(c.path);
        EXPECT_EQ(entry.has_value(), systemExists);
        if (c.asks == Asks::ListingOnly) {
            EXPECT_EQ(entry.has_value(), c.exists);
            if (entry) {
                EXPECT_EQ(entry->IsDirectory(), c.directory);
            }
            EXPECT_EQ(system_.lookups, 0);
        } else {
            EXPECT_EQ(system_.lookups, 1);
        }
        EXPECT_EQ(cache.FileExists(c.path), system_.files.FileExists(c.path));
        EXPECT_EQ(cache.DirectoryExists(c.path), system_.files.DirectoryExists(c.path));
    }
}

TEST_F(FolderListingCacheTest, ListsEachFolderOnceAndForgetsTheLeastRecentlyUsed) {
    FolderListingCache cache(system_, 2);
    system_.listings = 0;
    EXPECT_TRUE(cache.GetFileInfo("C:\\Windows\\System32\\kernel32.dll"));
    EXPECT_FALSE(cache.GetFileInfo("C:\\Windows\\System32\\a.dll"));
    EXPECT_FALSE(cache.GetFileInfo("C:\\WINDOWS\\SYSTEM32\\b.dll"));
    EXPECT_EQ(system_.listings, 1);
    EXPECT_TRUE(cache.GetFileInfo("C:\\Program Files\\App\\app.exe"));  // second folder
    EXPECT_TRUE(cache.GetFileInfo("C:\\Windows\\System32\\kernel32.dll"));  // still kept
    EXPECT_EQ(system_.listings, 2);
    EXPECT_TRUE(cache.GetFileInfo("C:\\boot.ini"));  // a third: App goes, System32 stays
    EXPECT_TRUE(cache.GetFileInfo("C:\\Windows\\System32\\kernel32.dll"));
    EXPECT_EQ(system_.listings, 3);
    EXPECT_TRUE(cache.GetFileInfo("C:\\Program Files\\App\\app.exe"));
    EXPECT_EQ(system_.listings, 4);

    // A file created after the listing is seen once the cache is cleared (a new scan).
    ASSERT_TRUE(system_.files.AddFile("C:\\Windows\\System32\\new.dll", "x").ok());
    EXPECT_FALSE(cache.GetFileInfo("C:\\Windows\\System32\\new.dll"));
    cache.Clear();
    EXPECT_TRUE(cache.GetFileInfo("C:\\Windows\\System32\\new.dll"));
}

// A folder of many names is searched through its sorted index: every name is found in any
// letter case, and a name it does not hold is missing without asking the system.
TEST_F(FolderListingCacheTest, LongListingsFindEveryNameInAnyCase) {
    for (int i = 0; i < 40; ++i) {
        std::string name = "C:\\Many\\File" + std::to_string(100 + i) + (i % 2 ? ".dat" : ".EXE");
        ASSERT_TRUE(system_.files.AddFile(name, "x").ok());
    }
    ASSERT_TRUE(system_.files.AddDirectories("C:\\Many\\Sub").ok());
    FolderListingCache cache(system_);
    system_.lookups = 0;
    for (int i = 0; i < 40; ++i) {
        std::string suffix = std::to_string(100 + i) + (i % 2 ? ".DAT" : ".exe");
        SCOPED_TRACE(suffix);
        EXPECT_TRUE(cache.FileExists("C:\\Many\\file" + suffix));
        EXPECT_TRUE(cache.FileExists("C:\\MANY\\FILE" + suffix));
    }
    EXPECT_TRUE(cache.DirectoryExists("C:\\Many\\sub"));
    EXPECT_FALSE(cache.FileExists("C:\\Many\\sub"));
    for (const char* absent :
         {"C:\\Many\\File099.dat", "C:\\Many\\File140.dat", "C:\\Many\\File10.dat",
          "C:\\Many\\File1000.dat", "C:\\Many\\A.dat", "C:\\Many\\zz"}) {
        SCOPED_TRACE(absent);
        EXPECT_FALSE(cache.GetFileInfo(absent));
    }
    EXPECT_EQ(system_.lookups, 0);
    EXPECT_EQ(system_.listings, 1);
}

// Folders asked about in a long, irregular order against a small cache: a folder is listed
// again exactly when a least-recently-used list of the same length has let it go. (A kept
// listing that could no longer be found would be listed again too soon.)
TEST_F(FolderListingCacheTest, KeepsTheMostRecentlyUsedFoldersThroughManyEvictions) {
    constexpr int kFolders = 150;
    for (int i = 0; i < kFolders; ++i) {
        ASSERT_TRUE(system_.files.AddFile("C:\\F" + std::to_string(i) + "\\a.exe", "x").ok());
    }
    // Enough listings kept that their keys collide in the cache's table, and are taken out of
    // it among colliding neighbours.
    for (std::size_t capacity : {1u, 3u, 40u, 120u}) {
        SCOPED_TRACE(capacity);
        FolderListingCache cache(system_, capacity);
        system_.listings = 0;
        std::list<int> model;  // most recently used first
        int expectedListings = 0;
        unsigned next = 12345;
        for (int step = 0; step < 4000; ++step) {
            next = next * 1103515245u + 12345u;
            // Mostly a few more folders than are kept, sometimes any of them: both hits and
            // evictions.
            const unsigned some = static_cast<unsigned>(capacity) + 2;
            const int folder = static_cast<int>((next >> 16) % (step % 3 == 0 ? kFolders : some));
            auto at = std::find(model.begin(), model.end(), folder);
            if (at == model.end()) {
                ++expectedListings;
                model.push_front(folder);
                if (model.size() > capacity) model.pop_back();
            } else {
                model.splice(model.begin(), model, at);
            }
            const std::string folderPath = "C:\\F" + std::to_string(folder);
            ASSERT_TRUE(cache.FileExists(folderPath + "\\A.EXE")) << step;
            ASSERT_FALSE(cache.FileExists(folderPath + "\\b.exe")) << step;
            ASSERT_EQ(system_.listings, expectedListings) << "step " << step;
        }
    }
}

// The bound on names: the oldest listings go until the names kept fit, but the newest listing
// stays even when it alone holds more.
TEST_F(FolderListingCacheTest, KeepsNoMoreNamesThanItsBound) {
    for (const char* file :
         {"C:\\A\\1.exe", "C:\\A\\2.exe", "C:\\A\\3.exe", "C:\\B\\1.exe", "C:\\B\\2.exe",
          "C:\\B\\3.exe", "C:\\Big\\1.exe", "C:\\Big\\2.exe", "C:\\Big\\3.exe", "C:\\Big\\4.exe",
          "C:\\Big\\5.exe", "C:\\Big\\6.exe"}) {
        ASSERT_TRUE(system_.files.AddFile(file, "x").ok());
    }
    FolderListingCache cache(system_, 100, 5);
    system_.listings = 0;
    EXPECT_TRUE(cache.FileExists("C:\\A\\1.exe"));
    EXPECT_TRUE(cache.FileExists("C:\\B\\1.exe"));  // six names: A goes
    EXPECT_TRUE(cache.FileExists("C:\\B\\2.exe"));
    EXPECT_EQ(system_.listings, 2);
    EXPECT_TRUE(cache.FileExists("C:\\A\\2.exe"));  // listed again; B goes
    EXPECT_EQ(system_.listings, 3);
    EXPECT_TRUE(cache.FileExists("C:\\Big\\6.exe"));  // over the bound alone, and kept
    EXPECT_FALSE(cache.FileExists("C:\\Big\\7.exe"));
    EXPECT_TRUE(cache.FileExists("C:\\Big\\1.exe"));
    EXPECT_EQ(system_.listings, 4);
    EXPECT_TRUE(cache.FileExists("C:\\B\\3.exe"));
    EXPECT_EQ(system_.listings, 5);
}

}  // namespace
}  // namespace kestrover
