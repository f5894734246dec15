// In-memory registry: the tree, the view redirection of 64-bit Windows, access checks (denial
// flags and access lists) and fault injection.
#include "platform/memory/MemoryRegistry.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "core/Text.h"
#include "core/Unicode.h"
#include "platform/ports/AccessListText.h"

namespace kestrover {

struct MemoryRegistry::Node {
    std::string name;
    std::map<std::string, std::shared_ptr<Node>, NameLess> children;
    std::vector<RegistryValue> values;  // creation order, as Windows enumerates them
    bool readDenied = false;
    bool writeDenied = false;
    bool deleted = false;
    std::string owner;                        // empty: the administrators
    std::optional<AccessListText> accessList;  // nothing: the key has no list of its own

    // Values by upper-cased name, so that a key with many values is not searched value by
    // value on every write (loading a big key would then take time growing with its square).
    std::unordered_map<std::string, std::size_t> valueIndex;

    std::vector<RegistryValue>::iterator FindValue(std::string_view valueName) {
        auto found = valueIndex.find(NameUpper(valueName));
        if (found == valueIndex.end()) return values.end();
        return values.begin() + static_cast<std::ptrdiff_t>(found->second);
    }
    void AddValue(RegistryValue value) {
        valueIndex.emplace(NameUpper(value.name), values.size());
        values.push_back(std::move(value));
    }
    void EraseValue(std::vector<RegistryValue>::iterator position) {
        values.erase(position);
        valueIndex.clear();
        for (std::size_t i = 0; i < values.size(); ++i) valueIndex.emplace(NameUpper(values[i].name), i);
    }
};

namespace {

constexpr std::uint32_t kErrorKeyDeleted = 1018;  // ERROR_KEY_DELETED
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorBadPathname = 161;
constexpr std::uint32_t kErrorInvalidOwner = 1307;
constexpr std::uint32_t kErrorInvalidAcl = 1336;
constexpr std::uint32_t kErrorNoSuchUser = 1317;
constexpr std::string_view kDefaultOwner = "BA";

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    std::vector<std::string> components;
    if (path.empty()) return components;
    for (std::string& component : Split(path, '\\')) {
        if (component.empty()) return std::nullopt;
        components.push_back(std::move(component));
    }
    return components;
}

// Class keys that 64-bit Windows keeps apart for 32-bit programs (below a Wow6432Node key);
// every other class key is shared by both views.
bool IsRedirectedClassKey(std::string_view name) {
    static constexpr std::string_view kRedirected[] = {"CLSID", "Interface", "DirectShow",
                                                       "Media Type", "MediaFoundation"};
    for (std::string_view redirected : kRedirected) {
        if (NamesEqual(name, redirected)) return true;
    }
    return false;
}

// Inserts Wow6432Node before components[classesAt] when that names a redirected class key.
void RedirectClasses(std::vector<std::string>& components, std::size_t classesAt) {
    if (components.size() > classesAt && IsRedirectedClassKey(components[classesAt])) {
        components.insert(components.begin() + static_cast<std::ptrdiff_t>(classesAt),
                          "Wow6432Node");
    }
}

bool Is(const std::vector<std::string>& components, std::size_t index, std::string_view name) {
    return components.size() > index && NamesEqual(components[index], name);
}

Error Denied(std::string context) {
    return MakeError(ErrorCode::AccessDenied, std::move(context), kErrorAccessDenied);
}

}  // namespace

// An open key: keeps its node alive and the rights it was opened with.
class MemoryKey final : public RegistryKey {
public:
    MemoryKey(MemoryRegistry& registry, std::shared_ptr<MemoryRegistry::Node> node,
              PredefinedKey root, std::vector<std::string> path, std::uint32_t granted)
        : registry_(registry),
          node_(std::move(node)),
          root_(root),
          path_(std::move(path)),
          granted_(granted) {}

    Result<std::vector<std::string>> SubkeyNames() override {
        if (auto failure = Check(KeyAccess::EnumerateSubKeys)) return *failure;
        std::vector<std::string> names;
        names.reserve(node_->children.size());
        for (const auto& [name, child] : node_->children) names.push_back(child->name);
        return names;
    }

    Result<std::vector<std::string>> ValueNames() override {
        if (auto failure = Check(KeyAccess::QueryValue)) return *failure;
        std::vector<std::string> names;
        names.reserve(node_->values.size());
        for (const RegistryValue& value : node_->values) names.push_back(value.name);
        return names;
    }

    Result<std::vector<RegistryValue>> Values() override {
        if (auto failure = Check(KeyAccess::QueryValue)) return *failure;
        return node_->values;
    }

    Result<RegistryData> QueryValue(std::string_view name) override {
        if (auto failure = Check(KeyAccess::QueryValue)) return *failure;
        auto found = node_->FindValue(name);
        if (found == node_->values.end()) {
            return MakeError(ErrorCode::NotFound, "value " + std::string(name), kErrorFileNotFound);
        }
        return found->data;
    }

    Status SetValue(std::string_view name, std::uint32_t type,
                    std::span<const std::uint8_t> bytes) override {
        if (auto failure = Check(KeyAccess::SetValue)) return *failure;
        if (registry_.ConsumeWriteFailure()) return Denied("value " + std::string(name));
        auto found = node_->FindValue(name);
        RegistryData data{type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
        registry_.NoteChange();
        if (found != node_->values.end()) {
            found->data = std::move(data);  // an overwritten value keeps its name and place
            return {};
        }
        node_->AddValue(RegistryValue{std::string(name), std::move(data)});
        return {};
    }

    Status DeleteValue(std::string_view name) override {
        if (auto failure = Check(KeyAccess::SetValue)) return *failure;
        auto found = node_->FindValue(name);
        if (found == node_->values.end()) {
            return MakeError(ErrorCode::NotFound, "value " + std::string(name), kErrorFileNotFound);
        }
        if (registry_.ConsumeWriteFailure()) return Denied("value " + std::string(name));
        node_->EraseValue(found);
        registry_.NoteChange();
        return {};
    }

    Status DeleteSubkey(std::string_view name, std::uint32_t viewFlags) override {
        if (auto failure = Check(0)) return *failure;
        if (name.empty() || name.find('\\') != std::string_view::npos) {
            return MakeError(ErrorCode::InvalidData, "subkey " + std::string(name),
                             kErrorBadPathname);
        }
        // The name is looked up in the view the caller asks for, from this key's place.
        std::string path = Join(path_, "\\");
        if (!path.empty()) path += '\\';
        path += name;
        auto resolved = registry_.Resolve(root_, path, viewFlags);
        if (!resolved || resolved->components.empty()) {
            return MakeError(ErrorCode::NotFound, "subkey " + std::string(name), kErrorFileNotFound);
        }
        std::shared_ptr<MemoryRegistry::Node> parent = registry_.RootNode(resolved->root);
        MemoryRegistry::NodeChain chain{parent};
        for (std::size_t i = 0; i + 1 < resolved->components.size(); ++i) {
            auto child = parent->children.find(resolved->components[i]);
            if (child == parent->children.end()) {
                return MakeError(ErrorCode::NotFound, "subkey " + std::string(name),
                                 kErrorFileNotFound);
            }
            parent = child->second;
            chain.push_back(parent);
        }
        auto target = parent->children.find(resolved->components.back());
        if (target == parent->children.end()) {
            return MakeError(ErrorCode::NotFound, "subkey " + std::string(name), kErrorFileNotFound);
        }
        chain.push_back(target->second);
        // Windows refuses to delete a key that still has subkeys, or one it may not delete.
        if (!target->second->children.empty() || target->second->writeDenied ||
            !registry_.AccessAllowed(chain, KeyAccess::Delete)) {
            return Denied("subkey " + std::string(name));
        }
        if (registry_.ConsumeWriteFailure()) return Denied("subkey " + std::string(name));
        target->second->deleted = true;
        parent->children.erase(target);
        registry_.NoteChange();
        return {};
    }

private:
    std::optional<Error> Check(std::uint32_t right) const {
        if (node_->deleted) {
            return MakeError(ErrorCode::NotFound, "key deleted", kErrorKeyDeleted);
        }
        if (right != 0 && (granted_ & right) == 0) return Denied("key not opened for this");
        return std::nullopt;
    }

    MemoryRegistry& registry_;
    std::shared_ptr<MemoryRegistry::Node> node_;
    PredefinedKey root_;
    std::vector<std::string> path_;  // storage path, after redirection
    std::uint32_t granted_;
};

MemoryRegistry::MemoryRegistry(bool windows64) : windows64_(windows64) {
    auto makeRoot = [](std::string name) {
        auto node = std::make_shared<Node>();
        node->name = std::move(name);
        return node;
    };
    currentUser_ = makeRoot("HKEY_CURRENT_USER");
    localMachine_ = makeRoot("HKEY_LOCAL_MACHINE");
    users_ = makeRoot("HKEY_USERS");
    currentConfig_ = makeRoot("HKEY_CURRENT_CONFIG");
    performanceData_ = makeRoot("HKEY_PERFORMANCE_DATA");
    dynData_ = makeRoot("HKEY_DYN_DATA");
    // HKEY_CLASSES_ROOT shows HKEY_LOCAL_MACHINE\Software\Classes, which always exists.
    auto software = makeRoot("Software");
    auto classes = makeRoot("Classes");
    software->children.emplace("Classes", classes);
    localMachine_->children.emplace("Software", software);
}

MemoryRegistry::~MemoryRegistry() = default;

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::RootNode(PredefinedKey root) const {
    switch (root) {
        case PredefinedKey::CurrentUser: return currentUser_;
        case PredefinedKey::ClassesRoot:  // resolved into HKLM before storage is reached
        case PredefinedKey::LocalMachine: return localMachine_;
        case PredefinedKey::Users: return users_;
        case PredefinedKey::CurrentConfig: return currentConfig_;
        case PredefinedKey::PerformanceData: return performanceData_;
        case PredefinedKey::DynData: return dynData_;
    }
    return nullptr;
}

std::optional<MemoryRegistry::ResolvedPath> MemoryRegistry::Resolve(PredefinedKey root,
                                                                    std::string_view path,
                                                                    std::uint32_t access) const {
    auto split = SplitKeyPath(path);
    if (!split) return std::nullopt;
    ResolvedPath resolved{root, std::move(*split)};
    if (root == PredefinedKey::ClassesRoot) {
        resolved.root = PredefinedKey::LocalMachine;
        resolved.components.insert(resolved.components.begin(), {"Software", "Classes"});
    }
    // A 64-bit process sees the 64-bit view unless it asks for the 32-bit one.
    bool view32 = windows64_ && (access & KeyAccess::Wow64_32Key) != 0 &&
                  (access & KeyAccess::Wow64_64Key) == 0;
    if (!view32) return resolved;

    std::vector<std::string>& components = resolved.components;
    switch (resolved.root) {
        case PredefinedKey::LocalMachine:
            if (!Is(components, 0, "Software") || Is(components, 1, "Wow6432Node")) break;
            if (Is(components, 1, "Classes")) {
                RedirectClasses(components, 2);
                break;
            }
            components.insert(components.begin() + 1, "Wow6432Node");
            break;
        case PredefinedKey::CurrentUser:
            if (Is(components, 0, "Software") && Is(components, 1, "Classes")) {
                RedirectClasses(components, 2);
            }
            break;
        case PredefinedKey::Users:
            if (Is(components, 1, "Software") && Is(components, 2, "Classes")) {
                RedirectClasses(components, 3);
            } else if (!components.empty() && EndsWithNoCase(components[0], "_Classes")) {
                RedirectClasses(components, 1);
            }
            break;
        default: break;
    }
    return resolved;
}

bool MemoryRegistry::ConsumeWriteFailure() {
    bool fail = failNextWrite_;
    failNextWrite_ = false;
    return fail;
}

Result<std::shared_ptr<MemoryRegistry::Node>> MemoryRegistry::Walk(PredefinedKey root,
                                                                   std::string_view path,
                                                                   std::uint32_t access,
                                                                   bool create,
                                                                   NodeChain* chain) {
    NodeChain ownChain;
    if (!chain) chain = &ownChain;
    chain->clear();
    accessLog_.push_back(AccessRecord{root, std::string(path), access});
    auto resolved = Resolve(root, path, access);
    if (!resolved) {
        return MakeError(ErrorCode::InvalidData, "key path " + std::string(path), kErrorBadPathname);
    }
    std::shared_ptr<Node> node = RootNode(resolved->root);
    if (!node) return MakeError(ErrorCode::NotFound, "root key", kErrorFileNotFound);
    chain->push_back(node);
    for (const std::string& component : resolved->components) {
        auto child = node->children.find(component);
        if (child != node->children.end()) {
            node = child->second;
            chain->push_back(node);
            continue;
        }
        if (!create) {
            return MakeError(ErrorCode::NotFound, "key " + std::string(path), kErrorFileNotFound);
        }
        if (node->writeDenied || !AccessAllowed(*chain, KeyAccess::CreateSubKey)) {
            return Denied("key " + std::string(path));
        }
        if (ConsumeWriteFailure()) return Denied("key " + std::string(path));
        auto created = std::make_shared<Node>();
        created->name = component;
        node->children.emplace(component, created);
        NoteChange();
        node = std::move(created);
        chain->push_back(node);
    }
    // Windows checks the rights on the key itself, not on the keys on the way to it.
    if ((access & KeyAccess::ReadRights) != 0 && node->readDenied) {
        return Denied("key " + std::string(path));
    }
    if ((access & KeyAccess::WriteRights) != 0 && node->writeDenied) {
        return Denied("key " + std::string(path));
    }
    if (!AccessAllowed(*chain, access)) return Denied("key " + std::string(path));
    return node;
}

Result<std::unique_ptr<RegistryKey>> MemoryRegistry::OpenKey(PredefinedKey root,
                                                             std::string_view path,
                                                             std::uint32_t access) {
    auto node = Walk(root, path, access, false);
    if (!node) return node.error();
    auto resolved = Resolve(root, path, access);
    return std::unique_ptr<RegistryKey>(std::make_unique<MemoryKey>(
        *this, std::move(node.value()), resolved->root, std::move(resolved->components), access));
}

Result<std::unique_ptr<RegistryKey>> MemoryRegistry::CreateKey(PredefinedKey root,
                                                               std::string_view path,
                                                               std::uint32_t access) {
    auto node = Walk(root, path, access, true);
    if (!node) return node.error();
    auto resolved = Resolve(root, path, access);
    return std::unique_ptr<RegistryKey>(std::make_unique<MemoryKey>(
        *this, std::move(node.value()), resolved->root, std::move(resolved->components), access));
}

static MemoryRegistry::Node* FindStorageNode(const std::shared_ptr<MemoryRegistry::Node>& root,
                                             const std::vector<std::string>& components) {
    MemoryRegistry::Node* node = root.get();
    for (const std::string& component : components) {
        auto child = node->children.find(component);
        if (child == node->children.end()) return nullptr;
        node = child->second.get();
    }
    return node;
}

MemoryRegistry::Node* MemoryRegistry::StorageNode(PredefinedKey root, std::string_view path) const {
    auto resolved = Resolve(root, path, 0);
    if (!resolved) return nullptr;
    return FindStorageNode(RootNode(resolved->root), resolved->components);
}

bool MemoryRegistry::SetReadDenied(PredefinedKey root, std::string_view path, bool denied) {
    Node* node = StorageNode(root, path);
    if (node) node->readDenied = denied;
    return node != nullptr;
}

bool MemoryRegistry::SetWriteDenied(PredefinedKey root, std::string_view path, bool denied) {
    Node* node = StorageNode(root, path);
    if (node) node->writeDenied = denied;
    return node != nullptr;
}

static std::size_t CountBelow(const MemoryRegistry::Node& node) {
    std::size_t count = 0;
    for (const auto& [name, child] : node.children) count += 1 + CountBelow(*child);
    return count;
}

std::size_t MemoryRegistry::KeyCount() const {
    return CountBelow(*currentUser_) + CountBelow(*localMachine_) + CountBelow(*users_) +
           CountBelow(*currentConfig_) + CountBelow(*performanceData_) + CountBelow(*dynData_);
}

// Key security: the token, the access lists that apply to a key, and the check Windows makes.

MemoryRegistry::AccessToken MemoryRegistry::AccessToken::Administrator() {
    AccessToken token;
    token.groups = {"WD", "AU", "BU", "BA"};
    token.heldPrivileges = {std::string(PrivilegeName::TakeOwnership),
                            std::string(PrivilegeName::Restore)};
    return token;
}

bool MemoryRegistry::AccessToken::HasGroup(std::string_view trustee) const {
    const std::string sid = CanonicalSid(trustee);
    if (sid == CanonicalSid("WD")) return true;  // everyone
    for (const std::string& group : groups) {
        if (CanonicalSid(group) == sid) return true;
    }
    return false;
}

bool MemoryRegistry::AccessToken::PrivilegeEnabled(std::string_view name) const {
    auto has = [name](const std::vector<std::string>& list) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    return has(heldPrivileges) && has(enabledPrivileges);
}

namespace {

// The entries that decide access to the last key of chain: its own, then the inheritable ones
// of its ancestors, nearest first, up to a protected list. Inherited entries come marked "ID"
// and without the flags that only steer inheritance further down. Nothing when no list applies
// (no key on the way has one, or the nearest is "NO_ACCESS_CONTROL"): everything is granted.
std::optional<std::vector<AccessEntry>> EffectiveEntries(const MemoryRegistry::NodeChain& chain) {
    const MemoryRegistry::Node& key = *chain.back();
    std::vector<AccessEntry> entries;
    if (key.accessList) {
        if (key.accessList->noAccessControl) return std::nullopt;
        entries = key.accessList->entries;
        if (key.accessList->IsProtected()) return entries;
    }
    bool anyList = key.accessList.has_value();
    for (std::size_t index = chain.size() - 1; index-- > 0;) {
        const MemoryRegistry::Node& ancestor = *chain[index];
        if (!ancestor.accessList) continue;
        if (ancestor.accessList->noAccessControl) {
            if (!anyList) return std::nullopt;
            break;
        }
        anyList = true;
        const bool parent = index + 2 == chain.size();
        for (const AccessEntry& entry : ancestor.accessList->entries) {
            if (!entry.HasFlag("CI")) continue;
            if (entry.HasFlag("NP") && !parent) continue;
            AccessEntry inherited = entry;
            inherited.flags.clear();
            if (!entry.HasFlag("NP")) {
                if (entry.HasFlag("OI")) inherited.flags += "OI";
                inherited.flags += "CI";
            }
            inherited.flags += "ID";
            entries.push_back(std::move(inherited));
        }
        if (ancestor.accessList->IsProtected()) break;
    }
    if (!anyList) return std::nullopt;
    return entries;
}

std::string OwnerOf(const MemoryRegistry::Node& node) {
    return CanonicalSid(node.owner.empty() ? kDefaultOwner : std::string_view(node.owner));
}

}  // namespace

bool MemoryRegistry::AccessAllowed(const NodeChain& chain, std::uint32_t access) const {
    // Most keys of most registries have no list on the way to them: nothing to check.
    if (std::none_of(chain.begin(), chain.end(),
                     [](const std::shared_ptr<Node>& node) { return node->accessList.has_value(); })) {
        return true;
    }
    std::uint32_t remaining = MapGenericKeyRights(access & ~KeyAccess::ViewFlags);
    if (remaining == 0) return true;
    if ((remaining & KeyAccess::WriteOwner) &&
        token_.PrivilegeEnabled(PrivilegeName::TakeOwnership)) {
        remaining &= ~KeyAccess::WriteOwner;
    }
    const std::string owner = OwnerOf(*chain.back());
    if (owner == CanonicalSid(token_.userSid) || token_.HasGroup(owner)) {
        remaining &= ~(KeyAccess::ReadControl | KeyAccess::WriteDac);
    }
    if (remaining == 0) return true;
    std::optional<std::vector<AccessEntry>> entries = EffectiveEntries(chain);
    if (!entries) return true;
    // Entries are read in order: a deny entry refuses the rights not yet granted when it is
    // reached; access is granted once allow entries have covered every right asked for.
    for (const AccessEntry& entry : *entries) {
        if (entry.HasFlag("IO")) continue;  // for the keys below only
        const std::string trustee = CanonicalSid(entry.trustee);
        if (trustee != CanonicalSid(token_.userSid) && !token_.HasGroup(trustee)) continue;
        const std::uint32_t mask = KeyRightsMask(entry.rights).value_or(0);
        if (entry.IsDeny() && (mask & remaining) != 0) return false;
        if (entry.IsAllow()) remaining &= ~mask;
        if (remaining == 0) return true;
    }
    return false;
}

std::string MemoryRegistry::EffectiveAccessListText(const NodeChain& chain) const {
    std::optional<std::vector<AccessEntry>> entries = EffectiveEntries(chain);
    if (!entries) return "D:NO_ACCESS_CONTROL";
    AccessListText text;
    const Node& key = *chain.back();
    if (key.accessList) text.flags = key.accessList->flags;
    text.entries = std::move(*entries);
    return text.Text();
}

// A key opened for its security information.
class MemoryKeySecurity final : public KeySecurity {
public:
    MemoryKeySecurity(MemoryRegistry& registry, MemoryRegistry::NodeChain chain,
                      std::uint32_t granted)
        : registry_(registry), chain_(std::move(chain)), granted_(granted) {}

    Result<std::string> Owner() override {
        if (auto failure = Check(KeyAccess::ReadControl)) return *failure;
        return OwnerOf(*chain_.back());
    }

    Status SetOwner(std::string_view ownerSid) override {
        if (auto failure = Check(KeyAccess::WriteOwner)) return *failure;
        if (!IsTrusteeText(ownerSid)) {
            return MakeError(ErrorCode::InvalidData, "owner " + std::string(ownerSid),
                             kErrorNoSuchUser);
        }
        const MemoryRegistry::AccessToken& token = registry_.Token();
        const std::string owner = CanonicalSid(ownerSid);
        // Windows lets a user name only itself or the administrators as owner, unless the
        // restore privilege is enabled.
        const bool allowed = owner == CanonicalSid(token.userSid) ||
                             (owner == CanonicalSid("BA") && token.HasGroup("BA")) ||
                             token.PrivilegeEnabled(PrivilegeName::Restore);
        if (!allowed) {
            return MakeError(ErrorCode::InvalidData, "owner " + std::string(ownerSid),
                             kErrorInvalidOwner);
        }
        chain_.back()->owner = owner;
        registry_.NoteChange();
        return {};
    }

    Result<std::string> AccessList() override {
        if (auto failure = Check(KeyAccess::ReadControl)) return *failure;
        return registry_.EffectiveAccessListText(chain_);
    }

    Status SetAccessList(std::string_view accessList) override {
        if (auto failure = Check(KeyAccess::WriteDac)) return *failure;
        std::optional<AccessListText> parsed = ParseAccessList(accessList);
        if (!parsed) {
            return MakeError(ErrorCode::InvalidData, "access list " + std::string(accessList),
                             kErrorInvalidAcl);
        }
        // As the system does: inherited entries handed back are dropped (the ancestors give
        // them again), unless the list is protected, where they become the key's own.
        std::vector<AccessEntry> own;
        for (AccessEntry& entry : parsed->entries) {
            if (!entry.HasFlag("ID")) {
                own.push_back(std::move(entry));
                continue;
            }
            if (!parsed->IsProtected()) continue;
            std::string flags;
            for (std::size_t at = 0; at + 2 <= entry.flags.size(); at += 2) {
                if (entry.flags.compare(at, 2, "ID") != 0) flags += entry.flags.substr(at, 2);
            }
            entry.flags = flags;
            own.push_back(std::move(entry));
        }
        parsed->entries = std::move(own);
        chain_.back()->accessList = std::move(*parsed);
        registry_.NoteChange();
        return {};
    }

private:
    std::optional<Error> Check(std::uint32_t right) const {
        if (chain_.back()->deleted) {
            return MakeError(ErrorCode::NotFound, "key deleted", kErrorKeyDeleted);
        }
        if ((granted_ & right) == 0) return Denied("key not opened for this");
        return std::nullopt;
    }

    MemoryRegistry& registry_;
    MemoryRegistry::NodeChain chain_;
    std::uint32_t granted_;
};

Result<std::unique_ptr<KeySecurity>> MemoryRegistry::OpenKeySecurity(PredefinedKey root,
                                                                     std::string_view path,
                                                                     std::uint32_t access) {
    NodeChain chain;
    auto node = Walk(root, path, access, false, &chain);
    if (!node) return node.error();
    return std::unique_ptr<KeySecurity>(
        std::make_unique<MemoryKeySecurity>(*this, std::move(chain), access));
}

bool MemoryRegistry::SetKeySecurity(PredefinedKey root, std::string_view path, std::string owner,
                                    std::optional<std::string> accessList) {
    Node* node = StorageNode(root, path);
    if (!node) return false;
    std::optional<AccessListText> parsed;
    if (accessList) {
        parsed = ParseAccessList(*accessList);
        if (!parsed) return false;
    }
    if (!owner.empty() && !IsTrusteeText(owner)) return false;
    node->owner = owner.empty() ? std::string() : CanonicalSid(owner);
    node->accessList = std::move(parsed);
    return true;
}

std::optional<MemoryRegistry::KeySecurityState> MemoryRegistry::KeySecurityOf(
    PredefinedKey root, std::string_view path) const {
    Node* node = StorageNode(root, path);
    if (!node) return std::nullopt;
    KeySecurityState state;
    state.owner = OwnerOf(*node);
    if (node->accessList) state.accessList = node->accessList->Text();
    return state;
}

}  // namespace kestrover
