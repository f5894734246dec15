// In-memory registry: a tree of keys with typed values (values keep their creation order,
// subkeys enumerate sorted without regard to case), the 64-bit and 32-bit views with
// Wow6432Node redirection as 64-bit Windows applies it, per-key read and write denial, and
// fault injection. HKEY_CLASSES_ROOT is the same tree as HKEY_LOCAL_MACHINE\Software\Classes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/RegistryPort.h"

namespace kestrover {

class MemoryRegistry final : public RegistryPort {
public:
    struct Node;  // defined in the .cpp

    // windows64: whether this registry plays 64-bit Windows (the KEY_WOW64 flags choose a
    // view) or 32-bit Windows (they are ignored). The process is always a 64-bit one, so
    // without a flag it sees the 64-bit view.
    explicit MemoryRegistry(bool windows64 = true);
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    Result<std::unique_ptr<RegistryKey>> OpenKey(PredefinedKey root, std::string_view path,
                                                 std::uint32_t access) override;
    Result<std::unique_ptr<RegistryKey>> CreateKey(PredefinedKey root, std::string_view path,
                                                   std::uint32_t access) override;

    // Test controls, addressed by path in the 64-bit view (no redirection). They return false
    // when the key does not exist.
    bool SetReadDenied(PredefinedKey root, std::string_view path, bool denied);
    bool SetWriteDenied(PredefinedKey root, std::string_view path, bool denied);
    // The next value write or key creation or deletion fails with AccessDenied.
    void FailNextWrite() { failNextWrite_ = true; }

    // The access mask of every OpenKey and CreateKey request, in order, for tests of the
    // view flags a caller sends.
    struct AccessRecord {
        PredefinedKey root;
        std::string path;
        std::uint32_t access;
    };
    const std::vector<AccessRecord>& AccessLog() const { return accessLog_; }
    void ClearAccessLog() { accessLog_.clear(); }

    // Number of keys in the whole tree (roots excluded), for benchmarks and tests.
    std::size_t KeyCount() const;

    // The storage path a request resolves to after view redirection ("Software\Wow6432Node\X"
    // for "Software\X" in the 32-bit view), with the root it lands in.
    struct ResolvedPath {
        PredefinedKey root;
        std::vector<std::string> components;
    };
    // Nothing when the path is malformed (an empty component).
    std::optional<ResolvedPath> Resolve(PredefinedKey root, std::string_view path,
                                        std::uint32_t access) const;

    bool Windows64() const { return windows64_; }
    // Grows with every change (value set or deleted, key created or deleted): a registry kept
    // in a file is saved back only when this moved.
    std::uint64_t ChangeCount() const { return changeCount_; }
    void NoteChange() { ++changeCount_; }
    bool ConsumeWriteFailure();

private:
    friend class MemoryKey;

    std::shared_ptr<Node> RootNode(PredefinedKey root) const;
    // The stored key a 64-bit-view path names, or null.
    Node* StorageNode(PredefinedKey root, std::string_view path) const;
    // Finds (or with create, makes) the key a request names; checks the rights asked for.
    Result<std::shared_ptr<Node>> Walk(PredefinedKey root, std::string_view path,
                                       std::uint32_t access, bool create);

    bool windows64_;
    // Storage roots; HKEY_CLASSES_ROOT has none of its own (it resolves into HKLM).
    std::shared_ptr<Node> currentUser_;
    std::shared_ptr<Node> localMachine_;
    std::shared_ptr<Node> users_;
    std::shared_ptr<Node> currentConfig_;
    std::shared_ptr<Node> performanceData_;
    std::shared_ptr<Node> dynData_;
    bool failNextWrite_ = false;
    std::uint64_t changeCount_ = 0;
    std::vector<AccessRecord> accessLog_;
};

}  // namespace kestrover
