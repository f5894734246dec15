// Privileges, the current user and key security over advapi32. Every buffer the system
// allocates (SIDs, descriptors, SDDL texts) is freed with LocalFree through one owner.
#include "platform/win32/Win32Security.h"

// clang-format off
#include "platform/win32/WindowsApi.h"
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <vector>

#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Registry.h"
#include "registry/RegRoot.h"

namespace kestrover {

using win32::FromWide;
using win32::HasZeroCharacter;
using win32::ToWide;
using win32::UniqueKey;

namespace {

struct LocalTraits {
    using Type = HLOCAL;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type memory) noexcept { ::LocalFree(memory); }
};
using UniqueLocal = win32::UniqueResource<LocalTraits>;

// OpenProcessToken reports failure with a null handle, not INVALID_HANDLE_VALUE.
struct TokenTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type handle) noexcept { ::CloseHandle(handle); }
};
using UniqueToken = win32::UniqueResource<TokenTraits>;

// The system's own text for an error code, without its line break.
std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    UniqueLocal owner(text);
    if (length == 0 || !text) return {};
    std::wstring message(text, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    return FromWide(message);
}

// An error with the system's message in its context, as the user is shown it.
Error SecurityError(DWORD code, std::string what) {
    std::string message = SystemMessage(code);
    if (!message.empty()) what += " (" + message + ")";
    return win32::MakeWin32Error(code, std::move(what));
}

std::string KeyText(PredefinedKey root, std::string_view path) {
    std::string text(RootFullName(root));
    if (!path.empty()) text += "\\" + std::string(path);
    return text;
}

Result<std::string> SidText(PSID sid, const std::string& what) {
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return SecurityError(::GetLastError(), what);
    UniqueLocal owner(text);
    return FromWide(text);
}

class Win32KeySecurity final : public KeySecurity {
public:
    Win32KeySecurity(UniqueKey key, std::string path)
        : key_(std::move(key)), path_(std::move(path)) {}

    Result<std::string> Owner() override {
        PSID owner = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        DWORD status = ::GetSecurityInfo(key_.get(), SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION,
                                         &owner, nullptr, nullptr, nullptr, &descriptor);
        UniqueLocal held(descriptor);
        if (status != ERROR_SUCCESS) return SecurityError(status, "read the owner of " + path_);
        return SidText(owner, "read the owner of " + path_);
    }

    Status SetOwner(std::string_view ownerSid) override {
        if (HasZeroCharacter(ownerSid)) {
            return MakeError(ErrorCode::InvalidData, "owner " + std::string(ownerSid));
        }
        PSID sid = nullptr;
        if (!::ConvertStringSidToSidW(ToWide(ownerSid).c_str(), &sid)) {
            return SecurityError(::GetLastError(), "owner " + std::string(ownerSid));
        }
        UniqueLocal held(sid);
        DWORD status = ::SetSecurityInfo(key_.get(), SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION,
                                         sid, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return SecurityError(status, "change the owner of " + path_);
        return {};
    }

    Result<std::string> AccessList() override {
        PACL list = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        DWORD status = ::GetSecurityInfo(key_.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, &list, nullptr, &descriptor);
        UniqueLocal held(descriptor);
        if (status != ERROR_SUCCESS) {
            return SecurityError(status, "read the permissions of " + path_);
        }
        wchar_t* text = nullptr;
        if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(
                descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
            return SecurityError(::GetLastError(), "read the permissions of " + path_);
        }
        UniqueLocal textOwner(text);
        return FromWide(text);
    }

    Status SetAccessList(std::string_view accessList) override {
        if (HasZeroCharacter(accessList)) {
            return MakeError(ErrorCode::InvalidData, "access list " + std::string(accessList));
        }
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                ToWide(accessList).c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
            return MakeError(ErrorCode::InvalidData, "access list " + std::string(accessList),
                             ::GetLastError());
        }
        UniqueLocal held(descriptor);
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL list = nullptr;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        if (!::IsValidSecurityDescriptor(descriptor) ||
            !::GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) || !present ||
            !::GetSecurityDescriptorControl(descriptor, &control, &revision)) {
            return MakeError(ErrorCode::InvalidData, "access list " + std::string(accessList));
        }
        // Protection from inheritance is part of the text ("D:P"); SetSecurityInfo takes it as
        // a flag. Inherited entries in the list are replaced by what the parent gives.
        SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
        what |= (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                              : UNPROTECTED_DACL_SECURITY_INFORMATION;
        DWORD status =
            ::SetSecurityInfo(key_.get(), SE_REGISTRY_KEY, what, nullptr, nullptr, list, nullptr);
        if (status != ERROR_SUCCESS) {
            return SecurityError(status, "change the permissions of " + path_);
        }
        return {};
    }

private:
    UniqueKey key_;
    std::string path_;
};

}  // namespace

Status Win32Security::SetPrivilege(std::string_view name, PrivilegeState state) {
    if (HasZeroCharacter(name)) return MakeError(ErrorCode::InvalidData, "privilege name");
    UniqueToken token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            token.put())) {
        return SecurityError(::GetLastError(), "open the process token");
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueW(nullptr, ToWide(name).c_str(), &privileges.Privileges[0].Luid)) {
        return SecurityError(::GetLastError(), "privilege " + std::string(name));
    }
    privileges.Privileges[0].Attributes =
        state == PrivilegeState::Enabled ? SE_PRIVILEGE_ENABLED : 0;
    if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr,
                                 nullptr)) {
        return SecurityError(::GetLastError(), "privilege " + std::string(name));
    }
    // AdjustTokenPrivileges succeeds even when the token does not hold the privilege.
    if (::GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
        return MakeError(ErrorCode::AccessDenied, "privilege " + std::string(name) + " not held",
                         ERROR_NOT_ALL_ASSIGNED);
    }
    return {};
}

Result<std::string> Win32Security::CurrentUserSid() {
    UniqueToken token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        return SecurityError(::GetLastError(), "open the process token");
    }
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return SecurityError(::GetLastError(), "read the current user");
    std::vector<std::uint8_t> buffer(size);
    if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
        return SecurityError(::GetLastError(), "read the current user");
    }
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    return SidText(user->User.Sid, "read the current user");
}

Result<std::unique_ptr<KeySecurity>> Win32Security::OpenKeySecurity(PredefinedKey root,
                                                                    std::string_view path,
                                                                    std::uint32_t access) {
    const std::string text = KeyText(root, path);
    if (HasZeroCharacter(path)) {
        return MakeError(ErrorCode::InvalidData, "open " + text + ": name holds a zero character");
    }
    UniqueKey key;
    LSTATUS status = ::RegOpenKeyExW(Win32Registry::RootHandle(root), ToWide(path).c_str(), 0,
                                     access, key.put());
    if (status != ERROR_SUCCESS) {
        return SecurityError(static_cast<DWORD>(status), "open " + text);
    }
    return std::unique_ptr<KeySecurity>(std::make_unique<Win32KeySecurity>(std::move(key), text));
}

}  // namespace kestrover
