// In-memory file system: a tree of folders and files per drive, behaving as kernel32 does on
// an NTFS drive where the tests can tell (errors, attributes, times, open files).
#include "platform/memory/MemoryFileSystem.h"

#include <algorithm>

#include "core/Unicode.h"
#include "platform/ports/FileMask.h"

namespace kestrover {

namespace {

// The Win32 codes kernel32 gives for the same failures, kept as the errors' native codes.
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kNotSameDevice = 17;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kDiskFull = 112;
constexpr std::uint32_t kInvalidName = 123;
constexpr std::uint32_t kDirectoryNotEmpty = 145;
constexpr std::uint32_t kAlreadyExists = 183;
constexpr std::uint32_t kNotADirectory = 267;

// 2026-01-01 00:00:00 UTC in FILETIME ticks.
constexpr std::uint64_t kClockStart = 134116992000000000ULL;
constexpr std::uint64_t kTicksPerSecond = 10000000ULL;

// The attributes SetFileAttributes can change; Directory and Normal follow from the node.
constexpr std::uint32_t kSettableAttributes = FileAttribute::ReadOnly | FileAttribute::Hidden |
                                              FileAttribute::System | FileAttribute::Archive |
                                              0x100 /* temporary */ | 0x1000 /* offline */ |
                                              0x2000 /* not content indexed */;

Error InvalidPath(std::string_view path, std::string_view action) {
    return MakeError(ErrorCode::InvalidData,
                     std::string(action) + " \"" + std::string(path) + "\": invalid path",
                     kInvalidName);
}

Error Failure(ErrorCode code, std::uint32_t nativeCode, std::string_view action,
              std::string_view path) {
    return MakeError(code, std::string(action) + " \"" + std::string(path) + "\"", nativeCode);
}

}  // namespace

struct MemoryFileSystem::Node {
    std::string name;
    bool directory = false;
    std::uint32_t attributes = 0;  // settable bits only
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;
    std::vector<std::uint8_t> content;
    std::map<std::string, std::shared_ptr<Node>, NameLess> children;
    int openWriters = 0;

    static std::shared_ptr<Node> Make(std::string name, bool directory, std::uint64_t now) {
        auto node = std::make_shared<Node>();
        node->name = std::move(name);
        node->directory = directory;
        node->attributes = directory ? 0 : FileAttribute::Archive;
        node->creationTime = node->lastAccessTime = node->lastWriteTime = now;
        return node;
    }

    Node* Child(std::string_view childName) {
        auto found = children.find(childName);
        return found == children.end() ? nullptr : found->second.get();
    }

    void Touch(std::uint64_t now) { lastWriteTime = lastAccessTime = now; }

    bool IsReadOnly() const { return (attributes & FileAttribute::ReadOnly) != 0; }

    // Windows refuses to delete, replace or move a file someone has open, and to move a
    // folder with an open file below it.
    bool InUse() const {
        if (openWriters > 0) return true;
        return std::any_of(children.begin(), children.end(),
                           [](const auto& child) { return child.second->InUse(); });
    }

    FileEntry Entry() const {
        FileEntry entry;
        entry.name = name;
        entry.attributes = attributes | (directory ? FileAttribute::Directory : 0);
        if (entry.attributes == 0) entry.attributes = FileAttribute::Normal;
        entry.size = directory ? 0 : content.size();
        entry.creationTime = creationTime;
        entry.lastAccessTime = lastAccessTime;
        entry.lastWriteTime = lastWriteTime;
        return entry;
    }
};

class MemoryFileSystem::Writer final : public FileWriter {
public:
    Writer(MemoryFileSystem& fileSystem, std::shared_ptr<Node> file)
        : fileSystem_(fileSystem), file_(std::move(file)) {
        ++file_->openWriters;
    }
    ~Writer() override { Release(); }

    Status Write(std::span<const std::uint8_t> bytes) override {
        if (!file_) return MakeError(ErrorCode::Io, "write to a closed file");
        std::size_t size = bytes.size();
        std::int64_t& budget = fileSystem_.writeBudget_;
        if (budget >= 0 && static_cast<std::uint64_t>(budget) < size) {
            size = static_cast<std::size_t>(budget);
        }
        file_->content.insert(file_->content.end(), bytes.begin(), bytes.begin() + size);
        if (size > 0) file_->Touch(fileSystem_.Tick());
        if (budget >= 0) budget -= static_cast<std::int64_t>(size);
        if (size < bytes.size()) {
            return Failure(ErrorCode::Io, kDiskFull, "write to", file_->name);
        }
        return {};
    }

    Status Close() override {
        if (!file_) return MakeError(ErrorCode::Io, "close of a closed file");
        Release();
        return {};
    }

private:
    void Release() {
        if (!file_) return;
        --file_->openWriters;
        file_.reset();
    }

    MemoryFileSystem& fileSystem_;
    std::shared_ptr<Node> file_;
};

MemoryFileSystem::MemoryFileSystem() : clock_(kClockStart) { AddDrive('C', DriveType::Fixed); }

MemoryFileSystem::~MemoryFileSystem() = default;

std::uint64_t MemoryFileSystem::Tick() {
    std::uint64_t now = clock_;
    clock_ += kTicksPerSecond;
    return now;
}

void MemoryFileSystem::AddDrive(char letter, DriveType type) {
    assert(((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) &&
           "a drive is a letter");
    if (letter >= 'a') letter = static_cast<char>(letter - 'a' + 'A');
    Drive& drive = drives_[letter];
    drive.type = type;
    if (!drive.root) drive.root = Node::Make({}, true, clock_);
}

void MemoryFileSystem::RemoveDrive(char letter) {
    if (letter >= 'a') letter = static_cast<char>(letter - 'a' + 'A');
    drives_.erase(letter);
}

MemoryFileSystem::Node* MemoryFileSystem::Find(const WindowsPath& path) {
    auto drive = drives_.find(path.drive);
    if (drive == drives_.end()) return nullptr;
    Node* node = drive->second.root.get();
    for (const std::string& name : path.components) {
        if (!node->directory) return nullptr;
        node = node->Child(name);
        if (!node) return nullptr;
    }
    if (path.trailingSeparator && !node->directory) return nullptr;
    return node;
}

Result<MemoryFileSystem::Node*> MemoryFileSystem::MakeFolders(const WindowsPath& path) {
    auto drive = drives_.find(path.drive);
    if (drive == drives_.end()) {
        return Failure(ErrorCode::NotFound, kPathNotFound, "create folder", path.ToString());
    }
    Node* node = drive->second.root.get();
    for (const std::string& name : path.components) {
        Node* child = node->Child(name);
        if (!child) {
            std::uint64_t now = Tick();
            auto made = Node::Make(name, true, now);
            child = made.get();
            node->children.emplace(name, std::move(made));
            node->Touch(now);
        }
        if (!child->directory) {
            return Failure(ErrorCode::AlreadyExists, kAlreadyExists, "create folder",
                           path.ToString());
        }
        node = child;
    }
    return node;
}

Status MemoryFileSystem::AddFile(std::string_view path, std::string_view content) {
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed || parsed->IsRoot()) return InvalidPath(path, "add file");
    Result<Node*> folder = MakeFolders(parsed->Parent());
    if (!folder) return folder.error();
    auto writer = OpenForWriting(path);
    if (!writer) return writer.error();
    // Set-up data is not subject to the injected disk limit.
    Node* file = Find(*parsed);
    file->content.assign(content.begin(), content.end());
    return (*writer)->Close();
}

Status MemoryFileSystem::AddDirectories(std::string_view path) {
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return InvalidPath(path, "add folders");
    Result<Node*> folder = MakeFolders(*parsed);
    if (!folder) return folder.error();
    return {};
}

Status MemoryFileSystem::SetFileTimes(std::string_view path, std::uint64_t creation,
                                      std::uint64_t lastAccess, std::uint64_t lastWrite) {
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return InvalidPath(path, "set times of");
    Node* node = Find(*parsed);
    if (!node) return Failure(ErrorCode::NotFound, kFileNotFound, "set times of", path);
    node->creationTime = creation;
    node->lastAccessTime = lastAccess;
    node->lastWriteTime = lastWrite;
    return {};
}

Result<std::vector<FileEntry>> MemoryFileSystem::FindFiles(std::string_view pattern) {
    std::optional<FindPattern> parsed = ParseFindPattern(pattern);
    if (!parsed) return InvalidPath(pattern, "find");
    Node* folder = Find(parsed->folder);
    if (!folder || !folder->directory) {
        return Failure(ErrorCode::NotFound, kPathNotFound, "find", pattern);
    }
    std::vector<FileEntry> entries;
    for (const auto& [name, child] : folder->children) {
        if (MatchesFileMask(name, parsed->mask)) entries.push_back(child->Entry());
    }
    return entries;
}

std::optional<FileEntry> MemoryFileSystem::GetFileInfo(std::string_view path) {
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    // Like a search for the one name: a root or a name followed by a separator finds nothing.
    if (!parsed || parsed->IsRoot() || parsed->trailingSeparator) return std::nullopt;
    Node* node = Find(*parsed);
    if (!node) return std::nullopt;
    return node->Entry();
}

bool MemoryFileSystem::FileExists(std::string_view path) {
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return false;
    Node* node = Find(*parsed);
    return node && !node->directory;
}

bool MemoryFileSystem::DirectoryExists(std::string_view path) {
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return false;
    Node* node = Find(*parsed);
    return node && node->directory;
}

Status MemoryFileSystem::CreateDirectory(std::string_view path) {
    static constexpr std::string_view kAction = "create folder";
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return InvalidPath(path, kAction);
    if (parsed->IsRoot()) {
        if (Find(*parsed)) return Failure(ErrorCode::AlreadyExists, kAlreadyExists, kAction, path);
        return Failure(ErrorCode::NotFound, kPathNotFound, kAction, path);
    }
    Node* parent = Find(parsed->Parent());
    if (!parent || !parent->directory) {
        return Failure(ErrorCode::NotFound, kPathNotFound, kAction, path);
    }
    if (parent->Child(parsed->Name())) {
        return Failure(ErrorCode::AlreadyExists, kAlreadyExists, kAction, path);
    }
    std::uint64_t now = Tick();
    parent->children.emplace(parsed->Name(), Node::Make(parsed->Name(), true, now));
    parent->Touch(now);
    return {};
}

Status MemoryFileSystem::RemoveDirectory(std::string_view path) {
    static constexpr std::string_view kAction = "remove folder";
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return InvalidPath(path, kAction);
    Node* node = Find(*parsed);
    if (!node) return Failure(ErrorCode::NotFound, kFileNotFound, kAction, path);
    if (!node->directory) return Failure(ErrorCode::InvalidData, kNotADirectory, kAction, path);
    if (parsed->IsRoot()) return Failure(ErrorCode::AccessDenied, kAccessDenied, kAction, path);
    if (!node->children.empty()) {
        return Failure(ErrorCode::Io, kDirectoryNotEmpty, kAction, path);
    }
    Node* parent = Find(parsed->Parent());
    parent->children.erase(node->name);
    parent->Touch(Tick());
    return {};
}

Status MemoryFileSystem::MoveFile(std::string_view from, std::string_view to,
                                  ExistingTarget existing) {
    static constexpr std::string_view kAction = "move";
    std::optional<WindowsPath> source = ParseWindowsPath(from);
    if (!source) return InvalidPath(from, kAction);
    std::optional<WindowsPath> target = ParseWindowsPath(to);
    if (!target) return InvalidPath(to, kAction);

    Node* node = Find(*source);
    if (!node) return Failure(ErrorCode::NotFound, kFileNotFound, kAction, from);
    if (source->IsRoot() || target->IsRoot()) {
        return Failure(ErrorCode::AccessDenied, kAccessDenied, kAction, from);
    }
    if (node->InUse()) return Failure(ErrorCode::AccessDenied, kSharingViolation, kAction, from);
    if (target->trailingSeparator && !node->directory) {
        return Failure(ErrorCode::InvalidData, kInvalidName, kAction, to);
    }
    if (node->directory && source->drive != target->drive) {
        return Failure(ErrorCode::Io, kNotSameDevice, kAction, from);
    }
    if (node->directory && source->Contains(*target) && !source->SameAs(*target)) {
        return Failure(ErrorCode::InvalidData, kInvalidParameter, kAction, to);
    }
    Node* targetFolder = Find(target->Parent());
    if (!targetFolder || !targetFolder->directory) {
        return Failure(ErrorCode::NotFound, kPathNotFound, kAction, to);
    }

    Node* sourceFolder = Find(source->Parent());
    std::shared_ptr<Node> moving = sourceFolder->children.find(node->name)->second;
    Node* occupant = targetFolder->Child(target->Name());
    if (occupant && occupant != node) {
        if (existing == ExistingTarget::Fail) {
            return Failure(ErrorCode::AlreadyExists, kAlreadyExists, kAction, to);
        }
        if (occupant->directory || node->directory || occupant->IsReadOnly()) {
            return Failure(ErrorCode::AccessDenied, kAccessDenied, kAction, to);
        }
        if (occupant->InUse()) {
            return Failure(ErrorCode::AccessDenied, kSharingViolation, kAction, to);
        }
        targetFolder->children.erase(occupant->name);
    }

    // A move keeps the file's own times; the folders it leaves and enters change.
    sourceFolder->children.erase(moving->name);
    moving->name = target->Name();
    targetFolder->children.emplace(moving->name, moving);
    std::uint64_t now = Tick();
    sourceFolder->Touch(now);
    targetFolder->Touch(now);
    return {};
}

Status MemoryFileSystem::DeleteFile(std::string_view path) {
    static constexpr std::string_view kAction = "delete";
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return InvalidPath(path, kAction);
    Node* node = Find(*parsed);
    if (!node) return Failure(ErrorCode::NotFound, kFileNotFound, kAction, path);
    if (node->directory || node->IsReadOnly()) {
        return Failure(ErrorCode::AccessDenied, kAccessDenied, kAction, path);
    }
    if (node->InUse()) return Failure(ErrorCode::AccessDenied, kSharingViolation, kAction, path);
    Node* parent = Find(parsed->Parent());
    parent->children.erase(node->name);
    parent->Touch(Tick());
    return {};
}

Status MemoryFileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
    static constexpr std::string_view kAction = "set attributes of";
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return InvalidPath(path, kAction);
    Node* node = Find(*parsed);
    if (!node) return Failure(ErrorCode::NotFound, kFileNotFound, kAction, path);
    node->attributes = attributes & kSettableAttributes;
    return {};
}

Result<std::vector<std::uint8_t>> MemoryFileSystem::ReadFile(std::string_view path) {
    static constexpr std::string_view kAction = "read";
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return InvalidPath(path, kAction);
    Node* node = Find(*parsed);
    if (!node) return Failure(ErrorCode::NotFound, kFileNotFound, kAction, path);
    if (node->directory) return Failure(ErrorCode::AccessDenied, kAccessDenied, kAction, path);
    return node->content;
}

Result<std::unique_ptr<FileWriter>> MemoryFileSystem::CreateFile(std::string_view path) {
    if (failNextCreation_) {
        failNextCreation_ = false;
        return Failure(ErrorCode::AccessDenied, kAccessDenied, "create", path);
    }
    return OpenForWriting(path);
}

Result<std::unique_ptr<FileWriter>> MemoryFileSystem::OpenForWriting(std::string_view path) {
    static constexpr std::string_view kAction = "create";
    std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed || parsed->IsRoot() || parsed->trailingSeparator) {
        return InvalidPath(path, kAction);
    }
    Node* parent = Find(parsed->Parent());
    if (!parent || !parent->directory) {
        return Failure(ErrorCode::NotFound, kPathNotFound, kAction, path);
    }
    std::uint64_t now = Tick();
    std::shared_ptr<Node> file;
    auto found = parent->children.find(parsed->Name());
    if (found != parent->children.end()) {
        file = found->second;
        if (file->directory || file->IsReadOnly()) {
            return Failure(ErrorCode::AccessDenied, kAccessDenied, kAction, path);
        }
        if (file->InUse()) {
            return Failure(ErrorCode::AccessDenied, kSharingViolation, kAction, path);
        }
        // Overwriting keeps the name's letter case and the creation time, as CREATE_ALWAYS does.
        file->content.clear();
        file->attributes |= FileAttribute::Archive;
        file->Touch(now);
    } else {
        file = Node::Make(parsed->Name(), false, now);
        parent->children.emplace(file->name, file);
        parent->Touch(now);
    }
    return std::unique_ptr<FileWriter>(std::make_unique<Writer>(*this, std::move(file)));
}

std::uint32_t MemoryFileSystem::LogicalDrives() {
    std::uint32_t mask = 0;
    for (const auto& [letter, drive] : drives_) mask |= 1u << (letter - 'A');
    return mask;
}

DriveType MemoryFileSystem::GetDriveType(std::string_view root) {
    std::optional<char> letter = ParseDriveRoot(root);
    if (!letter) return DriveType::NoRootDirectory;
    auto drive = drives_.find(*letter);
    if (drive == drives_.end()) return DriveType::NoRootDirectory;
    return drive->second.type;
}

}  // namespace kestrover
