// Windows file operations on host folders: paths resolved name by name without regard to case,
// attributes and FILETIME ticks made from stat, replacement by rename().
#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "core/Unicode.h"
#include "platform/ports/FileMask.h"

namespace kestrover {

namespace {

// Seconds from 1601-01-01 (the FILETIME epoch) to 1970-01-01 (the Unix one).
constexpr std::int64_t kEpochDifference = 11644473600;

std::uint64_t ToFileTime(std::int64_t seconds, std::uint32_t nanoseconds) {
    if (seconds < -kEpochDifference) return 0;
    return static_cast<std::uint64_t>(seconds + kEpochDifference) * 10000000ULL + nanoseconds / 100;
}

struct HostStat {
    mode_t mode = 0;
    std::uint64_t size = 0;
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;

    bool IsDirectory() const { return S_ISDIR(mode); }
    bool IsRegular() const { return S_ISREG(mode); }
    bool IsReadOnly() const { return (mode & S_IWUSR) == 0; }
};

// stat() following symbolic links, with the birth time where the host file system keeps one.
std::optional<HostStat> StatHost(const std::string& path) {
    struct statx extended {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &extended) != 0) {
        return std::nullopt;
    }
    HostStat result;
    result.mode = extended.stx_mode;
    result.size = extended.stx_size;
    result.lastAccessTime = ToFileTime(extended.stx_atime.tv_sec, extended.stx_atime.tv_nsec);
    result.lastWriteTime = ToFileTime(extended.stx_mtime.tv_sec, extended.stx_mtime.tv_nsec);
    // Without a birth time the last write is the best stand-in: it keeps creation no later
    // than the last write, as on Windows.
    result.creationTime = (extended.stx_mask & STATX_BTIME) != 0
                              ? ToFileTime(extended.stx_btime.tv_sec, extended.stx_btime.tv_nsec)
                              : result.lastWriteTime;
    return result;
}

bool HostExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

ErrorCode ErrorCodeFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ErrorCode::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EBUSY:
        case ETXTBSY:
            return ErrorCode::AccessDenied;
        case EEXIST:
            return ErrorCode::AlreadyExists;
        case ENAMETOOLONG:
        case EINVAL:
        case EILSEQ:
        case EISDIR:
            return ErrorCode::InvalidData;
        case ENOTSUP:
        case ENOSYS:
            return ErrorCode::Unsupported;
        default:
            return ErrorCode::Io;
    }
}

std::string Describe(std::string_view action, std::string_view path) {
    return std::string(action) + " \"" + std::string(path) + "\"";
}

Error ErrnoError(int error, std::string_view action, std::string_view path) {
    return MakeError(ErrorCodeFromErrno(error), Describe(action, path),
                     static_cast<std::uint32_t>(error));
}

Error Failure(ErrorCode code, std::string_view action, std::string_view path) {
    return MakeError(code, Describe(action, path));
}

Error InvalidPath(std::string_view action, std::string_view path) {
    return MakeError(ErrorCode::InvalidData, Describe(action, path) + ": invalid path");
}

// A host name the Windows side can show and name again: valid UTF-8 and a valid Windows name.
bool IsRepresentable(std::string_view name) {
    return IsValidFileName(name) && Utf16ToUtf8(Utf8ToUtf16(name)) == name;
}

std::string JoinHost(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string_view HostName(std::string_view hostPath) {
    return hostPath.substr(hostPath.find_last_of('/') + 1);
}

std::string HostParent(const std::string& hostPath) {
    std::size_t slash = hostPath.find_last_of('/');
    if (slash == 0 || slash == std::string::npos) return "/";
    return hostPath.substr(0, slash);
}

// Absolute and lexically normal, without a trailing slash; "/" itself becomes "".
std::string NormalHostFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    if (error) absolute = folder;
    std::string text = absolute.lexically_normal().string();
    while (!text.empty() && text.back() == '/') text.pop_back();
    return text;
}

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};
using UniqueDirectory = std::unique_ptr<DIR, DirectoryCloser>;

// Calls visit(name) for every entry of the host folder but "." and "..".
template <class Visit>
bool ForEachHostEntry(const std::string& folder, Visit visit) {
    UniqueDirectory directory(::opendir(folder.c_str()));
    if (!directory) return false;
    while (dirent* entry = ::readdir(directory.get())) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        visit(name);
    }
    return true;
}

// The host name in the folder that the Windows name stands for: the exact spelling when it
// exists, else the first (in byte order) that equals it without regard to case.
std::optional<std::string> FindHostName(const std::string& folder, std::string_view name) {
    if (HostExists(JoinHost(folder, name))) return std::string(name);
    std::optional<std::string> best;
    ForEachHostEntry(folder, [&](std::string_view candidate) {
        if (!NamesEqual(candidate, name) || !IsRepresentable(candidate)) return;
        if (!best || candidate < *best) best = std::string(candidate);
    });
    return best;
}

FileEntry EntryOf(std::string_view name, const HostStat& info) {
    FileEntry entry;
    entry.name = std::string(name);
    if (info.IsDirectory()) entry.attributes |= FileAttribute::Directory;
    if (info.IsReadOnly()) entry.attributes |= FileAttribute::ReadOnly;
    if (!name.empty() && name.front() == '.') entry.attributes |= FileAttribute::Hidden;
    if (info.IsRegular()) entry.attributes |= FileAttribute::Archive;
    if (entry.attributes == 0) entry.attributes = FileAttribute::Normal;
    entry.size = info.IsRegular() ? info.size : 0;
    entry.creationTime = info.creationTime;
    entry.lastAccessTime = info.lastAccessTime;
    entry.lastWriteTime = info.lastWriteTime;
    return entry;
}

Status WriteAll(int descriptor, std::span<const std::uint8_t> bytes, std::string_view path) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            return ErrnoError(errno, "write to", path);
        }
        written += static_cast<std::size_t>(count);
    }
    return {};
}

class PosixFileWriter final : public FileWriter {
public:
    PosixFileWriter(int descriptor, std::string hostPath)
        : descriptor_(descriptor), hostPath_(std::move(hostPath)) {}
    ~PosixFileWriter() override {
        if (descriptor_ >= 0) ::close(descriptor_);
    }

    Status Write(std::span<const std::uint8_t> bytes) override {
        if (descriptor_ < 0) return Failure(ErrorCode::Io, "write to closed file", hostPath_);
        return WriteAll(descriptor_, bytes, hostPath_);
    }

    Status Close() override {
        if (descriptor_ < 0) return Failure(ErrorCode::Io, "close of closed file", hostPath_);
        int descriptor = std::exchange(descriptor_, -1);
        if (::fsync(descriptor) != 0) {
            int error = errno;
            ::close(descriptor);
            return ErrnoError(error, "flush", hostPath_);
        }
        if (::close(descriptor) != 0) return ErrnoError(errno, "close", hostPath_);
        return {};
    }

private:
    int descriptor_;
    std::string hostPath_;
};

Result<std::vector<std::uint8_t>> ReadHostFile(const std::string& hostPath, std::string_view path) {
    int descriptor = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return ErrnoError(errno, "read", path);
    struct Closer {
        int descriptor;
        ~Closer() { ::close(descriptor); }
    } closer{descriptor};

    struct stat info {};
    if (::fstat(descriptor, &info) != 0) return ErrnoError(errno, "read", path);
    // Windows cannot open a folder as a file.
    if (S_ISDIR(info.st_mode)) return Failure(ErrorCode::AccessDenied, "read", path);

    std::vector<std::uint8_t> content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t buffer[65536];
    for (;;) {
        ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            return ErrnoError(errno, "read", path);
        }
        if (count == 0) break;
        content.insert(content.end(), buffer, buffer + count);
    }
    return content;
}

// rename() cannot cross host file systems; a file is copied beside the target, flushed, put in
// place by rename() and only then removed from its old place. Times go with it, as they do
// when Windows moves a file to another drive.
Status CopyAcrossDevices(const std::string& sourceHost, const std::string& targetHost,
                         std::string_view path) {
    Result<std::vector<std::uint8_t>> content = ReadHostFile(sourceHost, path);
    if (!content) return content.error();
    struct stat info {};
    if (::stat(sourceHost.c_str(), &info) != 0) return ErrnoError(errno, "move", path);

    std::string temporary = targetHost + ".kestrover-move";
    int descriptor =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, info.st_mode & 07777);
    if (descriptor < 0) return ErrnoError(errno, "move", path);
    Status written = WriteAll(descriptor, *content, path);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    if (written && (::futimens(descriptor, times) != 0 || ::fsync(descriptor) != 0)) {
        written = ErrnoError(errno, "move", path);
    }
    ::close(descriptor);
    if (written && ::rename(temporary.c_str(), targetHost.c_str()) != 0) {
        written = ErrnoError(errno, "move", path);
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return written;
    }
    if (::unlink(sourceHost.c_str()) != 0) return ErrnoError(errno, "move", path);
    return {};
}

}  // namespace

void PosixFileSystem::MapDrive(char letter, std::string hostFolder, DriveType type) {
    assert(((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) &&
           "a drive is a letter");
    if (letter >= 'a') letter = static_cast<char>(letter - 'a' + 'A');
    Mapping mapping;
    mapping.hostFolder = NormalHostFolder(hostFolder);
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(hostFolder, error);
    mapping.canonicalFolder = error ? mapping.hostFolder : NormalHostFolder(canonical);
    mapping.type = type;
    drives_[letter] = std::move(mapping);
}

void PosixFileSystem::UnmapDrive(char letter) {
    if (letter >= 'a') letter = static_cast<char>(letter - 'a' + 'A');
    drives_.erase(letter);
}

std::optional<PosixFileSystem::Resolved> PosixFileSystem::Resolve(
    std::string_view windowsPath) const {
    std::optional<WindowsPath> parsed = ParseWindowsPath(windowsPath);
    if (!parsed) return std::nullopt;
    return Resolve(*parsed);
}

std::optional<PosixFileSystem::Resolved> PosixFileSystem::Resolve(const WindowsPath& path) const {
    auto drive = drives_.find(path.drive);
    if (drive == drives_.end()) return std::nullopt;
    Resolved resolved{path, drive->second.hostFolder.empty() ? "/" : drive->second.hostFolder,
                      true};
    for (const std::string& name : path.components) {
        std::optional<std::string> hostName;
        if (resolved.exists) hostName = FindHostName(resolved.host, name);
        if (!hostName) resolved.exists = false;
        resolved.host = JoinHost(resolved.host, hostName ? *hostName : name);
    }
    if (resolved.exists && path.trailingSeparator) {
        std::optional<HostStat> info = StatHost(resolved.host);
        resolved.exists = info && info->IsDirectory();
    }
    return resolved;
}

std::optional<std::string> PosixFileSystem::ToHostPath(std::string_view windowsPath) const {
    std::optional<Resolved> resolved = Resolve(windowsPath);
    if (!resolved) return std::nullopt;
    if (resolved->path.trailingSeparator) resolved->host += '/';
    return resolved->host;
}

std::optional<std::string> PosixFileSystem::ToWindowsPath(std::string_view hostPath) const {
    std::string path = NormalHostFolder(std::string(hostPath));
    char bestLetter = 0;
    std::size_t bestLength = 0;
    for (const auto& [letter, mapping] : drives_) {
        for (const std::string* folder : {&mapping.hostFolder, &mapping.canonicalFolder}) {
            bool inside =
                path == *folder || (path.size() > folder->size() && path.starts_with(*folder) &&
                                    path[folder->size()] == '/');
            if (inside && (bestLetter == 0 || folder->size() > bestLength)) {
                bestLetter = letter;
                bestLength = folder->size();
            }
        }
    }
    if (bestLetter == 0) return std::nullopt;

    std::string windows{bestLetter, ':', '\\'};
    std::string_view rest = std::string_view(path).substr(bestLength);
    bool first = true;
    while (!rest.empty()) {
        rest.remove_prefix(1);  // the slash
        std::string_view name = rest.substr(0, rest.find('/'));
        rest.remove_prefix(name.size());
        if (!IsRepresentable(name)) return std::nullopt;
        if (!first) windows += '\\';
        windows += name;
        first = false;
    }
    return windows;
}

Result<std::vector<FileEntry>> PosixFileSystem::FindFiles(std::string_view pattern) {
    std::optional<FindPattern> parsed = ParseFindPattern(pattern);
    if (!parsed) return InvalidPath("find", pattern);
    std::optional<Resolved> folder = Resolve(parsed->folder);
    if (!folder || !folder->exists) return Failure(ErrorCode::NotFound, "find", pattern);
    std::optional<HostStat> folderInfo = StatHost(folder->host);
    if (!folderInfo || !folderInfo->IsDirectory()) {
        return Failure(ErrorCode::NotFound, "find", pattern);
    }

    std::vector<FileEntry> entries;
    if (parsed->mask.empty()) return entries;
    // A plain name needs no listing unless its spelling differs from the host's.
    if (!HasWildcards(parsed->mask)) {
        if (!IsValidFileName(parsed->mask)) return entries;
        std::optional<std::string> name = FindHostName(folder->host, parsed->mask);
        if (!name) return entries;
        std::optional<HostStat> info = StatHost(JoinHost(folder->host, *name));
        if (info) entries.push_back(EntryOf(*name, *info));
        return entries;
    }
    bool listed = ForEachHostEntry(folder->host, [&](std::string_view name) {
        if (!IsRepresentable(name) || !MatchesFileMask(name, parsed->mask)) return;
        // Entries that vanish meanwhile, and links that lead nowhere, are left out.
        std::optional<HostStat> info = StatHost(JoinHost(folder->host, name));
        if (info) entries.push_back(EntryOf(name, *info));
    });
    if (!listed) return ErrnoError(errno, "find", pattern);
    return entries;
}

std::optional<FileEntry> PosixFileSystem::GetFileInfo(std::string_view path) {
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved || !resolved->exists || resolved->path.IsRoot() ||
        resolved->path.trailingSeparator) {
        return std::nullopt;
    }
    std::optional<HostStat> info = StatHost(resolved->host);
    if (!info) return std::nullopt;
    return EntryOf(HostName(resolved->host), *info);
}

bool PosixFileSystem::FileExists(std::string_view path) {
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved || !resolved->exists || resolved->path.trailingSeparator) return false;
    std::optional<HostStat> info = StatHost(resolved->host);
    return info && !info->IsDirectory();
}

bool PosixFileSystem::DirectoryExists(std::string_view path) {
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved || !resolved->exists) return false;
    std::optional<HostStat> info = StatHost(resolved->host);
    return info && info->IsDirectory();
}

Status PosixFileSystem::CreateDirectory(std::string_view path) {
    static constexpr std::string_view kAction = "create folder";
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved) return InvalidPath(kAction, path);
    if (resolved->exists) return Failure(ErrorCode::AlreadyExists, kAction, path);
    if (::mkdir(resolved->host.c_str(), 0777) != 0) return ErrnoError(errno, kAction, path);
    return {};
}

Status PosixFileSystem::RemoveDirectory(std::string_view path) {
    static constexpr std::string_view kAction = "remove folder";
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved) return InvalidPath(kAction, path);
    if (!resolved->exists) return Failure(ErrorCode::NotFound, kAction, path);
    std::optional<HostStat> info = StatHost(resolved->host);
    if (!info) return ErrnoError(errno, kAction, path);
    if (!info->IsDirectory()) return Failure(ErrorCode::InvalidData, kAction, path);
    if (resolved->path.IsRoot()) return Failure(ErrorCode::AccessDenied, kAction, path);
    if (::rmdir(resolved->host.c_str()) != 0) {
        // A folder that is not empty is refused, not a lack of rights.
        if (errno == ENOTEMPTY || errno == EEXIST) {
            return MakeError(ErrorCode::Io, Describe(kAction, path), errno);
        }
        return ErrnoError(errno, kAction, path);
    }
    return {};
}

Status PosixFileSystem::MoveFile(std::string_view from, std::string_view to,
                                 ExistingTarget existing) {
    static constexpr std::string_view kAction = "move";
    std::optional<Resolved> source = Resolve(from);
    if (!source) return InvalidPath(kAction, from);
    std::optional<Resolved> target = Resolve(to);
    if (!target) return InvalidPath(kAction, to);

    std::optional<HostStat> sourceInfo;
    if (source->exists) sourceInfo = StatHost(source->host);
    if (!sourceInfo) return Failure(ErrorCode::NotFound, kAction, from);
    if (source->path.IsRoot() || target->path.IsRoot()) {
        return Failure(ErrorCode::AccessDenied, kAction, from);
    }
    bool movingFolder = sourceInfo->IsDirectory();
    if (target->path.trailingSeparator && !movingFolder) {
        return Failure(ErrorCode::InvalidData, kAction, to);
    }
    // Windows moves folders only within a drive.
    if (movingFolder && source->path.drive != target->path.drive) {
        return Failure(ErrorCode::Io, kAction, from);
    }
    if (movingFolder && source->path.Contains(target->path) && !source->path.SameAs(target->path)) {
        return Failure(ErrorCode::InvalidData, kAction, to);
    }
    // A missing folder on the way is spelled as given, which the host does not have either.
    std::string targetFolder = HostParent(target->host);
    std::optional<HostStat> folderInfo = StatHost(targetFolder);
    if (!folderInfo || !folderInfo->IsDirectory()) {
        return Failure(ErrorCode::NotFound, kAction, to);
    }
    // The target as spelled in the call: the name the entry has after the move.
    std::string spelledTarget = JoinHost(targetFolder, target->path.Name());

    if (target->exists) {
        if (target->host == source->host) {
            // The same entry: at most a change of letter case.
            if (spelledTarget == source->host) return {};
            if (::rename(source->host.c_str(), spelledTarget.c_str()) != 0) {
                return ErrnoError(errno, kAction, from);
            }
            return {};
        }
        if (existing == ExistingTarget::Fail) {
            return Failure(ErrorCode::AlreadyExists, kAction, to);
        }
        std::optional<HostStat> targetInfo = StatHost(target->host);
        if (movingFolder || !targetInfo || targetInfo->IsDirectory() || targetInfo->IsReadOnly()) {
            return Failure(ErrorCode::AccessDenied, kAction, to);
        }
    }

    // rename() replaces an existing target in one step; a file replaced under another
    // spelling is then given the new one.
    std::string destination = target->exists ? target->host : spelledTarget;
    if (::rename(source->host.c_str(), destination.c_str()) != 0) {
        if (errno != EXDEV) return ErrnoError(errno, kAction, from);
        if (movingFolder) return ErrnoError(errno, kAction, from);
        Status copied = CopyAcrossDevices(source->host, destination, from);
        if (!copied) return copied;
    }
    if (destination != spelledTarget) ::rename(destination.c_str(), spelledTarget.c_str());
    return {};
}

Status PosixFileSystem::DeleteFile(std::string_view path) {
    static constexpr std::string_view kAction = "delete";
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved) return InvalidPath(kAction, path);
    if (!resolved->exists) return Failure(ErrorCode::NotFound, kAction, path);
    std::optional<HostStat> info = StatHost(resolved->host);
    // Windows refuses folders and read-only files; a dangling link is removed like a file.
    if (info && (info->IsDirectory() || info->IsReadOnly())) {
        return Failure(ErrorCode::AccessDenied, kAction, path);
    }
    if (::unlink(resolved->host.c_str()) != 0) return ErrnoError(errno, kAction, path);
    return {};
}

Status PosixFileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
    static constexpr std::string_view kAction = "set attributes of";
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved) return InvalidPath(kAction, path);
    if (!resolved->exists) return Failure(ErrorCode::NotFound, kAction, path);
    std::optional<HostStat> info = StatHost(resolved->host);
    if (!info) return ErrnoError(errno, kAction, path);
    // A folder's read-only attribute means nothing to Windows; on the host it would lock the
    // folder's content, so folders are left alone.
    if (!info->IsRegular()) return {};
    mode_t mode = info->mode & 07777;
    mode = (attributes & FileAttribute::ReadOnly) != 0 ? mode & ~static_cast<mode_t>(0222)
                                                       : mode | S_IWUSR;
    if (::chmod(resolved->host.c_str(), mode) != 0) return ErrnoError(errno, kAction, path);
    return {};
}

Result<std::vector<std::uint8_t>> PosixFileSystem::ReadFile(std::string_view path) {
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved) return InvalidPath("read", path);
    if (!resolved->exists) return Failure(ErrorCode::NotFound, "read", path);
    return ReadHostFile(resolved->host, path);
}

Result<std::unique_ptr<FileWriter>> PosixFileSystem::CreateFile(std::string_view path) {
    static constexpr std::string_view kAction = "create";
    std::optional<Resolved> resolved = Resolve(path);
    if (!resolved || resolved->path.IsRoot() || resolved->path.trailingSeparator) {
        return InvalidPath(kAction, path);
    }
    int flags = O_WRONLY | O_CLOEXEC;
    if (resolved->exists) {
        std::optional<HostStat> info = StatHost(resolved->host);
        // The owner's permission is checked here because root would be let through.
        if (info && (info->IsDirectory() || info->IsReadOnly())) {
            return Failure(ErrorCode::AccessDenied, kAction, path);
        }
        flags |= O_TRUNC;
    } else {
        flags |= O_CREAT | O_EXCL;
    }
    int descriptor = ::open(resolved->host.c_str(), flags, 0666);
    if (descriptor < 0) return ErrnoError(errno, kAction, path);
    return std::unique_ptr<FileWriter>(
        std::make_unique<PosixFileWriter>(descriptor, std::move(resolved->host)));
}

std::uint32_t PosixFileSystem::LogicalDrives() {
    std::uint32_t mask = 0;
    for (const auto& [letter, mapping] : drives_) mask |= 1u << (letter - 'A');
    return mask;
}

DriveType PosixFileSystem::GetDriveType(std::string_view root) {
    std::optional<char> letter = ParseDriveRoot(root);
    if (!letter) return DriveType::NoRootDirectory;
    auto drive = drives_.find(*letter);
    if (drive == drives_.end()) return DriveType::NoRootDirectory;
    return drive->second.type;
}

}  // namespace kestrover
