// In-memory registry: a tree of keys with typed values (values keep their creation order,
// subkeys enumerate sorted without regard to case), the 64-bit and 32-bit views with
// Wow6432Node redirection as 64-bit Windows applies it, per-key read and write denial, and
// fault injection, and key security (an owner and an access list per key, checked against a
// process token). HKEY_CLASSES_ROOT is the same tree as HKEY_LOCAL_MACHINE\Software\Classes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/RegistryPort.h"
#include "platform/ports/SecurityPort.h"

namespace kestrover {

class MemoryRegistry final : public RegistryPort {
public:
    struct Node;  // defined in the .cpp
    using NodeChain = std::vector<std::shared_ptr<Node>>;  // the storage root first, the key last

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

    // The process the registry checks key access for: its user, the groups it belongs to (SID
    // strings or SDDL aliases) and its privileges. A plain user by default.
    struct AccessToken {
        std::string userSid = "S-1-5-21-1000-1000-1000-1001";
        std::vector<std::string> groups = {"WD", "AU", "BU"};
        std::vector<std::string> heldPrivileges;
        std::vector<std::string> enabledPrivileges;
        bool userSidReadable = true;

        // A member of the administrators, holding the ownership and restore privileges (none
        // enabled), as Wine's user and an elevated Windows user are.
        static AccessToken Administrator();
        bool HasGroup(std::string_view trustee) const;
        bool PrivilegeEnabled(std::string_view name) const;
    };
    AccessToken& Token() { return token_; }

    // Key security. A key has an owner ("BA" unless set) and may have an access list of its own
    // (an SDDL "D:" text); a key without one takes the inheritable entries (CI) of its
    // ancestors' lists, up to the first protected list. Where no key on the way has a list,
    // every access is granted, as before any list was set. The owner is always granted
    // reading and changing the access list; WRITE_OWNER is granted to a token with the
    // take-ownership privilege enabled. Test controls address keys in the 64-bit view; false
    // when the key does not exist or the list is not valid.
    bool SetKeySecurity(PredefinedKey root, std::string_view path, std::string owner,
                        std::optional<std::string> accessList);
    struct KeySecurityState {
        std::string owner;
        std::optional<std::string> accessList;  // the key's own list, nothing when it has none
    };
    std::optional<KeySecurityState> KeySecurityOf(PredefinedKey root, std::string_view path) const;
    // Opens a key for the security port (see SecurityPort::OpenKeySecurity).
    Result<std::unique_ptr<KeySecurity>> OpenKeySecurity(PredefinedKey root, std::string_view path,
                                                         std::uint32_t access);

    bool Windows64() const { return windows64_; }
    // Grows with every change (value set or deleted, key created or deleted): a registry kept
    // in a file is saved back only when this moved.
    std::uint64_t ChangeCount() const { return changeCount_; }
    void NoteChange() { ++changeCount_; }
    bool ConsumeWriteFailure();

private:
    friend class MemoryKey;
    friend class MemoryKeySecurity;

    std::shared_ptr<Node> RootNode(PredefinedKey root) const;
    // The stored key a 64-bit-view path names, or null.
    Node* StorageNode(PredefinedKey root, std::string_view path) const;
    // Finds (or with create, makes) the key a request names; checks the rights asked for.
    Result<std::shared_ptr<Node>> Walk(PredefinedKey root, std::string_view path,
                                       std::uint32_t access, bool create,
                                       NodeChain* chain = nullptr);
    // Whether the token is granted every right of access on the last key of chain.
    bool AccessAllowed(const NodeChain& chain, std::uint32_t access) const;
    // The key's access list as the system shows it: its own entries, then those it inherits
    // (marked "ID"); "D:NO_ACCESS_CONTROL" where no key on the way has a list.
    std::string EffectiveAccessListText(const NodeChain& chain) const;

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
    AccessToken token_;
};

}  // namespace kestrover
