// RegistryProvider: the registry operations every feature calls. An instance is short-lived
// (one per operation or per key): it has a root, at most one open key and an access mask.
// Operations that answer true or false never raise; reading a value of the wrong kind and a
// refused write raise KestroverError, naming the value.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/RegistryPort.h"
#include "registry/RegRoot.h"
#include "registry/RegValueKind.h"

namespace kestrover {

class TextCodec;

// The two process-wide flags that choose the registry view. Both set means the 64-bit view is
// requested; a feature that wants the 32-bit view of 64-bit Windows clears use64BitView for
// one pass and sets it again afterwards.
struct RegistryViewFlags {
    bool is64BitWindows = false;
    bool use64BitView = false;
};

// The flags as start-up sets them: both set when the operating system's architecture text
// holds "64", both clear otherwise (an empty answer included).
RegistryViewFlags ViewFlagsFromArchitecture(std::string_view osArchitecture);

// What every provider instance shares: the registry port, the view flags and the ANSI code
// page (for the byte texts an export shows). The application owns one for its whole run.
struct RegistryContext {
    RegistryPort& port;
    RegistryViewFlags views;
    const TextCodec* ansiCodePage = nullptr;  // Windows-1252 when not set
};

// Two texts of a value's bytes, for the export writer: the bytes as text with each zero byte
// shown as "²²", and as hexadecimal ("0A,FF,...", a backslash and line end after the comma of
// every 25th byte; empty when the value holds more than 3000 bytes).
struct BinaryText {
    std::string text;
    std::string hex;
};

class RegistryProvider {
public:
    explicit RegistryProvider(RegistryContext& context);
    ~RegistryProvider();
    RegistryProvider(const RegistryProvider&) = delete;
    RegistryProvider& operator=(const RegistryProvider&) = delete;

    // Closes the open key when the root changes.
    void SetRootKey(RegRoot root);
    RegRoot RootKey() const { return root_; }
    std::uint32_t Access() const { return access_; }

    // A path beginning with a backslash is taken from the root; any other from the open key,
    // or from the root when none is open. One trailing backslash is ignored; a path with an
    // empty component opens nothing. On failure the previously open key stays open.
    bool OpenKey(std::string_view path, bool canCreate);
    bool OpenKeyReadOnly(std::string_view path);
    void CloseKey();
    bool HasOpenKey() const { return key_ != nullptr; }
    // Path of the open key as opened, without a leading backslash; empty when none is open.
    const std::string& CurrentPath() const { return currentPath_; }

    // Clear the list, then add the open key's subkey (value) names in enumeration order.
    // Nothing is added when no key is open or the key cannot be read.
    void GetKeyNames(std::vector<std::string>& names);
    void GetValueNames(std::vector<std::string>& names);

    RegValueKind GetDataType(std::string_view name);  // Unknown when missing
    std::int64_t GetDataSize(std::string_view name);  // stored bytes, -1 when missing
    bool ValueExists(std::string_view name);
    // True when the key opens, and when opening is refused as access denied.
    bool KeyExists(std::string_view path);

    // Text of a string or expand-string value, cut at its first zero character; empty when the
    // value is missing or empty. Any other kind raises.
    std::string ReadString(std::string_view name);
    // Raises unless the value is an integer.
    std::uint32_t ReadInteger(std::string_view name);
    // Bytes read into buffer; only binary and unknown kinds are read, and only when they fit
    // (else raises); 0 when the value is missing.
    std::size_t ReadBinaryData(std::string_view name, void* buffer, std::size_t bufferSize);
    BinaryText ReadBinaryAsText(std::string_view name);
    // The strings of a multi-string value, up to the first empty one.
    std::vector<std::string> ReadMultiString(std::string_view name);
    // The stored type and bytes, whatever the type; nothing when the value cannot be read.
    std::optional<RegistryData> ReadRawValue(std::string_view name);
    // Every value of the open key with its type and bytes, in enumeration order, read in one
    // pass (one registry call where a value-by-value read makes two per value). False, and
    // the list cleared, when no key is open or the key cannot be read.
    bool ReadAllValues(std::vector<RegistryValue>& values);

    // Store the value with its registry type; a refused write raises.
    void WriteString(std::string_view name, std::string_view text);
    void WriteExpandString(std::string_view name, std::string_view text);
    void WriteMultiString(std::string_view name, const std::vector<std::string>& strings);
    void WriteInteger(std::string_view name, std::uint32_t value);
    void WriteBinaryData(std::string_view name, std::span<const std::uint8_t> bytes);
    void WriteRawValue(std::string_view name, std::uint32_t type,
                       std::span<const std::uint8_t> bytes);

    bool DeleteValue(std::string_view name);
    // Deletes the key and everything below it, deepest keys first (subkeys from the last
    // index to the first); true when the key itself was deleted.
    bool DeleteKey(std::string_view path);

    // Number of values in the key and all its subkeys; 0 when the key cannot be opened.
    std::int64_t CountKey(RegRoot root, std::string_view path);

private:
    // The full path (from the root) a caller's path names, or nothing when it is malformed.
    std::optional<std::string> ResolvePath(std::string_view path) const;
    // The access mask sent for a request: the view flag of the current flags added.
    std::uint32_t WithView(std::uint32_t access) const;
    bool BothViewFlags() const;
    bool DeleteTree(const std::string& fullPath);
    std::int64_t CountValues(const std::string& fullPath);
    void Write(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> bytes);
    std::optional<RegistryData> Query(std::string_view name);

    RegistryContext& context_;
    RegRoot root_ = RegRoot::CurrentUser;
    std::uint32_t access_;
    std::unique_ptr<RegistryKey> key_;
    std::string currentPath_;
};

}  // namespace kestrover
