#include "app/dialogs/UpdateCheck.h"

#include "app/common/AboutBox.h"
#include "app/common/DownloadToFile.h"
#include "win/IniFile.h"

#include <windows.h>

#include <vector>

std::wstring UpdateFileAddress() {
    return std::wstring(MakerHomePage) + L"/update.ini";
}

std::wstring DownloadPageAddress() {
    return std::wstring(MakerHomePage) + L"/html/downloads.html";
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
