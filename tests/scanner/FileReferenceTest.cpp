// File references: value texts resolved against a small file tree, in both modes, and the
// strict and lenient existence tests, the local drives and WOW64 redirection.
#include "scanner/FileReference.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Text.h"
#include "platform/memory/MemoryFileSystem.h"

namespace kestrover {
namespace {

// The folders of a 64-bit Windows installed on C: for the user "ann".
KnownFolders Windows64Folders() {
    KnownFolders folders;
    folders.systemRoot = "C:\\Windows";
    folders.windowsFolder = "C:\\Windows";
    folders.systemDrive = "C:";
    folders.applicationData = "C:\\Users\\ann\\AppData\\Roaming";
    folders.localApplicationData = "C:\\Users\\ann\\AppData\\Local";
    folders.userProfile = "C:\\Users\\ann";
    folders.allUsersProfile = "C:\\ProgramData";
    folders.programData = "C:\\ProgramData";
    folders.publicFolder = "C:\\Users\\Public";
    folders.programFiles = "C:\\Program Files";
    folders.commonProgramFiles = "C:\\Program Files\\Common Files";
    folders.programFilesX86 = "C:\\Program Files (x86)";
    folders.commonProgramFilesX86 = "C:\\Program Files (x86)\\Common Files";
    folders.is64BitWindows = true;
    return folders;
}

// The same machine as 32-bit Windows: no "(x86)" folders.
KnownFolders Windows32Folders() {
    KnownFolders folders = Windows64Folders();
    folders.programFilesX86.clear();
    folders.commonProgramFilesX86.clear();
    folders.is64BitWindows = false;
    return folders;
}

// A case: the text, what exists in the file tree (a path ending in a backslash is a folder),
// and the expected results: without returnFound, with it, and the path the answer rests on.
struct ResolveCase {
    const char* text;
    std::vector<std::string> existing;
    const char* missing;  // ResolveFileReference(text, ReturnFound::No)
    const char* found;    // ResolveFileReference(text, ReturnFound::Yes)
    const char* tested;   // Resolve(text, ReturnFound::Yes).testedPath
};

// Drives: C: and D: fixed, E: removable, F: optical, G: network.
void AddDrives(MemoryFileSystem& files) {
    files.AddDrive('D', DriveType::Fixed);
    files.AddDrive('E', DriveType::Removable);
    files.AddDrive('F', DriveType::CdRom);
    files.AddDrive('G', DriveType::Remote);
}

void AddExisting(MemoryFileSystem& files, const std::vector<std::string>& existing) {
    for (const std::string& path : existing) {
        Status added = path.ends_with('\\') ? files.AddDirectories(path) : files.AddFile(path, "x");
        ASSERT_TRUE(added) << path << ": " << added.error().Describe();
    }
}

void CheckCases(const std::vector<ResolveCase>& cases, const KnownFolders& folders = Windows64Folders(),
                Wow64Redirection redirection = Wow64Redirection::Off) {
    for (const ResolveCase& c : cases) {
        SCOPED_TRACE(std::string("text: ") + c.text);
        MemoryFileSystem files;
        AddDrives(files);
        AddExisting(files, c.existing);
        FileReferenceResolver resolver(files, folders, redirection);
        resolver.BuildLocalDrives();
        EXPECT_EQ(resolver.ResolveFileReference(c.text, ReturnFound::No), c.missing);
        EXPECT_EQ(resolver.ResolveFileReference(c.text, ReturnFound::Yes), c.found);
        FileReference reference = resolver.Resolve(c.text, ReturnFound::Yes);
        EXPECT_EQ(reference.testedPath, c.tested);
        EXPECT_EQ(reference.path, c.found);
        const ReferenceState expected = *c.missing != '\0' ? ReferenceState::Missing
                                        : *c.found != '\0' ? ReferenceState::Found
                                                           : ReferenceState::NotCheckable;
        EXPECT_EQ(reference.state, expected);
    }
}

TEST(ResolveFileReference, QuotesAndArguments) {
    CheckCases({
        // The strict test would not find the text with its switch; the loose one finds the
        // program, and the answer names it without the switch.
        {"\"C:\\Program Files\\App\\app.exe\" /automation", {"C:\\Program Files\\App\\app.exe"},
         "", "c:\\program files\\app\\app.exe /automation", "c:\\program files\\app\\app.exe"},
        {"\"C:\\Program Files\\App\\app.exe\" /automation", {}, "c:\\program files\\app\\app.exe",
         "c:\\program files\\app\\app.exe", "c:\\program files\\app\\app.exe"},
        {"\"C:\\Program Files\\App\\app.exe\" -silent \"%1\"", {"C:\\Program Files\\App\\app.exe"},
         "", "c:\\program files\\app\\app.exe", "c:\\program files\\app\\app.exe"},
        {"  C:\\Program Files\\App\\app.exe  ", {"C:\\Program Files\\App\\app.exe"}, "",
         "c:\\program files\\app\\app.exe", "c:\\program files\\app\\app.exe"},
        // A folder name with a parenthesis keeps it.
        {"C:\\Program Files (x86)\\App\\app.exe -x", {}, "c:\\program files (x86)\\app\\app.exe",
         "c:\\program files (x86)\\app\\app.exe", "c:\\program files (x86)\\app\\app.exe"},
        {"C:\\Program Files (x86)\\App\\app.exe -x", {"C:\\Program Files (x86)\\App\\app.exe"}, "",
         "c:\\program files (x86)\\app\\app.exe", "c:\\program files (x86)\\app\\app.exe"},
        // A program whose extension is not one of the known ones, followed by switches that no
        // cut removes: the program is the text before a blank, as Windows finds it.
        {"\"C:\\Tools\\run.cmd\" -silent -log", {"C:\\Tools\\run.cmd"}, "", "c:\\tools\\run.cmd",
         "c:\\tools\\run.cmd"},
        {"C:\\My Tools\\start.bat --quiet", {"C:\\My Tools\\start.bat"}, "", "c:\\my tools\\start.bat",
         "c:\\my tools\\start.bat"},
        {"C:\\Tools\\run.cmd -silent", {}, "c:\\tools\\run.cmd -silent", "c:\\tools\\run.cmd -silent",
         "c:\\tools\\run.cmd -silent"},
        // A folder before the blank is no program: a file below "Program Files" stays missing.
        {"C:\\Program Files\\Gone\\tool.cmd -x", {"C:\\Program Files\\"},
         "c:\\program files\\gone\\tool.cmd -x", "c:\\program files\\gone\\tool.cmd -x",
         "c:\\program files\\gone\\tool.cmd -x"},
        // A query after "?" is no part of the path.
        {"C:\\App\\page.htm?topic=1", {"C:\\App\\page.htm"}, "", "c:\\app\\page.htm",
         "c:\\app\\page.htm"},
        {"ab", {}, "", "", ""},
        {"   ", {}, "", "", ""},
    });
}

TEST(ResolveFileReference, CutsThatEndThePath) {
    CheckCases({
        {"C:\\App\\tool.bat'quoted'", {"C:\\App\\tool.bat"}, "", "c:\\app\\tool.bat", "c:\\app\\tool.bat"},
        {"C:\\App\\tool.bat|arg", {"C:\\App\\tool.bat"}, "", "c:\\app\\tool.bat", "c:\\app\\tool.bat"},
        {"C:\\App\\data.bin;more", {"C:\\App\\data.bin"}, "", "c:\\app\\data.bin", "c:\\app\\data.bin"},
        {"C:\\App\\data.bin 0", {"C:\\App\\data.bin"}, "", "c:\\app\\data.bin", "c:\\app\\data.bin"},
        {"C:\\App\\data.bin>out.txt", {"C:\\App\\data.bin"}, "", "c:\\app\\data.bin",
         "c:\\app\\data.bin"},
        {"C:\\App\\run.bat %1", {"C:\\App\\run.bat"}, "", "c:\\app\\run.bat", "c:\\app\\run.bat"},
        {"[C:\\App\\data.bin]", {"C:\\App\\data.bin"}, "", "c:\\app\\data.bin", "c:\\app\\data.bin"},
        {"C:\\App\\Logs\\*.log", {"C:\\App\\Logs\\"}, "", "c:\\app\\logs", "c:\\app\\logs"},
        {"C:\\App\\Logs\\*.log", {"C:\\App\\Logs\\old.log"}, "", "c:\\app\\logs\\*.log",
         "c:\\app\\logs\\*.log"},
        // Cut after the first known extension, tried in list order.
        {"C:\\App\\app.exe C:\\Other\\gone.dll", {"C:\\App\\app.exe"}, "", "c:\\app\\app.exe",
         "c:\\app\\app.exe"},
        {"C:\\App\\player.mp4 /fullscreen", {"C:\\App\\player.mp4"}, "",
         "c:\\app\\player.mp4 /fullscreen", "c:\\app\\player.mp4"},
        // ".exe" or ".dll" added to a name without one.
        {"C:\\App\\tool /x", {"C:\\App\\tool.exe"}, "", "c:\\app\\tool.exe", "c:\\app\\tool.exe"},
        {"C:\\App\\lib,Entry", {"C:\\App\\lib.dll"}, "", "c:\\app\\lib.dll", "c:\\app\\lib.dll"},
        {"C:\\App\\lib,Entry", {}, "c:\\app\\lib", "c:\\app\\lib", "c:\\app\\lib"},
        // A name holds no colon: a compiled-help page after "::" is no part of the file.
        {"mk:@MSITStore:C:\\Windows\\Help\\app.chm::/topic.htm", {"C:\\Windows\\Help\\app.chm"}, "",
         "c:\\windows\\help\\app.chm", "c:\\windows\\help\\app.chm"},
        {"mk:@MSITStore:C:\\Windows\\Help\\gone.chm::/topic.htm", {"C:\\Windows\\Help\\"},
         "c:\\windows\\help\\gone.chm", "c:\\windows\\help\\gone.chm", "c:\\windows\\help\\gone.chm"},
        // A comma inside a folder name is not an icon index.
        {"C:\\Program Files\\Vendor, Inc\\app.dll", {"C:\\Program Files\\Vendor, Inc\\app.dll"}, "",
         "c:\\program files\\vendor, inc\\app.dll", "c:\\program files\\vendor, inc\\app.dll"},
        // Too short to name anything once cut.
        {"C:\\,x", {}, "", "c:\\,x", "c:\\"},
        {"C:\\", {}, "", "c:\\", "c:\\"},
    });
}

TEST(ResolveFileReference, Rundll32AndServiceHosts) {
    CheckCases({
        {"rundll32 C:\\Windows\\System32\\shell32.dll,Control_RunDLL",
         {"C:\\Windows\\System32\\shell32.dll"}, "",
         "c:\\windows\\system32\\shell32.dll,control_rundll", "c:\\windows\\system32\\shell32.dll"},
        {"RunDll32.exe C:\\Apps\\gone.dll,Start", {}, "c:\\apps\\gone.dll", "c:\\apps\\gone.dll",
         "c:\\apps\\gone.dll"},
        {"regsvr32 /s C:\\Apps\\gone.ocx", {}, "c:\\apps\\gone.ocx", "c:\\apps\\gone.ocx",
         "c:\\apps\\gone.ocx"},
        // The program of the line is found first; the library it is given is not judged.
        {"C:\\Windows\\System32\\rundll32.exe C:\\Apps\\gone.dll,Start",
         {"C:\\Windows\\System32\\rundll32.exe"}, "", "c:\\windows\\system32\\rundll32.exe",
         "c:\\windows\\system32\\rundll32.exe"},
        {"%SystemRoot%\\system32\\svchost.exe -k netsvcs", {"C:\\Windows\\System32\\svchost.exe"}, "",
         "C:\\Windows\\system32\\svchost.exe", "C:\\Windows\\system32\\svchost.exe"},
        {"C:\\Windows\\System32\\svchost -k LocalService", {"C:\\Windows\\System32\\svchost.exe"}, "",
         "c:\\windows\\system32\\svchost.exe", "c:\\windows\\system32\\svchost.exe"},
        {"C:\\Windows\\System32\\SVCHOST.EXE -K LocalService", {"C:\\Windows\\System32\\svchost.exe"},
         "", "c:\\windows\\system32\\svchost.exe", "c:\\windows\\system32\\svchost.exe"},
    });
}

TEST(ResolveFileReference, ResourceReferences) {
    CheckCases({
        {"@%SystemRoot%\\system32\\shell32.dll,-21787", {"C:\\Windows\\System32\\shell32.dll"}, "",
         "C:\\Windows\\system32\\shell32.dll,-21787", "C:\\Windows\\system32\\shell32.dll"},
        {"@%SystemRoot%\\system32\\shell32.dll,-21787", {"C:\\Windows\\System32\\"},
         "C:\\Windows\\system32\\shell32.dll", "C:\\Windows\\system32\\shell32.dll",
         "C:\\Windows\\system32\\shell32.dll"},
        {"C:\\Program Files\\App\\app.exe,0", {"C:\\Program Files\\App\\app.exe"}, "",
         "c:\\program files\\app\\app.exe,0", "c:\\program files\\app\\app.exe"},
        {"@C:\\App\\en-US\\app.dll.mui,-5", {"C:\\App\\en-US\\app.dll.mui"}, "",
         "c:\\app\\en-us\\app.dll.mui,-5", "c:\\app\\en-us\\app.dll.mui"},
    });
}

TEST(ResolveFileReference, NtObjectPaths) {
    CheckCases({
        {"\\??\\C:\\Windows\\System32\\drivers\\kx.sys", {"C:\\Windows\\System32\\drivers\\kx.sys"},
         "", "c:\\windows\\system32\\drivers\\kx.sys", "c:\\windows\\system32\\drivers\\kx.sys"},
        {"\\??\\C:\\Drivers\\gone.sys", {}, "c:\\drivers\\gone.sys", "c:\\drivers\\gone.sys",
         "c:\\drivers\\gone.sys"},
        {"\\SystemRoot\\System32\\drivers\\kx.sys", {"C:\\Windows\\System32\\drivers\\kx.sys"}, "",
         "C:\\Windows\\system32\\drivers\\kx.sys", "C:\\Windows\\system32\\drivers\\kx.sys"},
        {"System32\\drivers\\kx.sys", {"C:\\Windows\\System32\\drivers\\kx.sys"}, "",
         "C:\\Windows\\system32\\drivers\\kx.sys", "C:\\Windows\\system32\\drivers\\kx.sys"},
        {"SysWOW64\\drivers\\gone.sys", {}, "C:\\Windows\\syswow64\\drivers\\gone.sys",
         "C:\\Windows\\syswow64\\drivers\\gone.sys", "C:\\Windows\\syswow64\\drivers\\gone.sys"},
    });
}

TEST(ResolveFileReference, FileUrls) {
    CheckCases({
        {"file:///C:/Program%20Files/App/help.htm", {"C:\\Program Files\\App\\help.htm"}, "",
         "c:\\program files\\app\\help.htm", "c:\\program files\\app\\help.htm"},
        {"FILE:///c:/docs/gone.htm", {}, "c:\\docs\\gone.htm", "c:\\docs\\gone.htm",
         "c:\\docs\\gone.htm"},
        {"file:///C:/App/100%25.htm", {"C:\\App\\100%.htm"}, "", "c:\\app\\100%.htm",
         "c:\\app\\100%.htm"},
    });
}

TEST(ResolveFileReference, EnvironmentPlaceholders) {
    CheckCases({
        // 64-bit Windows: "%ProgramFiles%" is the 64-bit program folder.
        {"%ProgramFiles%\\App\\app.exe", {"C:\\Program Files\\App\\app.exe"}, "",
         "C:\\Program Files\\app\\app.exe", "C:\\Program Files\\app\\app.exe"},
        {"%ProgramFiles%\\App\\app.exe", {"C:\\Program Files (x86)\\App\\app.exe"},
         "C:\\Program Files\\app\\app.exe", "C:\\Program Files\\app\\app.exe",
         "C:\\Program Files\\app\\app.exe"},
        {"%ProgramW6432%\\App\\gone.exe", {}, "C:\\Program Files\\app\\gone.exe",
         "C:\\Program Files\\app\\gone.exe", "C:\\Program Files\\app\\gone.exe"},
        {"%ProgramFiles(x86)%\\App\\gone.exe", {}, "C:\\Program Files (x86)\\app\\gone.exe",
         "C:\\Program Files (x86)\\app\\gone.exe", "C:\\Program Files (x86)\\app\\gone.exe"},
        {"%CommonProgramFiles%\\Shared\\gone.dll", {},
         "C:\\Program Files\\Common Files\\shared\\gone.dll",
         "C:\\Program Files\\Common Files\\shared\\gone.dll",
         "C:\\Program Files\\Common Files\\shared\\gone.dll"},
        {"%CommonProgramW6432%\\Shared\\gone.dll", {},
         "C:\\Program Files\\Common Files\\shared\\gone.dll",
         "C:\\Program Files\\Common Files\\shared\\gone.dll",
         "C:\\Program Files\\Common Files\\shared\\gone.dll"},
        {"%CommonProgramFiles(x86)%\\Shared\\gone.dll", {},
         "C:\\Program Files (x86)\\Common Files\\shared\\gone.dll",
         "C:\\Program Files (x86)\\Common Files\\shared\\gone.dll",
         "C:\\Program Files (x86)\\Common Files\\shared\\gone.dll"},
        {"%APPDATA%\\App\\gone.exe", {}, "C:\\Users\\ann\\AppData\\Roaming\\app\\gone.exe",
         "C:\\Users\\ann\\AppData\\Roaming\\app\\gone.exe",
         "C:\\Users\\ann\\AppData\\Roaming\\app\\gone.exe"},
        {"%LocalAppData%\\gone.exe", {}, "C:\\Users\\ann\\AppData\\Local\\gone.exe",
         "C:\\Users\\ann\\AppData\\Local\\gone.exe", "C:\\Users\\ann\\AppData\\Local\\gone.exe"},
        {"%UserProfile%\\gone.exe", {}, "C:\\Users\\ann\\gone.exe", "C:\\Users\\ann\\gone.exe",
         "C:\\Users\\ann\\gone.exe"},
        {"%AllUsersProfile%\\gone.exe", {}, "C:\\ProgramData\\gone.exe", "C:\\ProgramData\\gone.exe",
         "C:\\ProgramData\\gone.exe"},
        {"%ProgramData%\\gone.exe", {}, "C:\\ProgramData\\gone.exe", "C:\\ProgramData\\gone.exe",
         "C:\\ProgramData\\gone.exe"},
        {"%Public%\\gone.exe", {}, "C:\\Users\\Public\\gone.exe", "C:\\Users\\Public\\gone.exe",
         "C:\\Users\\Public\\gone.exe"},
        {"%windir%\\gone.exe", {}, "C:\\Windows\\gone.exe", "C:\\Windows\\gone.exe",
         "C:\\Windows\\gone.exe"},
        {"%SystemDrive%\\gone.exe", {}, "C:\\gone.exe", "C:\\gone.exe", "C:\\gone.exe"},
        // Folder value meets a path beginning with a backslash: Windows folds the two.
        {"%SystemDrive%\\\\Tools\\\\x.exe", {"C:\\Tools\\x.exe"}, "", "C:\\\\tools\\\\x.exe",
         "C:\\\\tools\\\\x.exe"},
        // A placeholder that is not in the table leaves no drive: never checked.
        {"%TEMP%\\setup.exe", {}, "", "", ""},
        {"%ProgramFiles(Arm)%\\App\\a.exe", {}, "", "", ""},
    });
}

TEST(ResolveFileReference, ThirtyTwoBitWindows) {
    KnownFolders folders = Windows32Folders();
    folders.programFiles = "C:\\Programs32";
    CheckCases(
        {
            {"%ProgramFiles%\\App\\gone.exe", {}, "C:\\Programs32\\app\\gone.exe",
             "C:\\Programs32\\app\\gone.exe", "C:\\Programs32\\app\\gone.exe"},
            // The 64-bit placeholders mean nothing there: the texts are not checked.
            {"%ProgramFiles(x86)%\\App\\gone.exe", {}, "", "", ""},
            {"%ProgramW6432%\\App\\gone.exe", {}, "", "", ""},
            {"%CommonProgramFiles(x86)%\\App\\gone.dll", {}, "", "", ""},
        },
        folders);
}

TEST(ResolveFileReference, EmptyFoldersLeaveTextsUnchecked) {
    KnownFolders folders;  // no variable was set
    CheckCases(
        {
            {"%ProgramFiles%\\App\\gone.exe", {}, "", "", ""},
            {"\\SystemRoot\\System32\\drivers\\gone.sys", {}, "", "", ""},
            {"System32\\drivers\\gone.sys", {}, "", "", ""},
            {"notepad.exe", {"C:\\Windows\\notepad.exe"}, "", "", ""},
            {"C:\\Gone\\app.exe", {}, "c:\\gone\\app.exe", "c:\\gone\\app.exe", "c:\\gone\\app.exe"},
        },
        folders);
}

TEST(ResolveFileReference, BareNames) {
    CheckCases({
        {"notepad.exe", {"C:\\Windows\\notepad.exe"}, "", "C:\\Windows\\notepad.exe",
         "C:\\Windows\\notepad.exe"},
        {"calc.exe", {"C:\\Windows\\System32\\calc.exe"}, "", "C:\\Windows\\system32\\calc.exe",
         "C:\\Windows\\system32\\calc.exe"},
        {"shell32.dll,-3", {"C:\\Windows\\System32\\shell32.dll"}, "",
         "C:\\Windows\\system32\\shell32.dll,-3", "C:\\Windows\\system32\\shell32.dll"},
        {"gone.exe", {}, "", "", ""},
        {"Explorer", {}, "", "", ""},
    });
}

TEST(ResolveFileReference, TextsThatAreNeverChecked) {
    CheckCases({
        // Removable, optical and network drives, and letters that name no drive.
        {"E:\\Setup\\setup.exe", {"E:\\Setup\\setup.exe"}, "", "", ""},
        {"E:\\Setup\\gone.exe", {}, "", "", ""},
        {"F:\\autorun.exe", {}, "", "", ""},
        {"G:\\Share\\tool.exe", {}, "", "", ""},
        {"Q:\\gone.exe", {}, "", "", ""},
        // A second fixed drive is checked.
        {"D:\\Data\\gone.exe", {}, "d:\\data\\gone.exe", "d:\\data\\gone.exe", "d:\\data\\gone.exe"},
        // UNC paths.
        {"\\\\server\\share\\app.exe", {}, "", "", ""},
        {"\\\\?\\Volume{6a5f1c7e-0000-0000-0000-100000000000}\\gone.exe", {}, "", "", ""},
        // Class identifiers and other texts in braces.
        {"{0AFACED1-E828-11D1-9187-B532F1E9575D}", {}, "", "", ""},
        {"{0AFACED1-E828-11D1-9187-B532F1E9575D}\\InprocServer32", {}, "", "", ""},
        // Firewall rules: a store application's rule names no file, a program's rule does.
        {"v2.30|Action=Allow|Active=TRUE|Dir=In|App=C:\\Gone\\app.exe|Name=@{Store.App}|"
         "Desc=WinStore|",
         {}, "", "", ""},
        {"v2.30|Action=Allow|Active=TRUE|Dir=In|Protocol=6|App=C:\\Gone\\app.exe|Name=App|", {},
         "c:\\gone\\app.exe", "c:\\gone\\app.exe", "c:\\gone\\app.exe"},
        {"v2.30|Action=Allow|Active=TRUE|Dir=In|Protocol=6|App=C:\\Apps\\app.exe|Name=App|",
         {"C:\\Apps\\app.exe"}, "", "c:\\apps\\app.exe", "c:\\apps\\app.exe"},
        // Not paths at all.
        {"1", {}, "", "", ""},
        {"http://example.com/page", {}, "", "", ""},
        {"Some description text", {}, "", "", ""},
    });
}

TEST(ResolveFileReference, NoDriveIsCheckedBeforeTheDrivesAreBuilt) {
    MemoryFileSystem files;
    FileReferenceResolver resolver(files, Windows64Folders(), Wow64Redirection::Off);
    EXPECT_EQ(resolver.ResolveFileReference("C:\\Gone\\app.exe", ReturnFound::No), "");
    resolver.BuildLocalDrives();
    EXPECT_EQ(resolver.ResolveFileReference("C:\\Gone\\app.exe", ReturnFound::No), "c:\\gone\\app.exe");
}

TEST(ResolveFileReference, HugeAndOddTextsDoNotHang) {
    MemoryFileSystem files;
    FileReferenceResolver resolver(files, Windows64Folders(), Wow64Redirection::Off);
    resolver.BuildLocalDrives();
    const std::string longPath = "C:\\" + std::string(32000, 'a') + ".exe";
    EXPECT_EQ(resolver.ResolveFileReference(longPath, ReturnFound::No), AsciiLower(longPath));
    const std::string blanks = "C:\\App\\x" + std::string(5000, ' ') + "y z";
    (void)resolver.Resolve(blanks, ReturnFound::Yes);
    const std::string nested = std::string(200, '\\') + "??" + std::string(200, '\\') + "C:\\a.dll";
    (void)resolver.Resolve(nested, ReturnFound::Yes);
    std::string everyByte;
    for (int c = 1; c < 256; ++c) everyByte.push_back(static_cast<char>(c));
    (void)resolver.Resolve("C:\\" + everyByte, ReturnFound::Yes);
    (void)resolver.Resolve(std::string("C:\\a\0b.exe", 10), ReturnFound::Yes);
}

struct ExistsCase {
    const char* path;
    bool exists;
};

class ExistenceTest : public testing::Test {
protected:
    void SetUp() override {
        AddExisting(files, {"C:\\Windows\\notepad.exe", "C:\\Windows\\System32\\calc.exe",
                            "C:\\Windows\\System32\\shell32.dll", "C:\\Empty\\",
                            "C:\\Program Files\\Vendor, Inc\\app.dll"});
    }
    MemoryFileSystem files;
};

TEST_F(ExistenceTest, PathExists) {
    const ExistsCase cases[] = {
        {"", true},
        {"notfound-", false},
        {"notfound-\\Mozilla\\Firefox\\x", false},
        {"relative\\path.exe", true},   // no colon: cannot be checked
        {"C:gone.exe", true},           // no backslash
        {"C:\\Windows\\notepad.exe", true},
        {"c:\\WINDOWS\\NOTEPAD.EXE", true},
        {"C:\\Windows\\gone.exe", false},
        {"C:\\Windows", true},
        {"C:\\Windows\\", true},
        {"C:\\Empty", true},            // an empty folder is still a folder
        {"C:\\", true},
        {"C:\\Gone\\", false},
        {"C:\\Windows\\\\System32\\calc.exe", true},
        {"\\??\\C:\\Windows\\System32\\calc.exe", true},
        {"C:\\Windows\\*.exe", true},
        {"C:\\Windows\\*.zip", false},
        {"C:\\Windows\\System32\\shell32.dll,-3", false},  // the strict test takes it whole
        {"C:\\Windows\\notepad.exe /a", false},
    };
    for (const ExistsCase& c : cases) {
        EXPECT_EQ(PathExists(files, c.path, Wow64Redirection::Off), c.exists) << c.path;
    }
}

TEST_F(ExistenceTest, PathExistsLoose) {
    const ExistsCase cases[] = {
        {"", true},
        {"   ", true},
        {"relative\\path.exe", true},
        {"C:/Windows/gone.exe", true},  // no ":\": cannot be checked
        {"C:\\Windows\\System32\\shell32.dll,-3", true},
        {"  C:\\Windows\\notepad.exe /a  ", true},
        {"C:\\Windows\\notepad.exe,1 /a", true},
        {"C:\\Windows\\notepad.exe -a", false},
        {"C:\\Windows\\", true},
        {"C:\\Program Files\\Vendor, Inc\\app.dll", true},
        {"C:\\Program Files\\Vendor, Inc\\gone.dll", false},
        {"C:\\Gone\\app.dll,1", false},
        {"notfound-\\x", true},  // no ":\"
    };
    for (const ExistsCase& c : cases) {
        EXPECT_EQ(PathExistsLoose(files, c.path, Wow64Redirection::Off), c.exists) << c.path;
    }
}

TEST(Wow64Redirection, SystemFolderIsAskedForAsSysnativeOnlyWhenRedirected) {
    MemoryFileSystem files;
    // A 32-bit process sees SysWOW64's content under "System32" and the real folder under
    // "Sysnative"; the in-memory tree plays the folders as they look to the process.
    AddExisting(files, {"C:\\Windows\\Sysnative\\real.dll", "C:\\Windows\\System32\\real64.dll"});
    struct Case {
        Wow64Redirection redirection;
        const char* path;
        bool exists;
    };
    const Case cases[] = {
        {Wow64Redirection::On, "C:\\Windows\\System32\\real.dll", true},
        {Wow64Redirection::On, "C:\\Windows\\System32\\real64.dll", false},
        {Wow64Redirection::Off, "C:\\Windows\\System32\\real64.dll", true},
        {Wow64Redirection::Off, "C:\\Windows\\System32\\real.dll", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PathExists(files, c.path, c.redirection), c.exists);
        EXPECT_EQ(PathExistsLoose(files, std::string(c.path) + ",-1", c.redirection), c.exists);
    }

    // The answer names the folder as the registry does, never "sysnative".
    FileReferenceResolver redirected(files, Windows64Folders(), Wow64Redirection::On);
    redirected.BuildLocalDrives();
    EXPECT_EQ(redirected.ResolveFileReference("%SystemRoot%\\System32\\real.dll,-1", ReturnFound::Yes),
              "C:\\Windows\\system32\\real.dll,-1");
    EXPECT_EQ(redirected.ResolveFileReference("%SystemRoot%\\System32\\real.dll,-1", ReturnFound::No), "");
    EXPECT_EQ(redirected.ResolveFileReference("C:\\Windows\\System32\\gone.dll", ReturnFound::No),
              "c:\\windows\\system32\\gone.dll");

    // The 64-bit process this program is: System32 is the real folder.
    FileReferenceResolver native(files, Windows64Folders(), Wow64Redirection::Off);
    native.BuildLocalDrives();
    EXPECT_EQ(native.ResolveFileReference("%SystemRoot%\\System32\\real64.dll", ReturnFound::No), "");
    EXPECT_EQ(native.ResolveFileReference("system32\\real64.dll", ReturnFound::Yes),
              "C:\\Windows\\system32\\real64.dll");
}

TEST(BuildLocalDrives, FixedAndRamDisksFromCToZ) {
    MemoryFileSystem files;  // C: fixed
    files.AddDrive('A', DriveType::Removable);
    files.AddDrive('B', DriveType::Fixed);  // A: and B: are never local drives
    files.AddDrive('D', DriveType::Fixed);
    files.AddDrive('E', DriveType::Removable);
    files.AddDrive('F', DriveType::CdRom);
    files.AddDrive('G', DriveType::Remote);
    files.AddDrive('H', DriveType::RamDisk);
    files.AddDrive('M', DriveType::NoRootDirectory);  // a letter whose volume is gone
    files.AddDrive('N', DriveType::Unknown);
    files.AddDrive('Z', DriveType::Fixed);
    EXPECT_EQ(BuildLocalDrives(files), (std::vector<std::string>{"C:\\", "D:\\", "H:\\", "Z:\\"}));

    FileReferenceResolver resolver(files, Windows64Folders(), Wow64Redirection::Off);
    resolver.BuildLocalDrives();
    EXPECT_EQ(resolver.LocalDrives(), BuildLocalDrives(files));
    EXPECT_EQ(resolver.ResolveFileReference("M:\\gone.exe", ReturnFound::No), "");
    EXPECT_EQ(resolver.ResolveFileReference("z:\\gone.exe", ReturnFound::No), "z:\\gone.exe");

    files.RemoveDrive('Z');
    resolver.BuildLocalDrives();
    EXPECT_EQ(resolver.ResolveFileReference("z:\\gone.exe", ReturnFound::No), "");

    // A list the scan driver built is taken as it is, in the same form.
    resolver.SetLocalDrives({"d:\\", "C:\\"});
    EXPECT_EQ(resolver.LocalDrives(), (std::vector<std::string>{"C:\\", "D:\\"}));
    EXPECT_EQ(resolver.ResolveFileReference("D:\\gone.exe", ReturnFound::No), "d:\\gone.exe");
    EXPECT_EQ(resolver.ResolveFileReference("H:\\gone.exe", ReturnFound::No), "");
}

}  // namespace
}  // namespace kestrover
