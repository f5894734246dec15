// RegistryProvider over the registry port: path rules, access masks and views, typed reads
// and writes, recursive deletion and counting.
#include "registry/RegistryProvider.h"

#include <cstring>

#include "core/KestroverError.h"
#include "core/Text.h"
#include "core/TextCodec.h"
#include "core/Unicode.h"
#include "registry/KeyPaths.h"

namespace kestrover {

namespace {

constexpr std::size_t kHexLimit = 3000;  // larger values have no hexadecimal text
constexpr std::uint32_t kReadAccess64 = 0xF013F;

std::string QuotedName(std::string_view name) {
    return name.empty() ? std::string("(default)") : "\"" + std::string(name) + "\"";
}

[[noreturn]] void Raise(std::string_view what, std::string_view name) {
    throw KestroverError(std::string(what) + " " + QuotedName(name));
}

bool IsStringType(std::uint32_t type) {
    return type == RegistryType::String || type == RegistryType::ExpandString;
}

// UTF-16 text of string data up to its first zero character.
std::string StringUpToZero(const std::vector<std::uint8_t>& bytes) {
    std::u16string units = Utf16LeBytesToUtf16(bytes.data(), bytes.size());
    std::size_t zero = units.find(u'\0');
    if (zero != std::u16string::npos) units.resize(zero);
    return Utf16ToUtf8(units);
}

}  // namespace

RegistryViewFlags ViewFlagsFromArchitecture(std::string_view osArchitecture) {
    bool is64 = osArchitecture.find("64") != std::string_view::npos;
    return RegistryViewFlags{is64, is64};
}

RegistryProvider::RegistryProvider(RegistryContext& context)
    : context_(context),
      access_(KeyAccess::AllAccess |
              (BothViewFlags() ? KeyAccess::Wow64_64Key : KeyAccess::Wow64_32Key)) {}

RegistryProvider::~RegistryProvider() = default;

bool RegistryProvider::BothViewFlags() const {
    return context_.views.is64BitWindows && context_.views.use64BitView;
}

std::uint32_t RegistryProvider::WithView(std::uint32_t access) const {
    if (!context_.views.is64BitWindows) return access;  // one view only: flags change nothing
    if (context_.views.use64BitView) {
        return (access & ~KeyAccess::Wow64_32Key) | KeyAccess::Wow64_64Key;
    }
    // A 32-bit process sees the 32-bit view when it names no view; this process is a 64-bit
    // one and must ask for it.
    if ((access & KeyAccess::ViewFlags) == 0) access |= KeyAccess::Wow64_32Key;
    return access;
}

void RegistryProvider::SetRootKey(RegRoot root) {
    if (root == root_) return;
    CloseKey();
    root_ = root;
}

std::optional<std::string> RegistryProvider::ResolvePath(std::string_view path) const {
    bool fromRoot = false;
    if (!path.empty() && path.front() == '\\') {
        fromRoot = true;
        path.remove_prefix(1);
    }
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    std::string full;
    if (!fromRoot && key_ && !currentPath_.empty()) {
        full = currentPath_;
        if (!path.empty()) {
            full += '\\';
            full += path;
        }
    } else {
        full = path;
    }
    if (full.empty()) return full;
    if (full.front() == '\\' || full.back() == '\\' || full.find("\\\\") != std::string::npos) {
        return std::nullopt;
    }
    return full;
}

bool RegistryProvider::OpenKey(std::string_view path, bool canCreate) {
    auto full = ResolvePath(path);
    if (!full) return false;
    std::uint32_t access = WithView(access_);
    auto opened = canCreate ? context_.port.CreateKey(root_, *full, access)
                            : context_.port.OpenKey(root_, *full, access);
    if (!opened) return false;
    key_ = std::move(opened.value());
    currentPath_ = std::move(*full);
    return true;
}

bool RegistryProvider::OpenKeyReadOnly(std::string_view path) {
    auto full = ResolvePath(path);
    if (!full) return false;
    auto opened = context_.port.OpenKey(root_, *full, WithView(KeyAccess::Read));
    if (!opened) return false;
    key_ = std::move(opened.value());
    currentPath_ = std::move(*full);
    access_ = BothViewFlags() ? kReadAccess64 : KeyAccess::Read;
    return true;
}

void RegistryProvider::CloseKey() {
    key_.reset();
    currentPath_.clear();
}

void RegistryProvider::GetKeyNames(std::vector<std::string>& names) {
    names.clear();
    if (!key_) return;
    auto listed = key_->SubkeyNames();
    if (listed) names = std::move(listed.value());
}

void RegistryProvider::GetValueNames(std::vector<std::string>& names) {
    names.clear();
    if (!key_) return;
    auto listed = key_->ValueNames();
    if (listed) names = std::move(listed.value());
}

std::optional<RegistryData> RegistryProvider::Query(std::string_view name) {
    if (!key_) return std::nullopt;
    auto data = key_->QueryValue(name);
    if (!data) return std::nullopt;
    return std::move(data.value());
}

RegValueKind RegistryProvider::GetDataType(std::string_view name) {
    auto data = Query(name);
    return data ? KindFromRegistryType(data->type) : RegValueKind::Unknown;
}

std::int64_t RegistryProvider::GetDataSize(std::string_view name) {
    auto data = Query(name);
    return data ? static_cast<std::int64_t>(data->bytes.size()) : -1;
}

bool RegistryProvider::ValueExists(std::string_view name) { return Query(name).has_value(); }

bool RegistryProvider::KeyExists(std::string_view path) {
    auto full = ResolvePath(path);
    if (!full) return false;
    auto opened = context_.port.OpenKey(root_, *full, WithView(access_));
    // A key that refuses us still exists: it is protected, not missing.
    return opened.ok() || opened.code() == ErrorCode::AccessDenied;
}

std::string RegistryProvider::ReadString(std::string_view name) {
    auto data = Query(name);
    if (!data) return {};
    if (!IsStringType(data->type)) Raise("Not a string value:", name);
    if (data->bytes.empty()) return {};
    return StringUpToZero(data->bytes);
}

std::uint32_t RegistryProvider::ReadInteger(std::string_view name) {
    auto data = Query(name);
    if (!data || data->type != RegistryType::Dword) Raise("Not an integer value:", name);
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    std::memcpy(bytes, data->bytes.data(), std::min<std::size_t>(4, data->bytes.size()));
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::size_t RegistryProvider::ReadBinaryData(std::string_view name, void* buffer,
                                             std::size_t bufferSize) {
    auto data = Query(name);
    if (!data) return 0;
    RegValueKind kind = KindFromRegistryType(data->type);
    if ((kind != RegValueKind::Binary && kind != RegValueKind::Unknown) ||
        data->bytes.size() > bufferSize) {
        Raise("Cannot read binary value:", name);
    }
    if (!data->bytes.empty()) std::memcpy(buffer, data->bytes.data(), data->bytes.size());
    return data->bytes.size();
}

BinaryText RegistryProvider::ReadBinaryAsText(std::string_view name) {
    auto data = Query(name);
    if (!data) return {};
    const TextCodec& codec = context_.ansiCodePage ? *context_.ansiCodePage : Windows1252();
    // The bytes as a program using the ANSI code page reads them: string types in the code
    // page, everything else as stored.
    std::string bytes;
    if (IsStringType(data->type) || data->type == RegistryType::MultiString) {
        bytes = codec.FromUtf8(Utf16LeBytesToUtf8(data->bytes.data(), data->bytes.size()));
    } else {
        bytes.assign(data->bytes.begin(), data->bytes.end());
    }

    BinaryText result;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t zero = bytes.find('\0', start);
        std::size_t end = zero == std::string::npos ? bytes.size() : zero;
        result.text += codec.ToUtf8(std::string_view(bytes).substr(start, end - start));
        if (zero == std::string::npos) break;
        result.text += "²²";
        start = zero + 1;
    }

    if (bytes.size() > kHexLimit) return result;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    result.hex.reserve(bytes.size() * 3 + bytes.size() / 25 * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        result.hex += kDigits[byte >> 4];
        result.hex += kDigits[byte & 0x0F];
        result.hex += ',';
        if ((i + 1) % 25 == 0) result.hex += "\\\r\n";
    }
    if (!result.hex.empty() && result.hex.back() == ',') result.hex.pop_back();
    return result;
}

std::vector<std::string> RegistryProvider::ReadMultiString(std::string_view name) {
    std::vector<std::string> strings;
    auto data = Query(name);
    if (!data) return strings;
    std::u16string units = Utf16LeBytesToUtf16(data->bytes.data(), data->bytes.size());
    std::size_t start = 0;
    while (start < units.size()) {
        std::size_t zero = units.find(u'\0', start);
        std::size_t end = zero == std::u16string::npos ? units.size() : zero;
        if (end == start) break;  // an empty string ends the list
        strings.push_back(Utf16ToUtf8(std::u16string_view(units).substr(start, end - start)));
        start = end + 1;
    }
    return strings;
}

std::optional<RegistryData> RegistryProvider::ReadRawValue(std::string_view name) {
    return Query(name);
}

bool RegistryProvider::ReadAllValues(std::vector<RegistryValue>& values) {
    values.clear();
    if (!key_) return false;
    auto read = key_->Values();
    if (!read) return false;
    values = std::move(read.value());
    return true;
}

void RegistryProvider::Write(std::string_view name, std::uint32_t type,
                             std::span<const std::uint8_t> bytes) {
    if (!key_) Raise("No key open to write value", name);
    Status written = key_->SetValue(name, type, bytes);
    if (!written) {
        throw KestroverError("Cannot write value " + QuotedName(name) + ": " +
                             written.error().Describe());
    }
}

void RegistryProvider::WriteString(std::string_view name, std::string_view text) {
    Write(name, RegistryType::String, Utf8ToUtf16LeBytes(text, true));
}

void RegistryProvider::WriteExpandString(std::string_view name, std::string_view text) {
    Write(name, RegistryType::ExpandString, Utf8ToUtf16LeBytes(text, true));
}

void RegistryProvider::WriteMultiString(std::string_view name,
                                        const std::vector<std::string>& strings) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& text : strings) {
        std::vector<std::uint8_t> encoded = Utf8ToUtf16LeBytes(text, true);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    Write(name, RegistryType::MultiString, bytes);
}

void RegistryProvider::WriteInteger(std::string_view name, std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    Write(name, RegistryType::Dword, bytes);
}

void RegistryProvider::WriteBinaryData(std::string_view name, std::span<const std::uint8_t> bytes) {
    Write(name, RegistryType::Binary, bytes);
}

void RegistryProvider::WriteRawValue(std::string_view name, std::uint32_t type,
                                     std::span<const std::uint8_t> bytes) {
    Write(name, type, bytes);
}

bool RegistryProvider::DeleteValue(std::string_view name) {
    return key_ && key_->DeleteValue(name).ok();
}

bool RegistryProvider::DeleteKey(std::string_view path) {
    auto full = ResolvePath(path);
    if (!full || full->empty()) return false;  // a root cannot be deleted
    return DeleteTree(*full);
}

bool RegistryProvider::DeleteTree(const std::string& fullPath) {
    std::uint32_t access = WithView(access_);
    if (auto key = context_.port.OpenKey(root_, fullPath, access)) {
        auto names = key.value()->SubkeyNames();
        if (names) {
            for (std::size_t i = names->size(); i-- > 0;) {
                DeleteTree(fullPath + '\\' + (*names)[i]);
            }
        }
    }
    // The parent is opened for reading only: deleting a subkey needs the right to delete that
    // key, not to change its parent.
    auto parent = context_.port.OpenKey(root_, ParentKeyPath(fullPath),
                                        WithView(KeyAccess::Read | (access & KeyAccess::ViewFlags)));
    if (!parent) return false;
    return parent.value()
        ->DeleteSubkey(LastKeyName(fullPath), WithView(access) & KeyAccess::ViewFlags)
        .ok();
}

std::int64_t RegistryProvider::CountKey(RegRoot root, std::string_view path) {
    if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    RegRoot saved = root_;
    root_ = root;
    std::int64_t count = CountValues(std::string(path));
    root_ = saved;
    return count;
}

std::int64_t RegistryProvider::CountValues(const std::string& fullPath) {
    auto key = context_.port.OpenKey(root_, fullPath, WithView(KeyAccess::Read));
    if (!key) return 0;
    std::int64_t count = 0;
    if (auto values = key.value()->ValueNames()) count += static_cast<std::int64_t>(values->size());
    auto names = key.value()->SubkeyNames();
    if (!names) return count;
    for (const std::string& name : *names) {
        count += CountValues(fullPath.empty() ? name : fullPath + '\\' + name);
    }
    return count;
}

}  // namespace kestrover
