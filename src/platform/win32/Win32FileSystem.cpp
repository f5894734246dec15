// Files and folders over FindFirstFileExW, CreateFileW and friends, with long paths.
#include "platform/win32/Win32FileSystem.h"

#include <algorithm>
#include <utility>

#include "platform/ports/WindowsPath.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {

using win32::FromWide;
using win32::HasZeroCharacter;
using win32::LastWin32Error;
using win32::MakeWin32Error;
using win32::ToWide;
using win32::UniqueFind;
using win32::UniqueHandle;

namespace {

// CreateDirectoryW refuses paths of MAX_PATH - 12 characters and more (room for an 8.3 name),
// the lowest of the classic limits; from there on paths take the "\\?\" form.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;
// ReadFile and WriteFile count in DWORDs; move data in pieces well below that.
constexpr std::size_t kTransferSize = 16u << 20;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveRoot(std::string_view path) {
    return path.size() == 3 && path[1] == ':' && IsSeparator(path[2]);
}

std::uint64_t Combine(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

std::uint64_t Ticks(const FILETIME& time) {
    return Combine(time.dwHighDateTime, time.dwLowDateTime);
}

FileEntry EntryFrom(const WIN32_FIND_DATAW& data) {
    FileEntry entry;
    entry.name = FromWide(data.cFileName);
    entry.attributes = data.dwFileAttributes;
    entry.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
    entry.creationTime = Ticks(data.ftCreationTime);
    entry.lastAccessTime = Ticks(data.ftLastAccessTime);
    entry.lastWriteTime = Ticks(data.ftLastWriteTime);
    return entry;
}

FileEntry EntryFrom(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    FileEntry entry;
    entry.attributes = data.dwFileAttributes;
    entry.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
    entry.creationTime = Ticks(data.ftCreationTime);
    entry.lastAccessTime = Ticks(data.ftLastAccessTime);
    entry.lastWriteTime = Ticks(data.ftLastWriteTime);
    return entry;
}

bool IsDotEntry(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

// The name after the last separator.
std::wstring LastName(const std::wstring& path) {
    std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// The entry's name in its stored letter case, or "" when there is none.
std::wstring StoredName(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, 0));
    return find ? std::wstring(data.cFileName) : std::wstring();
}

std::wstring FullPath(const std::wstring& path) {
    DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

// True when two paths differ at most in letter case, and so name the same entry: a rename
// that only changes the case.
bool NameSameEntry(const std::wstring& first, const std::wstring& second) {
    std::wstring a = FullPath(first);
    std::wstring b = FullPath(second);
    return a.size() == b.size() &&
           ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

Status Check(BOOL succeeded, std::string_view what, std::string_view path) {
    if (succeeded) return {};
    return LastWin32Error(std::string(what) + " " + std::string(path));
}

class Win32FileWriter final : public FileWriter {
public:
    Win32FileWriter(UniqueHandle file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}

    Status Write(std::span<const std::uint8_t> bytes) override {
        if (!file_) return MakeError(ErrorCode::Io, "write to closed file " + path_);
        while (!bytes.empty()) {
            DWORD piece = static_cast<DWORD>(std::min(bytes.size(), kTransferSize));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), bytes.data(), piece, &written, nullptr)) {
                return LastWin32Error("write " + path_);
            }
            if (written == 0) {
                return MakeError(ErrorCode::Io, "write " + path_ + ": nothing written");
            }
            bytes = bytes.subspan(written);
        }
        return {};
    }

    Status Close() override {
        if (!file_) return MakeError(ErrorCode::Io, "close of closed file " + path_);
        Status flushed = Check(::FlushFileBuffers(file_.get()), "flush", path_);
        file_.reset();
        return flushed;
    }

private:
    UniqueHandle file_;
    std::string path_;
};

}  // namespace

Result<std::wstring> Win32FileSystem::SystemPath(std::string_view path) {
    if (HasZeroCharacter(path)) {
        return MakeError(ErrorCode::InvalidData, "path holds a zero character");
    }
    std::wstring wide = ToWide(path);
    if (wide.size() > kMaxPathLength) {
        return MakeError(ErrorCode::InvalidData,
                         "path of " + std::to_string(wide.size()) + " characters is too long");
    }
    if (wide.size() < kClassicPathLimit || wide.starts_with(L"\\\\?\\")) return wide;
    bool onDrive = wide.size() >= 3 && wide[1] == L':' && IsSeparator(wide[2]) &&
                   ((wide[0] >= L'A' && wide[0] <= L'Z') || (wide[0] >= L'a' && wide[0] <= L'z'));
    bool unc = IsSeparator(wide[0]) && IsSeparator(wide[1]);
    if (!onDrive && !unc) return wide;  // relative: the prefix would not resolve it
    // Behind the prefix nothing turns "/" into "\" or resolves "." and "..", so do that first.
    DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;  // let the call itself report what is wrong
    std::wstring full(needed, L'\0');
    DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return wide;
    full.resize(length);
    std::wstring prefixed = unc ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
    if (prefixed.size() > kMaxPathLength) {
        return MakeError(ErrorCode::InvalidData, "path is too long");
    }
    return prefixed;
}

Result<std::vector<FileEntry>> Win32FileSystem::FindFiles(std::string_view pattern) {
    Result<std::wstring> widePattern = SystemPath(pattern);
    if (!widePattern) return widePattern.error();
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW(widePattern->c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    std::vector<FileEntry> entries;
    if (!find) {
        DWORD error = ::GetLastError();
        if (error == ERROR_NO_MORE_FILES) return entries;
        // "No file matched" and "no such folder" both come as ERROR_FILE_NOT_FOUND on some
        // systems; the folder itself tells them apart.
        if (error == ERROR_FILE_NOT_FOUND) {
            std::size_t separator = pattern.find_last_of("\\/");
            if (separator != std::string_view::npos &&
                DirectoryExists(pattern.substr(0, separator + 1))) {
                return entries;
            }
            return MakeWin32Error(error, "find files " + std::string(pattern));
        }
        if (error == ERROR_DIRECTORY) error = ERROR_PATH_NOT_FOUND;  // the folder is a file
        return MakeWin32Error(error, "find files " + std::string(pattern));
    }
    do {
        if (!IsDotEntry(data.cFileName)) entries.push_back(EntryFrom(data));
    } while (::FindNextFileW(find.get(), &data));
    DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) {
        return MakeWin32Error(error, "find files " + std::string(pattern));
    }
    return entries;
}

std::optional<FileEntry> Win32FileSystem::GetFileInfo(std::string_view path) {
    // A wildcard would make the name lookup below a search, and a trailing separator names no
    // entry of its own (only a drive root ends in one).
    if (path.empty() || path.find_first_of("*?") != std::string_view::npos ||
        (IsSeparator(path.back()) && !IsDriveRoot(path))) {
        return std::nullopt;
    }
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!::GetFileAttributesExW(widePath->c_str(), GetFileExInfoStandard, &attributes)) {
        return std::nullopt;
    }
    FileEntry entry = EntryFrom(attributes);
    // The name in its stored letter case comes only from the folder listing; a drive root is
    // in no listing and keeps the name given.
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW(widePath->c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, 0));
    if (find && !IsDotEntry(data.cFileName)) {
        entry.name = FromWide(data.cFileName);
    } else {
        std::size_t separator = path.find_last_of("\\/");
        entry.name = separator == std::string_view::npos || IsDriveRoot(path)
                         ? std::string(path)
                         : std::string(path.substr(separator + 1));
    }
    return entry;
}

bool Win32FileSystem::FileExists(std::string_view path) {
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return false;
    DWORD attributes = ::GetFileAttributesW(widePath->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::DirectoryExists(std::string_view path) {
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return false;
    DWORD attributes = ::GetFileAttributesW(widePath->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Status Win32FileSystem::CreateDirectory(std::string_view path) {
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return widePath.error();
    return Check(::CreateDirectoryW(widePath->c_str(), nullptr), "create folder", path);
}

Status Win32FileSystem::RemoveDirectory(std::string_view path) {
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return widePath.error();
    return Check(::RemoveDirectoryW(widePath->c_str()), "remove folder", path);
}

Status Win32FileSystem::MoveFile(std::string_view from, std::string_view to,
                                 ExistingTarget existing) {
    Result<std::wstring> wideFrom = SystemPath(from);
    if (!wideFrom) return wideFrom.error();
    Result<std::wstring> wideTo = SystemPath(to);
    if (!wideTo) return wideTo.error();
    const std::string what = "move " + std::string(from) + " to";
    bool sameEntry = NameSameEntry(*wideFrom, *wideTo);
    // Windows refuses to replace a read-only file, or to replace anything with a folder; Wine
    // does both, so the refusal is made here where the system would not make it.
    if (existing == ExistingTarget::Replace && !sameEntry) {
        DWORD target = ::GetFileAttributesW(wideTo->c_str());
        DWORD source = ::GetFileAttributesW(wideFrom->c_str());
        if (target != INVALID_FILE_ATTRIBUTES && source != INVALID_FILE_ATTRIBUTES &&
            ((target & FILE_ATTRIBUTE_READONLY) || (source & FILE_ATTRIBUTE_DIRECTORY))) {
            return MakeWin32Error(ERROR_ACCESS_DENIED, what + " " + std::string(to));
        }
    }
    // Copying allows moves between drives; write-through returns only once the move is on
    // the disk, which is what makes a replaced settings file safe against a crash.
    DWORD flags = MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if (existing == ExistingTarget::Replace) flags |= MOVEFILE_REPLACE_EXISTING;
    if (!::MoveFileExW(wideFrom->c_str(), wideTo->c_str(), flags)) {
        return LastWin32Error(what + " " + std::string(to));
    }
    std::wstring newName = LastName(*wideTo);
    if (sameEntry && !newName.empty() && StoredName(*wideTo) != newName) {
        // Wine finds the old spelling under the new one and leaves the name as it was; a detour
        // through another name changes the letter case as Windows does.
        std::wstring detour = *wideFrom + L".kestrover-rename";
        if (!::MoveFileExW(wideFrom->c_str(), detour.c_str(), 0)) {
            return LastWin32Error(what + " " + std::string(to));
        }
        if (!::MoveFileExW(detour.c_str(), wideTo->c_str(), MOVEFILE_WRITE_THROUGH)) {
            Status failed = LastWin32Error(what + " " + std::string(to));
            ::MoveFileExW(detour.c_str(), wideFrom->c_str(), 0);
            return failed;
        }
    }
    return {};
}

Status Win32FileSystem::DeleteFile(std::string_view path) {
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return widePath.error();
    return Check(::DeleteFileW(widePath->c_str()), "delete", path);
}

Status Win32FileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return widePath.error();
    return Check(::SetFileAttributesW(widePath->c_str(), attributes), "set attributes", path);
}

Result<std::vector<std::uint8_t>> Win32FileSystem::ReadFile(std::string_view path) {
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return widePath.error();
    UniqueHandle file(::CreateFileW(widePath->c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return LastWin32Error("read " + std::string(path));
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return LastWin32Error("read " + std::string(path));
    // The size is a hint: read until the end, whatever another writer did meanwhile.
    std::vector<std::uint8_t> content(static_cast<std::size_t>(size.QuadPart));
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) content.resize(content.size() + 64 * 1024);
        DWORD piece = static_cast<DWORD>(std::min(content.size() - filled, kTransferSize));
        DWORD read = 0;
        if (!::ReadFile(file.get(), content.data() + filled, piece, &read, nullptr)) {
            return LastWin32Error("read " + std::string(path));
        }
        if (read == 0) break;
        filled += read;
    }
    content.resize(filled);
    return content;
}

Result<std::unique_ptr<FileWriter>> Win32FileSystem::CreateFile(std::string_view path) {
    Result<std::wstring> widePath = SystemPath(path);
    if (!widePath) return widePath.error();
    // Windows refuses to overwrite a read-only file; Wine would truncate it.
    DWORD attributes = ::GetFileAttributesW(widePath->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return MakeWin32Error(ERROR_ACCESS_DENIED, "create " + std::string(path));
    }
    UniqueHandle file(::CreateFileW(widePath->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastWin32Error("create " + std::string(path));
    return std::unique_ptr<FileWriter>(
        std::make_unique<Win32FileWriter>(std::move(file), std::string(path)));
}

std::uint32_t Win32FileSystem::LogicalDrives() { return ::GetLogicalDrives(); }

DriveType Win32FileSystem::GetDriveType(std::string_view root) {
    if (HasZeroCharacter(root)) return DriveType::NoRootDirectory;
    std::wstring wideRoot = ToWide(root);
    // "C:" alone would mean the current folder of drive C:, not its root.
    if (!wideRoot.empty() && !IsSeparator(wideRoot.back())) wideRoot += L'\\';
    return static_cast<DriveType>(::GetDriveTypeW(wideRoot.c_str()));
}

}  // namespace kestrover
