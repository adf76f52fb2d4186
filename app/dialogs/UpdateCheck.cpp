#include "app/dialogs/UpdateCheck.h"

#include "app/common/AboutBox.h"
#include "app/common/DownloadToFile.h"
#include "gui/IniFile.h"

#include <windows.h>

#include <vector>

std::wstring UpdateFileAddress() {
    return std::wstring(MakerHomePage) + L"/update.ini";
}

std::wstring DownloadPageAddress() {
    return std::wstring(MakerHomePage) + L"/html/downloads.html";
}

const wchar_t* StatusKey(UpdateStatus status) {
    switch (status) {
    case UpdateStatus::UPD1:
        return L"UPD1";
    case UpdateStatus::UPD2:
        return L"UPD2";
    case UpdateStatus::UPD3:
        return L"UPD3";
    case UpdateStatus::UPD4:
        return L"UPD4";
    case UpdateStatus::UPD5:
        break;
    }
    return L"UPD5";
}

std::optional<std::array<unsigned long, 4>> ParseFileVersion(std::wstring_view text) {
    std::array<unsigned long, 4> parts{};
    size_t index = 0;
    size_t digits = 0;
    for (wchar_t c : text) {
        if (c == L'.') {
            if (digits == 0 || ++index == parts.size())
                return std::nullopt;
            digits = 0;
        } else if (c >= L'0' && c <= L'9') {
            // A version resource holds 16-bit numbers; more than five digits is no version.
            if (++digits > 5)
                return std::nullopt;
            parts[index] = parts[index] * 10 + static_cast<unsigned long>(c - L'0');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || index != parts.size() - 1)
        return std::nullopt;
    return parts;
}

UpdateStatus CompareVersions(const std::wstring& newest, const std::wstring& own) {
    const auto server = ParseFileVersion(newest);
    const auto mine = ParseFileVersion(own);
    if (server && mine)
        return *server > *mine ? UpdateStatus::UPD4 : UpdateStatus::UPD3;
    return newest == own ? UpdateStatus::UPD3 : UpdateStatus::UPD4;
}

std::wstring FileVersionString(const std::wstring& file) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &unused);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return {};
    void* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", &fixed, &fixedSize) || !fixed || fixedSize < sizeof(VS_FIXEDFILEINFO))
        return {};
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L'.' + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L'.' + std::to_wstring(HIWORD(info->dwFileVersionLS)) + L'.' +
           std::to_wstring(LOWORD(info->dwFileVersionLS));
}

std::wstring RunningProgramVersion() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return FileVersionString(path);
}

UpdateStatus UpdateCheck::CheckForNewVersion() {
    auto report = [this](UpdateStatus status) {
        if (OnStatus)
            OnStatus(status);
        return status;
    };
    report(UpdateStatus::UPD1);
    const bool downloaded =
        Download ? Download(Address, LocalCopy.wstring()) : DownloadToFile(Address, LocalCopy.wstring());
    if (!downloaded)
        return report(UpdateStatus::UPD5);
    report(UpdateStatus::UPD2);
    NewestVersion = TIniFile(LocalCopy.wstring()).ReadString(L"Version", L"Ostrel", NewestVersion);
    return report(CompareVersions(NewestVersion, OwnVersion));
}
