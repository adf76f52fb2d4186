#pragma once
// TRegistry: one open key under a root key, with typed reads and writes. The key handle is closed by CloseKey,
// by opening another key and by the destructor.
#include "win/Handles.h"

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace win {

// The message names the value in UTF-8, as every exception message of the program (ErrorMessage reads it back).
class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegistry {
public:
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    HKEY RootKey() const { return root_; }
    void SetRootKey(HKEY root);
    // Opens a key below the root key (a leading backslash is allowed); creates it when canCreate. False when the
    // key can neither be opened nor created.
    bool OpenKey(const std::wstring& key, bool canCreate);
    bool OpenKeyReadOnly(const std::wstring& key);
    void CloseKey();
    HKEY CurrentKey() const { return current_.get(); }
    const std::wstring& CurrentPath() const { return path_; }

    bool KeyExists(const std::wstring& key) const;
    // Deletes the key with everything below it.
    bool DeleteKey(const std::wstring& key);
    bool ValueExists(const std::wstring& name) const;
    bool DeleteValue(const std::wstring& name);

    // Reads raise ERegistryException when no key is open, the value is missing or of another type;
    // the Try forms return nothing instead.
    std::wstring ReadString(const std::wstring& name) const;
    std::optional<std::wstring> TryReadString(const std::wstring& name) const;
    DWORD ReadInteger(const std::wstring& name) const;
    std::optional<DWORD> TryReadInteger(const std::wstring& name) const;
    std::vector<BYTE> ReadBinaryData(const std::wstring& name) const;
    // Writes raise ERegistryException on failure. An empty name is the key's default value.
    void WriteString(const std::wstring& name, const std::wstring& value);
    void WriteExpandString(const std::wstring& name, const std::wstring& value);
    void WriteInteger(const std::wstring& name, DWORD value);
    void WriteBinaryData(const std::wstring& name, const void* data, size_t size);

private:
    std::optional<std::vector<BYTE>> Raw(const std::wstring& name, DWORD& type) const;
    void Write(const std::wstring& name, DWORD type, const void* data, size_t size);
    HKEY root_ = HKEY_CURRENT_USER;
    REGSAM access_;
    UniqueHKey current_;
    std::wstring path_;
};

} // namespace win
