// Registry keys over RegOpenKeyExW and friends. Under Wine every call is a round trip to the
// wineserver, so reads size their buffers from one RegQueryInfoKeyW and then read names and
// data together, retrying only when a value grew in between.
#include "platform/win32/Win32Registry.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"

namespace kestrover {

using win32::FromWide;
using win32::HasZeroCharacter;
using win32::MakeWin32Error;
using win32::ToWide;
using win32::UniqueKey;

namespace {

// A name or value that keeps growing between calls is another writer's race, not ours to win
// forever: after this many larger buffers the read gives up.
constexpr unsigned kMaxRetries = 32;

// Counts and longest names and data in a key, in characters without the terminator and in
// bytes.
struct KeyLimits {
    DWORD subkeyCount = 0;
    DWORD valueCount = 0;
    DWORD subkeyNameLength = 0;
    DWORD valueNameLength = 0;
    DWORD valueDataSize = 0;
};

Error ZeroCharacterError(std::string_view what) {
    return MakeError(ErrorCode::InvalidData, std::string(what) + ": name holds a zero character");
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class Win32RegistryKey final : public RegistryKey {
public:
    Win32RegistryKey(UniqueKey key, std::string path)
        : key_(std::move(key)), path_(std::move(path)) {}

    Result<std::vector<std::string>> SubkeyNames() override {
        Result<KeyLimits> limits = QueryLimits();
        if (!limits) return limits.error();
        return EnumerateNames(limits->subkeyCount, limits->subkeyNameLength,
                              "enumerate subkeys of ",
                              [this](DWORD index, wchar_t* name, DWORD* length) {
                                  return ::RegEnumKeyExW(key_.get(), index, name, length, nullptr,
                                                         nullptr, nullptr, nullptr);
                              });
    }

    Result<std::vector<std::string>> ValueNames() override {
        Result<KeyLimits> limits = QueryLimits();
        if (!limits) return limits.error();
        return EnumerateNames(limits->valueCount, limits->valueNameLength,
                              "enumerate values of ",
                              [this](DWORD index, wchar_t* name, DWORD* length) {
                                  return ::RegEnumValueW(key_.get(), index, name, length, nullptr,
                                                         nullptr, nullptr, nullptr);
                              });
    }

    Result<std::vector<RegistryValue>> Values() override {
        Result<KeyLimits> limits = QueryLimits();
        if (!limits) return limits.error();
        std::vector<RegistryValue> values;
        values.reserve(limits->valueCount);
        std::wstring name(limits->valueNameLength + 1, L'\0');
        // Never zero bytes: a null data pointer would ask for no data at all.
        std::vector<std::uint8_t> data(std::max<DWORD>(limits->valueDataSize, 1));
        for (DWORD index = 0, retries = 0;;) {
            if (index >= limits->valueCount) return values;
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataSize = static_cast<DWORD>(data.size());
            DWORD type = REG_NONE;
            LSTATUS status = ::RegEnumValueW(key_.get(), index, name.data(), &nameLength, nullptr,
                                             &type, data.data(), &dataSize);
            if (status == ERROR_NO_MORE_ITEMS) return values;
            if (status == ERROR_MORE_DATA && ++retries < kMaxRetries) {
                // A value changed since the query; grow both, as it does not say which was short.
                name.resize(name.size() * 2);
                data.resize(std::max<std::size_t>(data.size() * 2, dataSize));
                continue;
            }
            if (status != ERROR_SUCCESS) return MakeWin32Error(status, "read values of " + path_);
            RegistryValue value;
            value.name = FromWide(std::wstring_view(name.data(), nameLength));
            value.data.type = type;
            value.data.bytes.assign(data.begin(), data.begin() + dataSize);
            values.push_back(std::move(value));
            ++index;
            retries = 0;
        }
    }

    Result<RegistryData> QueryValue(std::string_view name) override {
        if (HasZeroCharacter(name)) return ZeroCharacterError("query value");
        std::wstring wideName = ToWide(name);
        // Most values are small: one call with a modest buffer, a second only for larger data.
        std::vector<std::uint8_t> data(256);
        for (unsigned retries = 0;;) {
            DWORD size = static_cast<DWORD>(data.size());
            DWORD type = REG_NONE;
            LSTATUS status = ::RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type,
                                                data.data(), &size);
            if (status == ERROR_MORE_DATA && ++retries < kMaxRetries) {
                data.resize(std::max<std::size_t>(size, data.size() * 2));
                continue;
            }
            if (status != ERROR_SUCCESS) {
                return MakeWin32Error(status,
                                      "query value \"" + std::string(name) + "\" of " + path_);
            }
            data.resize(size);
            return RegistryData{type, std::move(data)};
        }
    }

    Status SetValue(std::string_view name, std::uint32_t type,
                    std::span<const std::uint8_t> bytes) override {
        if (HasZeroCharacter(name)) return ZeroCharacterError("set value");
        if (bytes.size() > MAXDWORD) return MakeError(ErrorCode::InvalidData, "value too large");
        // For string types RegSetValueExW looks one character past the end (and one before the
        // start when given a single byte), and when the data lacks a terminator but a zero
        // follows, it stores one more character than asked. Non-zero guard bytes around a
        // copy of the data keep the stored bytes exactly the ones given.
        std::vector<std::uint8_t> guarded;
        const BYTE* data = bytes.data();
        if (IsStringType(type)) {
            constexpr std::size_t kGuard = 2;
            guarded.assign(bytes.size() + 2 * kGuard, 0xFF);
            std::copy(bytes.begin(), bytes.end(), guarded.begin() + kGuard);
            data = guarded.data() + kGuard;
        } else if (bytes.empty()) {
            data = nullptr;
        }
        limits_.reset();
        LSTATUS status = ::RegSetValueExW(key_.get(), ToWide(name).c_str(), 0, type, data,
                                          static_cast<DWORD>(bytes.size()));
        if (status != ERROR_SUCCESS) {
            return MakeWin32Error(status, "set value \"" + std::string(name) + "\" of " + path_);
        }
        return {};
    }

    Status DeleteValue(std::string_view name) override {
        if (HasZeroCharacter(name)) return ZeroCharacterError("delete value");
        limits_.reset();
        LSTATUS status = ::RegDeleteValueW(key_.get(), ToWide(name).c_str());
        if (status != ERROR_SUCCESS) {
            return MakeWin32Error(status, "delete value \"" + std::string(name) + "\" of " + path_);
        }
        return {};
    }

    Status DeleteSubkey(std::string_view name, std::uint32_t viewFlags) override {
        if (HasZeroCharacter(name)) return ZeroCharacterError("delete subkey");
        // RegDeleteKeyExW with an empty name deletes the open key itself, not a subkey.
        if (name.empty()) return MakeError(ErrorCode::InvalidData, "delete subkey: empty name");
        limits_.reset();
        LSTATUS status = ::RegDeleteKeyExW(key_.get(), ToWide(name).c_str(),
                                           viewFlags & KeyAccess::ViewFlags, 0);
        if (status != ERROR_SUCCESS) {
            return MakeWin32Error(status,
                                  "delete subkey \"" + std::string(name) + "\" of " + path_);
        }
        return {};
    }

private:
    // Names by index until the registry has no more, in a buffer for the longest name.
    template <class Enumerate>
    Result<std::vector<std::string>> EnumerateNames(DWORD count, DWORD longestName,
                                                    const char* what, Enumerate enumerate) {
        std::vector<std::string> names;
        names.reserve(count);
        std::wstring buffer(longestName + 1, L'\0');
        // The count the key gave ends the walk: one call fewer per key than asking until
        // the registry has no more, and under Wine every call is a round trip.
        for (DWORD index = 0, retries = 0; index < count;) {
            DWORD length = static_cast<DWORD>(buffer.size());
            LSTATUS status = enumerate(index, buffer.data(), &length);
            if (status == ERROR_NO_MORE_ITEMS) return names;
            if (status == ERROR_MORE_DATA && ++retries < kMaxRetries) {
                buffer.resize(buffer.size() * 2);  // a longer name was added since the query
                continue;
            }
            if (status != ERROR_SUCCESS) return MakeWin32Error(status, what + path_);
            names.push_back(FromWide(std::wstring_view(buffer.data(), length)));
            ++index;
            retries = 0;
        }
        return names;
    }

    // A walk lists a key's subkeys and then its values, and both need these figures: the
    // answer of one query serves the next listing once, so a walk asks once per key and a
    // later listing asks afresh.
    Result<KeyLimits> QueryLimits() {
        if (limits_) {
            KeyLimits cached = *limits_;
            limits_.reset();
            return cached;
        }
        KeyLimits limits;
        LSTATUS status = ::RegQueryInfoKeyW(
            key_.get(), nullptr, nullptr, nullptr, &limits.subkeyCount, &limits.subkeyNameLength,
            nullptr, &limits.valueCount, &limits.valueNameLength, &limits.valueDataSize, nullptr,
            nullptr);
        if (status != ERROR_SUCCESS) return MakeWin32Error(status, "query key " + path_);
        limits_ = limits;
        return limits;
    }

    UniqueKey key_;
    std::string path_;  // for error messages
    std::optional<KeyLimits> limits_;
};

const char* RootName(PredefinedKey root) {
    switch (root) {
        case PredefinedKey::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case PredefinedKey::CurrentUser:
            return "HKEY_CURRENT_USER";
        case PredefinedKey::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case PredefinedKey::Users:
            return "HKEY_USERS";
        case PredefinedKey::PerformanceData:
            return "HKEY_PERFORMANCE_DATA";
        case PredefinedKey::CurrentConfig:
            return "HKEY_CURRENT_CONFIG";
        case PredefinedKey::DynData:
            return "HKEY_DYN_DATA";
    }
    return "HKEY_?";
}

std::string DisplayPath(PredefinedKey root, std::string_view path) {
    std::string text = RootName(root);
    if (!path.empty()) text += "\\" + std::string(path);
    return text;
}

}  // namespace

HKEY Win32Registry::RootHandle(PredefinedKey root) {
    switch (root) {
        case PredefinedKey::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case PredefinedKey::CurrentUser:
            return HKEY_CURRENT_USER;
        case PredefinedKey::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case PredefinedKey::Users:
            return HKEY_USERS;
        case PredefinedKey::PerformanceData:
            return HKEY_PERFORMANCE_DATA;
        case PredefinedKey::CurrentConfig:
            return HKEY_CURRENT_CONFIG;
        case PredefinedKey::DynData:
            return HKEY_DYN_DATA;
    }
    return nullptr;
}

Result<std::unique_ptr<RegistryKey>> Win32Registry::OpenKey(PredefinedKey root,
                                                            std::string_view path,
                                                            std::uint32_t access) {
    if (HasZeroCharacter(path)) return ZeroCharacterError("open key");
    UniqueKey key;
    LSTATUS status = ::RegOpenKeyExW(RootHandle(root), ToWide(path).c_str(), 0, access, key.put());
    if (status != ERROR_SUCCESS) {
        return MakeWin32Error(status, "open key " + DisplayPath(root, path));
    }
    return std::unique_ptr<RegistryKey>(
        std::make_unique<Win32RegistryKey>(std::move(key), DisplayPath(root, path)));
}

Result<std::unique_ptr<RegistryKey>> Win32Registry::CreateKey(PredefinedKey root,
                                                              std::string_view path,
                                                              std::uint32_t access) {
    if (HasZeroCharacter(path)) return ZeroCharacterError("create key");
    UniqueKey key;
    LSTATUS status =
        ::RegCreateKeyExW(RootHandle(root), ToWide(path).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, access, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return MakeWin32Error(status, "create key " + DisplayPath(root, path));
    }
    return std::unique_ptr<RegistryKey>(
        std::make_unique<Win32RegistryKey>(std::move(key), DisplayPath(root, path)));
}

}  // namespace kestrover
