#include "gui/IniFile.h"

#include "gui/IniValues.h"

#include <optional>
#include <vector>
#include <windows.h>

namespace {

// The profile functions trim blanks from the default they are given; a sentinel no file holds tells a missing key
// apart, so the caller's default comes back unchanged.
constexpr wchar_t kMissing[] = L"\x01\x02missing\x03";

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::optional<std::wstring> ReadRaw(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), kMissing, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
        // A result of size - 1 characters may have been cut: read again with more room.
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
            std::wstring value(buffer.data(), n);
            if (value == kMissing)
                return std::nullopt;
            return value;
        }
        buffer.resize(buffer.size() * 4);
    }
}

} // namespace

EIniFileException::EIniFileException(std::wstring message)
    : std::runtime_error(Utf8(message)), message_(std::move(message)) {}

TIniFile::TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) {}

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const {
    std::optional<std::wstring> value = ReadRaw(fileName_, section, key);
    return value ? *value : def;
}

int TIniFile::ReadInteger(const std::wstring& section, const std::wstring& key, int def) const {
    std::optional<std::wstring> value = ReadRaw(fileName_, section, key);
    return value ? ParseIniInteger(*value, def) : def;
}

bool TIniFile::ReadBool(const std::wstring& section, const std::wstring& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    std::wstring s = StripLineBreaks(section), k = StripLineBreaks(key), v = StripLineBreaks(value);
    if (!WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), fileName_.c_str()))
        throw EIniFileException(L"In " + fileName_ + L" kann nicht geschrieben werden");
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& key, int value) {
    WriteString(section, key, std::to_wstring(value));
}

void TIniFile::WriteBool(const std::wstring& section, const std::wstring& key, bool value) {
    WriteString(section, key, value ? L"1" : L"0");
}
