#include "app/main/Ostrel_Helpers.h"

#include "core/TextUtil.h"
#include "win/Handles.h"

#include <windows.h>

#include <vector>

std::int64_t GetFileSizeByName(const std::wstring& name) {
    WIN32_FIND_DATAW data{};
    if (!win::UniqueFind(FindFirstFileW(name.c_str(), &data))) {
        return -1;
    }
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring CommandLineFolder(const std::wstring& argument) {
    std::wstring full = argument;
    const DWORD needed = GetFullPathNameW(argument.c_str(), 0, nullptr, nullptr);
    if (needed > 0) {
        std::vector<wchar_t> buffer(needed + 1);
        const DWORD length = GetFullPathNameW(argument.c_str(), needed + 1, buffer.data(), nullptr);
        if (length > 0 && length <= needed) {
            full.assign(buffer.data(), length);
        }
    }
    const auto slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return WithTrailingBackslash(full);
    }
    return WithTrailingBackslash(full.substr(0, slash));
}

std::wstring GetProgramVersion() {
    wchar_t path[MAX_PATH * 2]{};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    if (length == 0 || length >= std::size(path)) {
        return {};
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) {
        return {};
    }
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) {
        return {};
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info) {
        return {};
    }
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(info->dwFileVersionLS));
}
