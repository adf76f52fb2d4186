#include "win/Registry.h"

#include "core/TextEncoding.h"

#include <shlwapi.h>

#include <cstring>

namespace win {

namespace {
std::wstring Relative(const std::wstring& key) {
    size_t start = 0;
    while (start < key.size() && key[start] == L'\\')
        ++start;
    return key.substr(start);
}
} // namespace

TRegistry::TRegistry(REGSAM access) : access_(access) {}

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    root_ = root;
}

bool TRegistry::OpenKey(const std::wstring& key, bool canCreate) {
    CloseKey();
    HKEY opened = nullptr;
    std::wstring path = Relative(key);
    LONG rc = canCreate ? RegCreateKeyExW(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                                          &opened, nullptr)
                        : RegOpenKeyExW(root_, path.c_str(), 0, access_, &opened);
    if (rc != ERROR_SUCCESS)
        return false;
    current_.reset(opened);
    path_ = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::wstring& key) {
    CloseKey();
    HKEY opened = nullptr;
    std::wstring path = Relative(key);
    if (RegOpenKeyExW(root_, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    current_.reset(opened);
    path_ = path;
    return true;
}

void TRegistry::CloseKey() {
    current_.reset();
    path_.clear();
}

bool TRegistry::KeyExists(const std::wstring& key) const {
    HKEY opened = nullptr;
    HKEY base = current_ && !key.starts_with(L"\\") ? current_.get() : root_;
    const bool exists = RegOpenKeyExW(base, Relative(key).c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS;
    const UniqueHKey closing(exists ? opened : nullptr);
    return exists;
}

bool TRegistry::DeleteKey(const std::wstring& key) {
    HKEY base = current_ && !key.starts_with(L"\\") ? current_.get() : root_;
    return SHDeleteKeyW(base, Relative(key).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::wstring& name) const {
    return current_ &&
           RegQueryValueExW(current_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::wstring& name) {
    return current_ && RegDeleteValueW(current_.get(), name.c_str()) == ERROR_SUCCESS;
}

std::optional<std::vector<BYTE>> TRegistry::Raw(const std::wstring& name, DWORD& type) const {
    if (!current_)
        return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueExW(current_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> data(size);
    if (RegQueryValueExW(current_.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return data;
}

std::optional<std::wstring> TRegistry::TryReadString(const std::wstring& name) const {
    DWORD type = 0;
    auto data = Raw(name, type);
    if (!data || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring text(data->size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(text.data(), data->data(), text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

std::wstring TRegistry::ReadString(const std::wstring& name) const {
    auto text = TryReadString(name);
    if (!text)
        throw ERegistryException("Invalid data type or missing value: " + Utf8FromWide(name));
    return *text;
}

std::optional<DWORD> TRegistry::TryReadInteger(const std::wstring& name) const {
    DWORD type = 0;
    auto data = Raw(name, type);
    if (!data || type != REG_DWORD || data->size() != sizeof(DWORD))
        return std::nullopt;
    DWORD value = 0;
    std::memcpy(&value, data->data(), sizeof value);
    return value;
}

DWORD TRegistry::ReadInteger(const std::wstring& name) const {
    auto value = TryReadInteger(name);
    if (!value)
        throw ERegistryException("Invalid data type or missing value: " + Utf8FromWide(name));
    return *value;
}

std::vector<BYTE> TRegistry::ReadBinaryData(const std::wstring& name) const {
    DWORD type = 0;
    auto data = Raw(name, type);
    if (!data)
        throw ERegistryException("Missing value: " + Utf8FromWide(name));
    return *data;
}

void TRegistry::Write(const std::wstring& name, DWORD type, const void* data, size_t size) {
    if (!current_)
        throw ERegistryException("No registry key is open");
    if (RegSetValueExW(current_.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                       static_cast<DWORD>(size)) != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for " + Utf8FromWide(name));
}

void TRegistry::WriteString(const std::wstring& name, const std::wstring& value) {
    Write(name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void TRegistry::WriteExpandString(const std::wstring& name, const std::wstring& value) {
    Write(name, REG_EXPAND_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void TRegistry::WriteInteger(const std::wstring& name, DWORD value) {
    Write(name, REG_DWORD, &value, sizeof value);
}

void TRegistry::WriteBinaryData(const std::wstring& name, const void* data, size_t size) {
    Write(name, REG_BINARY, data, size);
}

} // namespace win
